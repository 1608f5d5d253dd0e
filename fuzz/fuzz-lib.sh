# Shared by ./fuzz.sh and scripts/fuzz-smoke.sh: sourced, not run.
# Expects ZORVANE_ROOT (the project root) to be set.

ZV_FUZZ_BUILD="${ZV_FUZZ_BUILD:-$ZORVANE_ROOT/build-fuzz}"
ZV_FUZZ_TARGETS="summary_fuzzer build_fuzzer"
ZORVANE_CORPUS_DIR="${ZORVANE_CORPUS_DIR:-$ZORVANE_ROOT/tests/data/pygif-test-suite}"

zv_log() { printf '%s\n' "fuzz: $*" >&2; }

# Installs clang, libFuzzer's runtime and giflib when missing (as root).
zv_fuzz_install_deps() {
    local missing=()
    command -v clang++ >/dev/null 2>&1 || missing+=(clang)
    command -v cmake >/dev/null 2>&1 || missing+=(cmake)
    dpkg -s libclang-rt-dev >/dev/null 2>&1 || missing+=(libclang-rt-dev)
    [ -f /usr/include/gif_lib.h ] || missing+=(libgif-dev)
    [ "${#missing[@]}" -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        zv_log "missing packages: ${missing[*]} (install them as root)"
        return 1
    fi
    zv_log "installing ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}" >/dev/null ||
        { apt-get update >/dev/null && DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}" >/dev/null; }
}

# Configures and builds the targets, then writes the generated seeds.
zv_fuzz_build() {
    zv_fuzz_install_deps || return 1
    mkdir -p "$ZV_FUZZ_BUILD/logs"
    cmake -S "$ZORVANE_ROOT/fuzz" -B "$ZV_FUZZ_BUILD" -DCMAKE_CXX_COMPILER=clang++ >"$ZV_FUZZ_BUILD/logs/configure.log" 2>&1 ||
        { cat "$ZV_FUZZ_BUILD/logs/configure.log" >&2; return 1; }
    cmake --build "$ZV_FUZZ_BUILD" -j "${ZV_JOBS:-2}" >"$ZV_FUZZ_BUILD/logs/build.log" 2>&1 ||
        { cat "$ZV_FUZZ_BUILD/logs/build.log" >&2; return 1; }
    rm -rf "$ZV_FUZZ_BUILD/seeds"
    mkdir -p "$ZV_FUZZ_BUILD/seeds/summary_fuzzer" "$ZV_FUZZ_BUILD/seeds/build_fuzzer"
    local gifs=("$ZORVANE_ROOT"/samples/*.gif)
    [ -d "$ZORVANE_CORPUS_DIR" ] && gifs+=("$ZORVANE_CORPUS_DIR"/*.gif)
    "$ZV_FUZZ_BUILD/make_seeds" "$ZV_FUZZ_BUILD/seeds/summary_fuzzer" "$ZV_FUZZ_BUILD/seeds/build_fuzzer" \
        "${gifs[@]}" || return 1
}

# A fresh folder for the scratch files of one target run: in memory when it
# can. libFuzzer leaves by _Exit on some paths, so the targets' own clean-up
# does not always run; the caller removes the folder.
zv_scratch_dir() {
    local base="${TMPDIR:-/tmp}"
    if [ -d /dev/shm ] && [ -w /dev/shm ]; then base=/dev/shm; fi
    mktemp -d "$base/zorvane-fuzz-run-XXXXXX"
}

# Replays every file of fuzz/regressions through both targets.
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
    local seed_dirs=("$ZV_FUZZ_BUILD/seeds/$target" "$ZORVANE_ROOT/samples")
    [ -d "$ZORVANE_CORPUS_DIR" ] && seed_dirs+=("$ZORVANE_CORPUS_DIR")
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
