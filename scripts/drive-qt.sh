#!/bin/sh
# Drives the Linux desktop program as a new user would, on a virtual X
# display, and reads the window as a screen reader does (AT-SPI):
#
#   zorvane frame10.gif frame2.gif frame1.gif   (an animation of three
#                                                images, then two single images)
#   Home, Down          select the second entry (frame2)
#   Alt+D, 50, Enter    give it a delay of 50 hundredths
#   Alt+L, End, Tab, 3  the animation plays 3 times
#   Alt+N               Sort by Name: frame1, frame2, frame10
#   (read the size the status line tells)
#   Ctrl+S, path, Enter save
#
# then checks that the file written has exactly the size the status line
# told; that giflib (gifbuild -d) reads five images with the delays 10, 50,
# 20, 30, 40 and a looping block of count 2, whose frames as shown are, by
# the core's compositor, frame1's, frame2's and frame10's three in that
# order; that Pillow plays the same five frames, durations and count;
# and that Undo (Alt+U), step by step, brings back what the window showed
# before each step, down to the empty list.
#
#   scripts/drive-qt.sh [BUILD_DIR]   (default: build)
#
# Needs Xvfb (xvfb), xdotool, ImageMagick, giflib-tools, gifsicle,
# dbus (dbus-run-session), at-spi2-core, gir1.2-atspi-2.0 and python3-pil.
# The program's settings go to a temporary folder, never to the user's.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
python=/usr/bin/python3  # Debian's, which has Pillow and the AT-SPI bindings
bus_launcher=/usr/libexec/at-spi-bus-launcher

if [ "${1:-}" != --inside ]; then
    build=$(cd "${1:-"$root/build"}" && pwd)
    if [ ! -x "$build/qt/zorvane" ] || [ ! -x "$build/tests/play_frames" ]; then
        echo "drive-qt: $build/qt/zorvane or $build/tests/play_frames is missing; build the project first" >&2
        exit 1
    fi
    for tool in Xvfb xdotool identify gifbuild gifsicle dbus-run-session "$bus_launcher"; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "drive-qt: $tool not found (scripts/install-deps.sh test)" >&2
            exit 1
        fi
    done
    if ! "$python" -c 'import PIL, gi; gi.require_version("Atspi", "2.0")' 2>/dev/null; then
        echo "drive-qt: $python lacks Pillow or the AT-SPI bindings (scripts/install-deps.sh test)" >&2
        exit 1
    fi
    # The X server picks its own display: runs at the same moment never collide.
    exec env QT_QPA_PLATFORM=xcb "$root/scripts/with-xvfb.sh" -s "-screen 0 1280x900x24" \
        dbus-run-session -- "$0" --inside "$build"
fi

build=$2
work=$(mktemp -d)
program_pid=
bus_pid=
cleanup() {
    if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
    if [ -n "$bus_pid" ]; then kill "$bus_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "drive-qt: $*" >&2
    exit 1
}

# The accessibility bus of this session, which the program reports to.
"$bus_launcher" --launch-immediately 2>/dev/null &
bus_pid=$!
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

# An animation made by another tool, and two single images.
gifsicle -d 20 "$root/samples/03-yellow.gif" -d 30 "$root/samples/05-blue.gif" \
    -d 40 "$root/samples/06-purple.gif" --loopcount=forever >"$work/frame10.gif"
cp "$root/samples/02-orange.gif" "$work/frame2.gif"
cp "$root/samples/01-red.gif" "$work/frame1.gif"
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
    fail "no window titled '$1' appeared"
}

# What the window shows now: its entries, status line and plays.
screen() {
    sleep 0.5
    "$python" "$root/scripts/read-qt-window.py"
}

keys() { xdotool key --delay 120 "$@"; }

cd "$work"
"$build/qt/zorvane" frame10.gif frame2.gif frame1.gif &
program_pid=$!

window=$(wait_for_window '^Zorvane ')
sleep 0.5
xdotool windowfocus --sync "$window"

added=$(screen)
keys Home Down alt+d ctrl+a
xdotool type --delay 50 50
keys Return
delayed=$(screen)
keys alt+l End Tab ctrl+a
xdotool type --delay 50 3
played=$(screen)
keys alt+n
sorted=$(screen)
printf '%s\n' "$sorted" | sed 's/^/drive-qt: window: /'

