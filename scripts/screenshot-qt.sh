#!/bin/sh
# Takes pictures of the Linux desktop window on a virtual X display: the
# first three sample frames dropped on it, the second selected with its
# picture; and the preview of those frames.
#
#   scripts/screenshot-qt.sh [BUILD_DIR]   (default: build)
#
# Writes BUILD_DIR/zorvane-linux.png and BUILD_DIR/zorvane-linux-preview.png.
# Needs xvfb-run (packages xvfb, xauth) and a configured build with testing on
# (the default).
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
if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "screenshot-qt: xvfb-run not found (apt-get install xvfb xauth)" >&2
    exit 1
fi

set -- "$root"/samples/*.gif
if [ "$#" -lt 3 ] || [ ! -f "$3" ]; then
    echo "screenshot-qt: need three GIF files in $root/samples" >&2
    exit 1
fi

QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
    "$tool" "$output" "$preview" "$1" "$2" "$3"
echo "screenshot-qt: wrote $output and $preview"
