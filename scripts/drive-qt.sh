#!/bin/sh
# Drives the Linux desktop program as a person would, on a virtual X display:
# starts `zorvane a.gif b.gif c.gif`, presses Home, Alt+Down and Ctrl+S, types
# the output's path into the save dialog and presses Enter; then checks that
# the animation written holds the frames b, a, c in that order (ImageMagick's
# pixel signatures of each frame against each input's first image) and three
# images for giflib and gifsicle.
#
#   scripts/drive-qt.sh [BUILD_DIR]   (default: build)
#
# Needs xvfb-run (xvfb, xauth), xdotool, ImageMagick, giflib-tools and gifsicle.
# The program's settings go to a temporary folder, never to the user's.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" != --inside ]; then
    build=$(cd "${1:-"$root/build"}" && pwd)
    if [ ! -x "$build/qt/zorvane" ]; then
        echo "drive-qt: $build/qt/zorvane is missing; build the project first" >&2
        exit 1
    fi
    for tool in xvfb-run xdotool identify gifbuild gifsicle; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "drive-qt: $tool not found (scripts/install-deps.sh test)" >&2
            exit 1
        fi
    done
    exec env QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" --inside "$build"
fi

build=$2
work=$(mktemp -d)
program_pid=
cleanup() {
    if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# Three frames that look different, named after their place in the list.
cp "$root/samples/01-red.gif" "$work/a.gif"
cp "$root/samples/02-orange.gif" "$work/b.gif"
cp "$root/samples/03-yellow.gif" "$work/c.gif"
output="$work/saved/animation.gif"
mkdir "$work/saved"
export XDG_CONFIG_HOME="$work/config"

# wait_for_window TITLE: the id of the first visible window whose title matches TITLE.
wait_for_window() {
    tries=0
    while [ "$tries" -lt 100 ]; do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
        tries=$((tries + 1))
    done
    echo "drive-qt: no window titled '$1' appeared" >&2
    return 1
}

cd "$work"
"$build/qt/zorvane" a.gif b.gif c.gif &
program_pid=$!

window=$(wait_for_window '^Zorvane ')
sleep 0.5
xdotool windowfocus --sync "$window"
# Home selects the first frame (a), Alt+Down moves it below b, Ctrl+S saves.
xdotool key --delay 150 Home alt+Down ctrl+s

dialog=$(wait_for_window '^Make Animated GIF$')
sleep 0.5
xdotool windowfocus --sync "$dialog"
xdotool type --delay 20 "$output"
xdotool key Return

# The build runs when the dialog closes; wait until the file is complete.
tries=0
until gifsicle --info "$output" >/dev/null 2>&1; do
    tries=$((tries + 1))
    if [ "$tries" -ge 100 ]; then
        echo "drive-qt: no animation was written to $output" >&2
        exit 1
    fi
    sleep 0.1
done
kill "$program_pid"
wait "$program_pid" 2>/dev/null || true
program_pid=

signature() { identify -format '%#' "$1"; }
expected="$(signature 'b.gif[0]') $(signature 'a.gif[0]') $(signature 'c.gif[0]')"
found=$(identify -format '%# ' "$output" | sed 's/ $//')
images=$(gifbuild -d "$output" | grep -c '^image # ')
gifsicle_images=$(gifsicle --info "$output" | sed -n 's/^\* .* \([0-9][0-9]*\) images\{0,1\}$/\1/p')
echo "drive-qt: giflib (gifbuild -d) reads $images images, gifsicle $gifsicle_images"
if [ "$found" != "$expected" ] || [ "$images" -ne 3 ] || [ "$gifsicle_images" -ne 3 ]; then
    echo "drive-qt: the frames are not b, a, c:" >&2
    echo "  expected $expected" >&2
    echo "  found    $found" >&2
    exit 1
fi
echo "drive-qt: zorvane a.gif b.gif c.gif, Home, Alt+Down, Ctrl+S, typed path: frames b, a, c"
