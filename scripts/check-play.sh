#!/usr/bin/env bash
# How zorvane-cli's joins and plays play in a browser: headless Chromium decodes them (tests/web/decode.mjs).
#
#   scripts/check-play.sh BUILD_DIR
#
# Optimised animations of different sizes (ImageMagick -layers optimize, gifsicle -O2: images smaller than
# the screen, disposal 1, transparency) are joined with every frame, forwards and centred; each joined frame
# must look as its input's frame does alone (tests/play/compose_check.py), and --dry-run must have told the
# size written. So must joins after an animation whose last image is disposed of in each way (none, to the
# background, to the previous state), opaque or with transparent pixels: the canvas after that disposal must
# never show. Reversed and bounced, animations whose images are drawn over one another (re-encoded) must show
# their frames backwards in Chromium. Then --plays N must give the repetition count N - 1 ("Infinity" for
# forever, 0 for once).
# Then, written smallest (--optimize): the samples, these joins and animations made as editors and screen
# recorders write them (whole frames; -layers optimize; transparency; every disposal) must play in Chromium
# exactly as the default output does (every picture and how long it is shown), never larger, and --dry-run
# must tell the size written.
# Last, the core's compositor (BUILD_DIR/tests/play_frames) must play every file checked here, the compositing
# cases of the tests (each disposal, transparency, images partly off the screen, interlaced, no colour table),
# the samples and the public corpus exactly as Chromium does: same frames (RGBA), same durations
# (tests/play/player_check.py).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:?usage: scripts/check-play.sh BUILD_DIR}" && pwd)
cli=$build/zorvane-cli
"$root/scripts/web-deps.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Inputs: each frame drawn on the one before it, then optimised.
convert -size 40x30 xc:none -fill red -draw "circle 10,15 10,5" \
    \( -clone 0 -fill blue -draw "rectangle 20,5 35,25" \) \( -clone 1 -fill green -draw "circle 30,20 30,28" \) \
    \( -clone 2 -fill none -stroke yellow -draw "line 0,0 39,29" \) -delete 0 -set delay 7 -loop 0 \
    -layers optimize small.gif
convert -size 64x48 xc:white -fill black -draw "rectangle 5,5 20,20" \
    \( -clone 0 -fill orange -draw "rectangle 30,10 60,40" \) \( -clone 1 -fill purple -draw "circle 10,40 10,45" \) \
    -set delay 13 -loop 0 -layers optimize large.gif
convert -size 24x24 xc:none -fill cyan -draw "rectangle 2,2 10,10" \( -clone 0 -fill magenta -draw "rectangle 12,12 22,22" \) \
    \( xc:none -size 24x24 -fill lime -draw "circle 12,12 12,4" \) -set delay 20 -set dispose background -loop 0 tiny.gif
gifsicle -O2 large.gif small.gif -o merged.gif
# A full picture, then a last image over a part of it disposed of in each way, opaque or with transparent
# pixels: what the canvas shows after that disposal must never be seen at the join.
for disposal in none background previous; do
    convert -delay 9 -dispose none -size 40x30 xc:white -fill black -draw "rectangle 2,2 12,12" -page 40x30+0+0 \
        \( -dispose "$disposal" -size 16x12 xc:orange -page 40x30+6+4 \) -loop 0 "last-$disposal.gif"
    convert -delay 9 -dispose none -size 40x30 xc:none -fill blue -draw "circle 20,15 20,3" -page 40x30+0+0 \
        \( -dispose "$disposal" -size 16x12 xc:none -fill red -draw "circle 8,6 8,1" -page 40x30+6+4 \) \
        -loop 0 "last-$disposal-clear.gif"
done

