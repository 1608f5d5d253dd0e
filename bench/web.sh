#!/bin/bash
# The web page against zorvane-cli on corpus b (20 frames of 1920x1080, see bench/make_corpus.sh): build
# time in headless Chromium next to the command line's and to the browser's floor (a Blob of the same
# bytes, already in a page), and the page's memory. Writes bench/results/web.md and prints it. Not a test.
#
#   bench/web.sh            (BENCH_ROUNDS=5 builds of each, after one warm-up)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
rounds=${BENCH_ROUNDS:-5}
results=bench/results/web.md

scripts/install-deps.sh python3-pil cmake ninja-build g++
scripts/web-deps.sh
if [ ! -f build-bench/build.ninja ]; then
    cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DZORVANE_BUILD_QT=OFF \
        -DZORVANE_WEB_PAGE=OFF >/dev/null
fi
cmake --build build-bench --target zorvane-cli >/dev/null
cmake --preset web >/dev/null
cmake --build --preset web >/dev/null
bench/make_corpus.sh build/bench b

{
    echo "# The web page against zorvane-cli"
    echo
    echo "Measured $(date -u '+%Y-%m-%d %H:%M') UTC by \`bench/web.sh\` on $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1) x $(nproc) cores,"
    echo "$(chromium --version 2>/dev/null | head -1), Emscripten $(em++ --version | sed -n '1s/.* \([0-9][0-9.]*\) ()$/\1/p'); 1-minute load before: $(cut -d' ' -f1 /proc/loadavg)."
    echo "Corpus b: 20 frames of 1920x1080, delay 10, every image of each (\`--all-frames\`), plays 2 to $((rounds + 2))"
    echo "(one build per value, so the page cannot reuse its last build). Times: medians, after one warm-up each."
    echo
    node bench/web_bench.mjs build-web/zorvane-web build-bench/zorvane-cli "$rounds" build/bench/b/*.gif
} >"$results"
cat "$results"
