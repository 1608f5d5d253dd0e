#!/bin/sh
# Generates the inputs of the smallest-file sets under DIR/o/ (ImageMagick and
# gifsicle, deterministic), and the default output of each set as written by
# ZORVANE (what gifsicle -O3 is given):
#   whole.gif     60 whole frames of 320x240, as an editor or a screen recorder
#                 exports them: a still background with a block moving over it
#   layered.gif   the same through ImageMagick's -layers optimize
#   sprite.gif    30 frames of a sprite on a clear canvas, disposed of to the
#                 background, 200x150
#   optimised.gif whole.gif through gifsicle -O2
# Sets: ow = whole.gif, oj = whole.gif, sprite.gif and layered.gif joined with
# all their frames, oo = optimised.gif and layered.gif joined.
#
#   optimize_corpus.sh DIR ZORVANE
set -eu
out=$1/o
zorvane=$2
convert=/usr/bin/convert
if [ ! -f "$out/.done" ]; then
    rm -rf "$out"
    mkdir -p "$out/frames"
    i=0
    while [ $i -lt 60 ]; do
        x=$((i * 4)) y=$((60 + (i % 20) * 3))
        $convert -size 320x240 gradient:navy-skyblue -fill white -draw "rectangle 0,200 319,239" \
            -fill orange -draw "rectangle $x,$y $((x + 40)),$((y + 30))" -fill black \
            -draw "rectangle 10,215 $((10 + i * 4)),225" +dither -colors 64 "$out/frames/w$(printf %02d $i).gif"
        i=$((i + 1))
    done
    $convert -delay 4 "$out"/frames/w*.gif -loop 0 "$out/whole.gif"
    $convert "$out/whole.gif" -layers optimize "$out/layered.gif"
    gifsicle -O2 "$out/whole.gif" -o "$out/optimised.gif"
    i=0
    while [ $i -lt 30 ]; do
        $convert -size 200x150 xc:none -fill red -draw "circle $((10 + i * 6)),$((75 + (i % 5) * 8)) $((10 + i * 6)),$((65 + (i % 5) * 8))" \
            "$out/frames/s$(printf %02d $i).gif"
        i=$((i + 1))
    done
    $convert -dispose background -delay 5 "$out"/frames/s*.gif -loop 0 "$out/sprite.gif"
    rm -rf "$out/frames"
    touch "$out/.done"
fi
"$zorvane" make --all-frames -o "$out/ow-default.gif" "$out/whole.gif"
"$zorvane" make --all-frames -o "$out/oj-default.gif" "$out/whole.gif" "$out/sprite.gif" "$out/layered.gif"
"$zorvane" make --all-frames -o "$out/oo-default.gif" "$out/optimised.gif" "$out/layered.gif"
