#!/bin/sh
# Generates the benchmark corpora under build/bench/ (or $1), deterministically,
# with Pillow, gifsicle and ImageMagick only:
#   a/  100 frames of 200x200, 256-colour global tables (~3 MB)
#   b/  20 noisy 1920x1080 frames, ~2.8 MB of image data each (~56 MB); every
#       4th one interlaced
#   c/  20 animations of 50 frames at 640x480 (~356 MB). Pillow encodes one
#       50-frame animation; each file is that animation rotated by 2k frames
#       (gifsicle frame selection, which copies compressed data), so every
#       file starts with a different first image at the cost of a copy.
#   d/  edge cases: local table, transparency, comment and application block,
#       image offset, 1x1, 8000x6000 screen with a small image, 2400x1600
#       image, GIF87a, 2 colours, gifsicle -O3 and ImageMagick-optimised
#       animations
#   e/  100,000 frames of 40x30 (~2 KB each, a time-lapse), too many for a
#       command line: e.list names them (e/000000.gif ...), one per line, for
#       --frames-from, and floor-e.list the floor's pieces
#   floor-X/  for each file of corpus X, the bytes a frame copier carries
#       over (colour table, image descriptor, image data of the first
#       image), cut out by bench/first_image.py, for the `cat` floor.
# Done once: a corpus whose .done stamp exists is kept. SHA256SUMS lists
# every generated file (the same across runs with the same tool versions).
#
#   make_corpus.sh [DIR [CORPUS...]]   only the corpora named (a to e), when any
set -eu

here=$(cd "$(dirname "$0")" && pwd)
out=${1:-"$here/../build/bench"}
[ $# -gt 0 ] && shift
only=" $* "
py=/usr/bin/python3 # Debian's interpreter, which sees python3-pil
convert=/usr/bin/convert
mkdir -p "$out"
out=$(cd "$out" && pwd)

fresh() { # fresh NAME: true (and an empty directory ready) unless NAME is done or not asked for
    case "$only" in "  " | *" $1 "*) ;; *) return 1 ;; esac
    [ -f "$out/$1/.done" ] && return 1
    rm -rf "${out:?}/$1" "$out/floor-$1"
    mkdir -p "$out/$1"
}

floor() { # floor NAME: cut out the first-image bytes of corpus NAME
    "$py" "$here/first_image.py" "$out/floor-$1" "$out/$1"/*.gif
    touch "$out/$1/.done"
}

if fresh a; then
    echo "corpus a ..."
    "$py" "$here/gen_images.py" a "$out/a"
    floor a
fi

if fresh b; then
    echo "corpus b ..."
    "$py" "$here/gen_images.py" b "$out/b"
    floor b
fi

if fresh c; then
    echo "corpus c ..."
    base="$out/c/.base.gif"
    "$py" "$here/gen_images.py" c-base "$base"
    k=0
    while [ $k -lt 20 ]; do
        first=$((2 * k))
        name=$(printf 'c%02d.gif' $k)
        if [ $first -eq 0 ]; then
            gifsicle "$base" '#0-49' -o "$out/c/$name"
        else
            gifsicle "$base" "#$first-49" "#0-$((first - 1))" -o "$out/c/$name"
        fi
        k=$((k + 1))
    done
    rm -f "$base"
    floor c
fi

if fresh d; then
    echo "corpus d ..."
    parts="$out/d/.parts"
    mkdir -p "$parts"
    "$py" "$here/gen_images.py" d-parts "$parts"
    d="$out/d"
    cp "$parts/local-table.gif" "$d/d01-local-table.gif"
    cp "$parts/transparent.gif" "$d/d02-transparent.gif"
    gifsicle -l --app-extension BENCHMARK1.0 'edge case data' "$parts/comment-app-src.gif" -o "$d/d03-comment-app.gif"
    gifsicle --position 37,53 "$parts/offset-src.gif" --logical-screen 400x300 -o "$d/d04-offset.gif"
    cp "$parts/tiny.gif" "$d/d05-tiny.gif"
    gifsicle --position 4000,3000 "$parts/big-screen-src.gif" --logical-screen 8000x6000 -o "$d/d06-big-screen.gif"
    "$convert" -size 2400x1600 gradient:navy-gold +dither -colors 256 "$d/d07-large-image.gif"
    "$convert" "$parts/gif87a-src.gif" "GIF87:$d/d08-gif87a.gif"
    cp "$parts/two-colour.gif" "$d/d09-two-colour.gif"
    gifsicle -O3 "$parts/anim-src.gif" -o "$d/d10-gifsicle-O3.gif"
    "$convert" "$parts/anim-src.gif" -layers Optimize "$d/d11-imagemagick-optimised.gif"
    rm -rf "$parts"
    floor d
fi

if fresh e; then
    echo "corpus e ..."
    "$py" "$here/gen_images.py" e "$out/e"
    (cd "$out" && find e -maxdepth 1 -name '*.gif' | sort >e.list)
    (cd "$out" && "$py" "$here/first_image.py" floor-e --from e.list &&
        find floor-e -maxdepth 1 -name '*.bin' | sort >floor-e.list)
    touch "$out/e/.done"
fi

[ "$only" = "  " ] || exit 0
(cd "$out" && find a b c d e -name '*.gif' | sort | xargs sha256sum >SHA256SUMS)
for c in a b c d e; do
    printf 'corpus %s: %6d files, %s\n' "$c" "$(find "$out/$c" -maxdepth 1 -name "*.gif" | wc -l)" "$(du -sh "$out/$c" | cut -f1)"
done