expect_screen() {  # NAME SCREEN EXPECTED
    if [ "$2" != "$3" ]; then
        printf 'drive-qt: %s: the window shows\n%s\nexpected\n%s\n' "$1" "$2" "$3" >&2
        exit 1
    fi
}
entries() { printf '%s\n' "$1" | grep '^entry: ' | sed 's/^entry: //'; }
dot=$(printf '\302\267')
expect_screen "added" "$(entries "$added")" "$(printf 'frame10.gif %s 3 images %s own delays, 0.90 s\nframe2.gif %s 10 cs\nframe1.gif %s 10 cs' "$dot" "$dot" "$dot" "$dot")"
expect_screen "delay 50" "$(entries "$delayed")" "$(printf 'frame10.gif %s 3 images %s own delays, 0.90 s\nframe2.gif %s 50 cs\nframe1.gif %s 10 cs' "$dot" "$dot" "$dot" "$dot")"
expect_screen "plays" "$(printf '%s\n' "$played" | sed -n 's/^plays: //p')" "plays 3 times, then stays on its last frame"
expect_screen "sorted" "$(entries "$sorted" | cut -d ' ' -f 1 | tr '\n' ' ')" "frame1.gif frame2.gif frame10.gif "

status=$(printf '%s\n' "$sorted" | sed -n 's/^status: //p')
told=$(printf '%s\n' "$status" | sed -n 's/.* \([0-9][0-9,]*\) bytes.*/\1/p' | tr -d ,)
[ -n "$told" ] || fail "the status line tells no size: $status"

keys ctrl+s
dialog=$(wait_for_window '^Make Animated GIF$')
sleep 0.5
xdotool windowfocus --sync "$dialog"
xdotool type --delay 20 "$output"
keys Return

# The build runs when the dialog closes; wait until the file is complete.
tries=0
until gifsicle --info "$output" >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ "$tries" -lt 100 ] || fail "no animation was written to $output"
    sleep 0.1
done
xdotool windowfocus --sync "$window"

written=$(stat -c %s "$output")
echo "drive-qt: the status line told $told bytes; $written bytes were written"
[ "$written" -eq "$told" ] || fail "the file written has $written bytes, the status line told $told"

dump=$(gifbuild -d "$output")
images=$(printf '%s\n' "$dump" | grep -c '^image # ')
delays=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*delay \([0-9]*\)$/\1/p' | tr '\n' ' ')
loops=$(printf '%s\n' "$dump" | sed -n 's/^netscape loop \([0-9]*\)$/\1/p')
echo "drive-qt: giflib (gifbuild -d) reads $images images, delays $delays, looping block count $loops"
[ "$images" -eq 5 ] && [ "$delays" = "10 50 20 30 40 " ] && [ "$loops" = 2 ] ||
    fail "expected 5 images, delays 10 50 20 30 40 and looping count 2"

# Written smallest (the window's default), the images are coded anew: the frames as they are shown must be
# frame1's, frame2's and frame10's three, as the core's compositor (checked against Chromium) plays them.
shown() {
    rm -rf "$work/rgba" && mkdir "$work/rgba"
    "$build/tests/play_frames" --rgba "$work/rgba" "$@" >/dev/null || fail "the compositor cannot play $*"
    for file in "$@"; do
        index=0
        while [ -f "$work/rgba/$(basename "$file").$index.rgba" ]; do
            sha256sum <"$work/rgba/$(basename "$file").$index.rgba" | cut -d ' ' -f 1
            index=$((index + 1))
        done
    done | tr '\n' ' ' | sed 's/ $//'
}
expected="$(shown frame1.gif) $(shown frame2.gif) $(shown frame10.gif)"
found=$(shown "$output")
[ "$found" = "$expected" ] || fail "the frames shown are not frame1, frame2, frame10 (3 images):
  expected $expected
  found    $found"

played_by_pillow=$("$python" - "$output" <<'PY'
import sys
from PIL import Image
with Image.open(sys.argv[1]) as image:
    durations = []
    for index in range(image.n_frames):
        image.seek(index)
        durations.append(str(image.info.get("duration")))
    print(image.n_frames, " ".join(durations), image.info.get("loop"))
PY
)
echo "drive-qt: Pillow plays frames, durations (ms), loop: $played_by_pillow"
[ "$played_by_pillow" = "5 100 500 200 300 400 2" ] || fail "Pillow plays something else"

# Each step undone brings back what the window showed before it.
keys alt+u
expect_screen "undo Sort by Name" "$(screen)" "$played"
keys alt+u
expect_screen "undo plays" "$(screen)" "$delayed"
keys alt+u
expect_screen "undo delay" "$(screen)" "$added"
keys alt+u
expect_screen "undo add" "$(entries "$(screen)")" ""
echo "drive-qt: Undo, step by step, brought back each earlier state of the list and its options"
echo "drive-qt: added frame10 (3 images), frame2, frame1; delay 50 on frame2; plays 3; sorted; saved $written bytes as told"
