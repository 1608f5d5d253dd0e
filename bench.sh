#!/bin/bash
# Measures `zorvane-cli make` against gifsicle, ImageMagick and the `cat` floor
# on four generated corpora (see bench/make_corpus.sh), `make --frames-from`
# against the `cat` floor on a fifth of 100,000 frames, a join of corpus c's
# animations with all their frames (`make --all-frames`) against gifsicle and
# the `cat` floor, and `zorvane-cli info` against `gifsicle --info` and
# `identify` on corpus a, and `make --optimize` against `gifsicle -O3` on
# whole-frame exports, a join of animations and optimised animations (sets
# ow, oj, oo; peak memory written smallest with c's 1,000 frames: set om). Writes
# bench/results/latest.md and prints it. Not a test: nothing here fails on a
# slow figure; the targets are reported as met or missed.
#
#   ./bench.sh            # everything (about 6 minutes on 2 cores, once the
#                         # corpora exist)
#
# Environment:
#   BENCH_ROUNDS=3        hyperfine invocations per corpus; the command order
#                         rotates from one to the next, and medians are taken
#                         over the runs of all of them
#   BENCH_MAX_LOAD=1.5    wait (up to BENCH_LOAD_WAIT seconds, default 300)
#                         for the 1-minute load average to drop below this
#   BENCH_CLI=PATH        measure this zorvane-cli instead of building one
#   BENCH_RESULTS=FILE    write the report there (default bench/results/latest.md)
#   BENCH_SETS="a j"      measure these sets only (default: a b c d e j info
#                         ow oj oo om);
#                         the report then covers what was measured
set -euo pipefail

