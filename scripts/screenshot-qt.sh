#!/bin/sh
# Takes pictures of the Linux desktop window on a virtual X display: an
# animation (made by gifsicle from three samples) and two single samples
# dropped on it and edited as the README tells (the second entry held for 50
# hundredths, three plays, sorted by name, the second entry selected with its
# picture); and the preview of those frames.
#
#   scripts/screenshot-qt.sh [BUILD_DIR]   (default: build)
#
# Writes BUILD_DIR/zorvane-linux.png and BUILD_DIR/zorvane-linux-preview.png.
# Needs Xvfb (package xvfb), gifsicle and a configured build with
# testing on (the default).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
tool="$build/qt/tests/qt_window_screenshot"
output="$build/zorvane-linux.png"
preview="$build/zorvane-linux-preview.png"

if [ ! -x "$tool" ]; then
    echo "screenshot-qt: $tool is missing; build the project first" >&2
    exit 1
fi
if ! command -v Xvfb >/dev/null 2>&1; then
    echo "screenshot-qt: Xvfb not found (apt-get install xvfb)" >&2
    exit 1
fi

if ! command -v gifsicle >/dev/null 2>&1; then
    echo "screenshot-qt: gifsicle not found (apt-get install gifsicle)" >&2
    exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
gifsicle -d 20 "$root/samples/03-yellow.gif" -d 30 "$root/samples/05-blue.gif" \
    -d 40 "$root/samples/06-purple.gif" --loopcount=forever >"$work/frame10.gif"
cp "$root/samples/02-orange.gif" "$work/frame2.gif"
cp "$root/samples/01-red.gif" "$work/frame1.gif"

# The X server picks its own display: runs at the same moment never collide.
QT_QPA_PLATFORM=xcb "$root/scripts/with-xvfb.sh" -s "-screen 0 1280x900x24" \
    "$tool" "$output" "$preview" "$work/frame10.gif" "$work/frame2.gif" "$work/frame1.gif"
echo "screenshot-qt: wrote $output and $preview"
