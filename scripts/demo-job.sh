#!/usr/bin/env bash
# ./run.sh's job on samples/ with build/zorvane-cli, then three independent readers of the result: one frame per
# sample, the delay of 10 on every frame, the looping block (count 0, forever).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# expect_count WHAT EXPECTED ACTUAL
expect_count() {
    if [ "$3" -ne "$2" ]; then
        echo "$1: expected $2, found $3"
        return 1
    fi
    echo "$1: $3"
}

# tool_output COMMAND...: COMMAND's standard output; fails, showing what COMMAND wrote to standard error,
# when it fails or warns.
tool_output() {
    local errors status=0 ok=1
    errors=$(mktemp)
    "$@" 2>"$errors" || status=$?
    if [ "$status" -ne 0 ] || [ -s "$errors" ]; then
        echo "'$*' failed (exit status $status) or warned:" >&2
        cat "$errors" >&2
        ok=0
    fi
    rm -f "$errors"
    [ "$ok" -eq 1 ]
}

frames=(samples/*.gif)
n=${#frames[@]}
rm -f build/demo.gif
build/zorvane-cli make -o build/demo.gif -d 10 "${frames[@]}"
build/zorvane-cli info build/demo.gif

# giflib: gifbuild -d decodes every image and dumps it as text.
out=$(tool_output gifbuild -d build/demo.gif)
expect_count "giflib (gifbuild -d): images" "$n" "$(grep -c '^image # ' <<<"$out")"
expect_count "giflib (gifbuild -d): frames with delay 10" "$n" "$(grep -c '^[[:space:]]*delay 10$' <<<"$out")"
expect_count "giflib (gifbuild -d): looping blocks, count 0 (forever)" 1 "$(grep -c '^netscape loop 0$' <<<"$out")"

# ImageMagick decodes every frame with -format.
out=$(tool_output identify -format '%T %W x %H\n' build/demo.gif)
expect_count "ImageMagick (identify): frames" "$n" "$(grep -c . <<<"$out")"
expect_count "ImageMagick (identify): frames with delay 10" "$n" "$(grep -c '^10 ' <<<"$out")"

# gifsicle.
out=$(tool_output gifsicle --info build/demo.gif)
expect_count "gifsicle --info: images" "$n" "$(sed -n 's/^\* .* \([0-9][0-9]*\) images\{0,1\}$/\1/p' <<<"$out")"
expect_count "gifsicle --info: frames with delay 0.10s" "$n" "$(grep -c 'delay 0\.10s' <<<"$out")"
expect_count "gifsicle --info: loop forever" 1 "$(grep -c '^  loop forever$' <<<"$out")"