root=$(cd "$(dirname "$0")" && pwd)
build="$root/build-bench"
bench="$root/build/bench"
out="$bench/out"
results=${BENCH_RESULTS:-"$root/bench/results/latest.md"}
# A relative path is taken from where the script was started (it works in
# the corpus folder).
case $results in /*) ;; *) results="$PWD/$results" ;; esac
rounds=${BENCH_ROUNDS:-3}
max_load=${BENCH_MAX_LOAD:-1.5}
load_wait=${BENCH_LOAD_WAIT:-300}
# The real ImageMagick binaries, by absolute path: a wrapper earlier in PATH
# would be timed along with them.
convert=/usr/bin/convert
identify=/usr/bin/identify
py=/usr/bin/python3

# --- packages ---------------------------------------------------------------
"$root/scripts/install-deps.sh" hyperfine gifsicle imagemagick python3-pil time cmake ninja-build g++

# --- release build and corpora ----------------------------------------------
if [ -n "${BENCH_CLI:-}" ]; then
    zorvane=$(cd "$(dirname "$BENCH_CLI")" && pwd)/$(basename "$BENCH_CLI")
else
    if [ ! -f "$build/build.ninja" ]; then
        cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
            -DZORVANE_BUILD_QT=OFF >/dev/null
    fi
    cmake --build "$build" --target zorvane-cli >/dev/null
    zorvane="$build/zorvane-cli"
fi
# Only the corpora the sets measured need.
corpora=""
for set in ${BENCH_SETS:-a b c d e j info ow oj oo om}; do
    case $set in
        a | b | c | d | e) corpora+=" $set" ;;
        j | om) corpora+=" c" ;;
        info) corpora+=" a" ;;
    esac
done
# shellcheck disable=SC2086 # one word per corpus
[ -n "$corpora" ] && "$root/bench/make_corpus.sh" "$bench" $corpora
"$root/bench/optimize_corpus.sh" "$bench" "$zorvane"

rm -rf "$out"
mkdir -p "$out"
cd "$bench" # commands use short relative paths from here

load1() { cut -d' ' -f1 /proc/loadavg; }
wait_for_quiet() {
    local waited=0
    while awk -v l="$(load1)" -v m="$max_load" 'BEGIN { exit !(l >= m) }' && [ $waited -lt "$load_wait" ]; do
        [ $waited -eq 0 ] && echo "bench: load $(load1), waiting for < $max_load (up to ${load_wait}s)"
        sleep 15
        waited=$((waited + 15))
    done
}

q() { printf '%q' "$1"; } # quoted for hyperfine's shell

# --- one corpus: names and commands into $out/CORPUS.cmds, then measure -------
# Each line of CORPUS.cmds: tool<TAB>command<TAB>output file ("-" for stdout).
write_make_commands() {
    local c=$1 f zcmd gcmd icmd
    zcmd="$(q "$zorvane") make -o out/zorvane-$c.gif -d 10"
    gcmd="gifsicle --no-warnings -l -d10"
    icmd="$convert -delay 10 -loop 0"
    for f in "$c"/*.gif; do
        zcmd+=" $(q "$f")"
        gcmd+=" $(q "$f") '#0'"
        icmd+=" $(q "${f}[0]")"
    done
    gcmd+=" -o out/gifsicle-$c.gif"
    icmd+=" out/imagemagick-$c.gif"
    {
        printf 'zorvane-cli make\t%s\tout/zorvane-%s.gif\n' "$zcmd" "$c"
        printf 'gifsicle\t%s\tout/gifsicle-%s.gif\n' "$gcmd" "$c"
        printf 'ImageMagick convert\t%s\tout/imagemagick-%s.gif\n' "$icmd" "$c"
        printf 'cat floor\tcat floor-%s/*.bin > out/cat-%s.bin\tout/cat-%s.bin\n' "$c" "$c" "$c"
    } >"$out/$c.cmds"
}

# Corpus e: 100,000 frames, named in a list (no command line holds them all).
# The floor's pieces go to cat through xargs, which starts cat a few times.
write_list_commands() {
    local c=$1
    {
        printf 'zorvane-cli make\t%s make -o out/zorvane-%s.gif -d 10 --frames-from %s.list\tout/zorvane-%s.gif\n' \
            "$(q "$zorvane")" "$c" "$c" "$c"
        printf "cat floor\txargs -d '\\\\n' cat <floor-%s.list >out/cat-%s.bin\tout/cat-%s.bin\n" "$c" "$c" "$c"
    } >"$out/$c.cmds"
}

# Set j: corpus c's 20 animations joined end to end with all their 1,000
# frames and their own delays. gifsicle joins every frame of its inputs too;
# the floor copies the whole input files.
write_join_commands() {
    local files
    files=$(printf ' %q' c/*.gif)
    {
        printf 'zorvane-cli make\t%s make --all-frames -o out/zorvane-j.gif%s\tout/zorvane-j.gif\n' "$(q "$zorvane")" "$files"
        printf 'gifsicle\tgifsicle --no-warnings%s -o out/gifsicle-j.gif\tout/gifsicle-j.gif\n' "$files"
        printf 'cat floor\tcat%s > out/cat-j.bin\tout/cat-j.bin\n' "$files"
    } >"$out/j.cmds"
}

# Sets ow, oj, oo: the same frames written smallest by Zorvane (from the
# inputs: the default output is built, then optimised) and by gifsicle -O3
# (from that default output, which bench/optimize_corpus.sh wrote).
write_smallest_commands() {
    local set=$1 inputs
    case $set in
        ow) inputs="o/whole.gif" ;;
        oj) inputs="o/whole.gif o/sprite.gif o/layered.gif" ;;
        oo) inputs="o/optimised.gif o/layered.gif" ;;
    esac
    {
        printf 'zorvane-cli make\t%s make --optimize --all-frames -o out/zorvane-%s.gif %s\tout/zorvane-%s.gif\n' \
            "$(q "$zorvane")" "$set" "$inputs" "$set"
        printf 'gifsicle -O3\tgifsicle -O3 o/%s-default.gif -o out/gifsicle-%s.gif\tout/gifsicle-%s.gif\n' "$set" "$set" "$set"
    } >"$out/$set.cmds"
}

# Set om: memory written smallest, with corpus c's 1,000 frames of 640x480.
write_memory_commands() {
    local files
    files=$(printf ' %q' c/*.gif)
    printf 'zorvane-cli make\t%s make --optimize --all-frames -o out/zorvane-om.gif%s\tout/zorvane-om.gif\n' \
        "$(q "$zorvane")" "$files" >"$out/om.cmds"
}

write_info_commands() {
    local files
    files=$(printf ' %q' a/*.gif)
    {
        printf 'zorvane-cli info\t%s info%s\t-\n' "$(q "$zorvane")" "$files"
        printf 'gifsicle --info\tgifsicle --info%s\t-\n' "$files"
        printf 'ImageMagick identify\t%s%s\t-\n' "$identify" "$files"
    } >"$out/info.cmds"
}

measure() { # measure SET RUNS: hyperfine rounds, then peak RSS (median of 3 runs) of each command
    local set=$1 runs=$2 n r k args tool cmd
    n=$(wc -l <"$out/$set.cmds")
    wait_for_quiet
    echo "load_before $set $(load1)" >>"$out/env.txt"
    for r in $(seq 1 "$rounds"); do
        echo "bench: $set, round $r/$rounds ($runs runs per command)"
        args=()
        for k in $(seq 0 $((n - 1))); do # rotate the order each round
            IFS=$'\t' read -r tool cmd _ < <(sed -n "$(((k + r - 1) % n + 1))p" "$out/$set.cmds")
            args+=(-n "$tool" "$cmd")
        done
        hyperfine --style basic --warmup 1 --runs "$runs" --export-json "$out/$set.round$r.json" "${args[@]}" \
            >>"$out/$set.hyperfine.log"
    done
    echo "load_after $set $(load1)" >>"$out/env.txt"
    while IFS=$'\t' read -r tool cmd _; do
        for k in 1 2 3; do
            eval "/usr/bin/time -v -o $(q "$out/rss.txt") $cmd" >/dev/null
            sed -n 's/.*Maximum resident set size (kbytes): //p' "$out/rss.txt"
        done | sort -n | sed -n 2p | xargs printf '%s\t%s\t%s\n' "$set" "$tool"
    done <"$out/$set.cmds" >>"$out/rss.tsv"
}

{
    echo "date $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "cpu $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1) x $(nproc)"
    echo "kernel $(uname -r)"
    echo "versions zorvane-cli $("$zorvane" --version | head -1 | awk '{print $NF}'), $(gifsicle --version | head -1),"\
         "$("$convert" -version | sed -n 's/^Version: \(ImageMagick [^ ]*\).*/\1/p'), $(hyperfine --version), $(cat --version | head -1)"
    echo "rounds $rounds"
    echo "list_e $(wc -c <e.list) $(wc -l <e.list)"
} >"$out/env.txt"

