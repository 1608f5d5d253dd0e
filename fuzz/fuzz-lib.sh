# Shared by ./fuzz.sh and scripts/fuzz-smoke.sh: sourced, not run.
# Expects ZORVANE_ROOT (the project root) to be set.

ZV_FUZZ_BUILD="${ZV_FUZZ_BUILD:-$ZORVANE_ROOT/build-fuzz}"
ZV_FUZZ_TARGETS="summary_fuzzer build_fuzzer plan_fuzzer player_fuzzer"
ZORVANE_CORPUS_DIR="${ZORVANE_CORPUS_DIR:-$ZORVANE_ROOT/tests/data/pygif-test-suite}"

zv_log() { printf '%s\n' "fuzz: $*" >&2; }

# The generated seeds are written beside the public corpus, which every run
# starts from: its absence is an error, not a smaller corpus.
zv_fuzz_check_corpus() {
    if ! compgen -G "$ZORVANE_CORPUS_DIR/*.gif" >/dev/null; then
        zv_log "no GIF files in the corpus folder ZORVANE_CORPUS_DIR=$ZORVANE_CORPUS_DIR"
        return 1
    fi
}

# Configures the fuzzing tree from the project root (clang, ZORVANE_FUZZING),
# builds the targets, then writes the generated seeds. A tree configured from
# elsewhere or with another generator is configured afresh; its corpus stays.
zv_fuzz_build() {
    zv_fuzz_check_corpus || return 1
    "$ZORVANE_ROOT/scripts/install-deps.sh" fuzz >&2 || return 1
    mkdir -p "$ZV_FUZZ_BUILD/logs"
    local cache="$ZV_FUZZ_BUILD/CMakeCache.txt"
    if [ -f "$cache" ] && { ! grep -qx "CMAKE_HOME_DIRECTORY:INTERNAL=$ZORVANE_ROOT" "$cache" ||
        ! grep -qx 'CMAKE_GENERATOR:INTERNAL=Ninja' "$cache"; }; then
        zv_log "configuring $ZV_FUZZ_BUILD afresh"
        rm -rf "$cache" "$ZV_FUZZ_BUILD/CMakeFiles"
    fi
    cmake -S "$ZORVANE_ROOT" -B "$ZV_FUZZ_BUILD" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DZORVANE_FUZZING=ON -DZORVANE_SANITIZE=OFF -DBUILD_TESTING=OFF -DZORVANE_BUILD_QT=OFF \
        -DZORVANE_CORPUS_DIR="$ZORVANE_CORPUS_DIR" >"$ZV_FUZZ_BUILD/logs/configure.log" 2>&1 ||
        { cat "$ZV_FUZZ_BUILD/logs/configure.log" >&2; return 1; }
    cmake --build "$ZV_FUZZ_BUILD" -j "${ZV_JOBS:-2}" --target $ZV_FUZZ_TARGETS make_seeds \
        >"$ZV_FUZZ_BUILD/logs/build.log" 2>&1 ||
        { cat "$ZV_FUZZ_BUILD/logs/build.log" >&2; return 1; }
    rm -rf "$ZV_FUZZ_BUILD/seeds"
    local seeds="$ZV_FUZZ_BUILD/seeds"
    mkdir -p "$seeds/summary_fuzzer" "$seeds/build_fuzzer" "$seeds/plan_fuzzer"
    "$ZV_FUZZ_BUILD/make_seeds" "$seeds/summary_fuzzer" "$seeds/build_fuzzer" "$seeds/plan_fuzzer" \
        "$ZORVANE_ROOT"/fuzz/animations/*.gif "$ZORVANE_ROOT"/samples/*.gif "$ZORVANE_CORPUS_DIR"/*.gif || return 1
    # The player reads one file, as the summary does.
    cp -r "$seeds/summary_fuzzer" "$seeds/player_fuzzer"
}

# A fresh folder for the scratch files of one target run: in memory when it
# can. libFuzzer leaves by _Exit on some paths, so the targets' own clean-up
# does not always run; the caller removes the folder.
zv_scratch_dir() {
    local base="${TMPDIR:-/tmp}"
    if [ -d /dev/shm ] && [ -w /dev/shm ]; then base=/dev/shm; fi
    mktemp -d "$base/zorvane-fuzz-run-XXXXXX"
}

# Replays every file of fuzz/regressions through every target.
zv_fuzz_replay() {
    local files=("$ZORVANE_ROOT"/fuzz/regressions/*.bin) status=0 target
    [ -e "${files[0]}" ] || { zv_log "no regression files"; return 0; }
    for target in $ZV_FUZZ_TARGETS; do
        local scratch log="$ZV_FUZZ_BUILD/logs/replay-$target.log"
        scratch="$(zv_scratch_dir)" || return 1
        if TMPDIR="$scratch" "$ZV_FUZZ_BUILD/$target" -runs=1 "${files[@]}" >"$log" 2>&1; then
            zv_log "$target: ${#files[@]} regression files replayed"
        else
            zv_log "$target: a regression file fails again:"
            tail -40 "$log" >&2
            status=1
        fi
        rm -rf "$scratch"
    done
    return $status
}

# zv_fuzz_run TARGET SECONDS CORPUS_DIR: fuzzes from the seeds, growing
# CORPUS_DIR. Crashes land in $ZV_FUZZ_BUILD/artifacts/TARGET/.
zv_fuzz_run() {
    local target="$1" seconds="$2" corpus="$3"
    local artifacts="$ZV_FUZZ_BUILD/artifacts/$target" log="$ZV_FUZZ_BUILD/logs/$target.log"
    mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
    local seed_dirs=("$ZV_FUZZ_BUILD/seeds/$target" "$ZORVANE_ROOT/samples" "$ZORVANE_CORPUS_DIR")
    zv_log "$target: fuzzing for ${seconds}s (log: $log)"
    local status=0 scratch
    scratch="$(zv_scratch_dir)" || return 1
    TMPDIR="$scratch" "$ZV_FUZZ_BUILD/$target" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
        -dict="$ZORVANE_ROOT/fuzz/gif.dict" -artifact_prefix="$artifacts/" -print_final_stats=1 \
        "$corpus" "${seed_dirs[@]}" >"$log" 2>&1 || status=$?
    rm -rf "$scratch"
    local runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    if [ "$status" -eq 0 ]; then
        zv_log "$target: ${runs:-?} executions, no crash"
    else
        zv_log "$target: FAILED (exit $status) after ${runs:-?} executions; artifacts in $artifacts"
        grep -E 'ERROR|check failed|SUMMARY|Test unit written' "$log" | head -20 >&2
    fi
    return $status
}