status=0
# join NAME [--center] INPUT...: joined with every frame, checked frame by frame, and its size foretold.
join() {
    local name=$1 center=()
    shift
    if [ "$1" = --center ]; then
        center=(--center)
        shift
    fi
    local told
    told=$("$cli" make --dry-run --all-frames "${center[@]}" -o "$name" "$@" | sed -n 's/.*, \([0-9]*\) bytes$/\1/p')
    "$cli" make --all-frames "${center[@]}" -o "$name" "$@"
    if [ "$told" != "$(stat -c %s "$name")" ]; then
        echo "$name: --dry-run told $told bytes, $(stat -c %s "$name") written"
        status=1
    fi
    python3 "$root/tests/play/compose_check.py" "${center[@]}" "$name" "$@" || status=1
}
join joined.gif small.gif large.gif tiny.gif small.gif
join centred.gif --center tiny.gif large.gif small.gif tiny.gif
join optimised.gif merged.gif tiny.gif merged.gif
for disposal in none background previous; do
    join "ends-$disposal.gif" "last-$disposal.gif" tiny.gif "last-$disposal-clear.gif" small.gif "last-$disposal.gif"
done

# Backwards: animations whose images are drawn over one another (re-encoded) and one that is copied, reversed
# and bounced; Chromium must show exactly the inputs' frames, with their durations, in that order.
backwards() {
    local order=$1 name=$2
    shift 2
    "$cli" make "--$order" --all-frames -o "$name" "$@" 2>/dev/null
    node "$root/tests/web/decode.mjs" --hash "$name" "$@" | python3 -c '
import json, sys
order, lines = sys.argv[1], [json.loads(line) for line in sys.stdin]
out, inputs = lines[0], lines[1:]
name, width, height = out["file"], out["width"], out["height"]
frames = []
for i in inputs:
    if (i["width"], i["height"]) != (width, height):
        sys.exit(f"{name}: an input of another size, not comparable here")
    frames += list(zip(i["sha256"], i["durations"]))
frames = frames[::-1] if order == "reverse" else frames + frames[-2:0:-1]
got = list(zip(out["sha256"], out["durations"]))
if got != frames:
    sys.exit(f"{name}: {len(got)} frames, not the {len(frames)} frames of its inputs {order}d")
print(f"{name}: its {len(got)} frames are those of its inputs, {order}d")
' "$order" || status=1
}
backwards reverse reversed-small.gif small.gif
backwards bounce bounced-large.gif large.gif
backwards reverse reversed-previous.gif last-previous.gif last-previous.gif
backwards bounce bounced-tiny.gif tiny.gif