runs_for() { case $1 in a | d) echo 10 ;; b | e) echo 3 ;; c | j | ow | oj | oo) echo 5 ;; om) echo 1 ;; info) echo 10 ;; esac; }
sets=${BENCH_SETS:-a b c d e j info ow oj oo om}
measured=()
for set in $sets; do
    case $set in
        a | b | c | d) write_make_commands "$set" ;;
        e) write_list_commands e ;;
        j) write_join_commands ;;
        info) write_info_commands ;;
        ow | oj | oo) write_smallest_commands "$set" ;;
        om) write_memory_commands ;;
        *) echo "bench: unknown set $set" >&2 && exit 2 ;;
    esac
    measure "$set" "$(runs_for "$set")"
    measured+=("$set")
done

# --- checks: frames of every output (gifsicle --info), bytes of the copy -----
measured_has() { [[ " ${measured[*]} " == *" $1 "* ]]; }
for c in a b c d e j; do
    measured_has "$c" || continue
    if [ "$c" = j ]; then
        # Every image of every input, and the clearing frames the join adds.
        n=$("$zorvane" make --dry-run --all-frames -o out/dry-j.gif c/*.gif | sed -n 's/.*: \([0-9]*\) frames,.*/\1/p')
        images=$(gifsicle --info c/*.gif | grep -c '^  + image')
    else
        n=$(find "$c" -maxdepth 1 -name "*.gif" | wc -l)
        images=$n
        floor_bytes=$(find floor-"$c" -maxdepth 1 -name "*.bin" -print0 | xargs -0 cat | wc -c)
    fi
    while IFS=$'\t' read -r tool _ file; do
        size=$(stat -c %s "$file")
        if [ "$tool" = "cat floor" ]; then
            check="n/a (raw bytes)"
        else
            frames=$(gifsicle --info "$file" | sed -n '1s/^\* [^ ]* \([0-9]*\) images\{0,1\}$/\1/p')
            expect=$n
            [ "$tool" = gifsicle ] && expect=$images # it adds no clearing frames
            if [ "$frames" = "$expect" ]; then check="$frames/$expect ✓"; else check="${frames:-?}/$expect ✗"; fi
            if [ "$tool" = "zorvane-cli make" ] && [ "$c" != j ]; then
                # Header 6 + screen 7 + loop block 19 + trailer 1, and an
                # 8-byte graphic control block per frame around the copies;
                # less where frames share one table, written once.
                if [ "$size" -le $((floor_bytes + 33 + 8 * n)) ]; then
                    check+=", ≤ floor + 8/frame + 33 B ✓"
                else
                    check+=", > floor + 8/frame + 33 B ✗"
                fi
            fi
        fi
        printf '%s\t%s\t%s\t%s\n' "$c" "$tool" "$size" "$check"
    done <"$out/$c.cmds"
done >"$out/checks.tsv"
# Written smallest: the size of each output, and whether it plays as the
# default output (pictures and durations, by the core's player through the
# test tool play_frames when a tree with tests has it).
for c in ow oj oo om; do
    measured_has "$c" || continue
    while IFS=$'\t' read -r tool _ file; do
        printf '%s\t%s\t%s\t%s\n' "$c" "$tool" "$(stat -c %s "$file")" "$(gifsicle --info "$file" | sed -n '1s/^\* [^ ]* \([0-9]*\) images\{0,1\}$/\1/p') frames"
    done <"$out/$c.cmds"
done >>"$out/checks.tsv"
if measured_has info; then
    while IFS=$'\t' read -r tool cmd _; do
        listed=$(eval "$cmd" 2>/dev/null | grep -c -- '^\(\* \)\{0,1\}a/a[0-9]*\.gif[: ]') || true
        printf 'info\t%s\t-\t%s\n' "$tool" "$listed/100 files listed$([ "$listed" = 100 ] && echo ' ✓' || echo ' ✗')"
    done <"$out/info.cmds" >>"$out/checks.tsv"
fi

mkdir -p "$(dirname "$results")"
"$py" "$root/bench/report.py" "$out" >"$results"
cat "$results"