# plays: repetitionCount as Chromium reads it, for the samples (six frames).
samples=("$root"/samples/*.gif)
expected=""
for plays in 1 2 3 65536 forever; do
    if [ "$plays" = forever ]; then
        "$cli" make -o "plays-$plays.gif" -d 10 "${samples[@]}"
        expected+=" Infinity"
    else
        "$cli" make --plays "$plays" -o "plays-$plays.gif" -d 10 "${samples[@]}"
        expected+=" $((plays - 1))"
    fi
done
got=$(node "$root/tests/web/decode.mjs" plays-{1,2,3,65536,forever}.gif |
    python3 -c 'import json,sys; print("".join(" %s" % json.loads(l)["repetitionCount"] for l in sys.stdin))')
echo "repetitionCount for --plays 1 2 3 65536 and forever:$got"
if [ "$got" != "$expected" ]; then
    echo "expected:$expected"
    status=1
fi

# Animations as editors and recorders write them: whole frames, the same optimised, a sprite on a clear
# canvas cleared after each frame, a sprite over a background put back after each frame, every disposal.
for i in 0 1 2 3 4 5 6 7; do
    convert -size 64x48 xc:white -fill navy -draw "rectangle $((i * 6)),$((i * 3)) $((i * 6 + 14)),$((i * 3 + 12))" \
        -fill gray -draw "rectangle 0,40 63,47" "whole-$i.gif"
done
convert -delay 6 whole-?.gif -loop 0 whole.gif
convert whole.gif -layers optimize layered.gif
convert -size 48x32 -dispose background -delay 5 \
    \( xc:none -fill red -draw "circle 8,8 8,2" \) \( xc:none -fill red -draw "circle 20,14 20,8" \) \
    \( xc:none -fill red -draw "circle 34,22 34,16" \) -loop 0 sprite.gif
convert -dispose none -delay 8 -size 48x32 xc:skyblue -dispose previous \
    \( -size 8x8 xc:red -repage +4+4 \) \( -size 8x8 xc:orange -repage +20+10 \) \
    \( -size 8x8 xc:yellow -repage +36+20 \) -loop 0 previous.gif
convert -size 32x32 -delay 7 -dispose undefined xc:white -dispose none \( -size 8x8 xc:green -repage +2+2 \) \
    -dispose background \( -size 8x8 xc:blue -repage +12+12 \) -dispose previous \( -size 8x8 xc:red -repage +20+4 \) \
    -dispose none \( -size 8x8 xc:none -repage +4+20 \) -loop 0 disposals.gif

# smallest NAME MAKE_ARGUMENT...: NAME written by default and with --optimize, its size foretold.
pairs=()
smallest() {
    local name=$1 told
    shift
    "$cli" make -o "$name-default.gif" "$@"
    told=$("$cli" make --optimize --dry-run -o "$name-smallest.gif" "$@" | sed -n 's/.*, \([0-9]*\) bytes$/\1/p')
    "$cli" make --optimize -o "$name-smallest.gif" "$@"
    local default_size smallest_size
    default_size=$(stat -c %s "$name-default.gif")
    smallest_size=$(stat -c %s "$name-smallest.gif")
    echo "$name: $default_size bytes by default, $smallest_size written smallest"
    if [ "$told" != "$smallest_size" ]; then
        echo "$name: --dry-run told $told bytes, $smallest_size written"
        status=1
    fi
    if [ "$smallest_size" -gt "$default_size" ]; then
        echo "$name: written smallest it is larger than the default output"
        status=1
    fi
    pairs+=("$name-default.gif" "$name-smallest.gif")
}
smallest samples -d 10 "${samples[@]}"
smallest joined --all-frames small.gif large.gif tiny.gif small.gif
smallest centred --all-frames --center tiny.gif large.gif small.gif tiny.gif
smallest optimised --all-frames merged.gif tiny.gif merged.gif
smallest whole --all-frames whole.gif
smallest layered --all-frames layered.gif
smallest sprite --all-frames sprite.gif
smallest previous --all-frames previous.gif
smallest disposals --all-frames disposals.gif
smallest three-copies --all-frames layered.gif layered.gif layered.gif
smallest bounce --all-frames --bounce tiny.gif sprite.gif

# Chromium's pictures over time: consecutive equal pictures are one, shown for the sum of their durations
# (0 and 1 hundredths played as 10), the colour of transparent pixels ignored.
node "$root/tests/web/decode.mjs" --rgba frames "${pairs[@]}" >decoded.jsonl || status=1
python3 - decoded.jsonl <<'PY' || status=1
import json, sys
def timeline(entry):
    shown = []
    for path, micros in zip(entry["rgba"], entry["durations"]):
        data = bytearray(open(path, "rb").read())
        for i in range(3, len(data), 4):
            if data[i] == 0:
                data[i - 3:i] = b"\0\0\0"
        played = 100000 if micros < 20000 else micros
        if shown and shown[-1][0] == data:
            shown[-1][1] += played
        else:
            shown.append([data, played])
    return shown
entries = [json.loads(line) for line in open(sys.argv[1])]
failed = False
for default, smallest in zip(entries[0::2], entries[1::2]):
    a, b = timeline(default), timeline(smallest)
    same = len(a) == len(b) and all(x[1] == y[1] and x[0] == y[0] for x, y in zip(a, b))
    print("%s: %s in Chromium (%d pictures)" % (smallest["file"], "plays as the default" if same else "DIFFERS", len(a)))
    failed = failed or not same
sys.exit(1 if failed else 0)
PY

# The compositor, the judge of the other tests, against Chromium.
mkdir cases
"$build/tests/play_frames" --cases cases
python3 "$root/tests/play/player_check.py" "$build/tests/play_frames" ./*.gif cases/*.gif "${samples[@]}" \
    "$root"/tests/data/pygif-test-suite/*.gif || status=1
exit "$status"
