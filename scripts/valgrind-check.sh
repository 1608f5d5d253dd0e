#!/usr/bin/env bash
# Memory check of the command line, and of whole GoogleTest programs, under
# valgrind's memcheck:
#   scripts/valgrind-check.sh PATH/TO/zorvane-cli [PATH/TO/TEST_PROGRAM...]
# Runs `info` over every sample and every GIF of the public corpus ($ZORVANE_CORPUS_DIR,
# tests/data/pygif-test-suite unless set),
# `make` over each of those files alone, over all samples together and over all
# corpus files that build alone. Any memcheck error fails the check: invalid
# reads or writes, jumps on uninitialised values, and above all a write of
# bytes the run never filled ("Syscall param write(buf) points to
# uninitialised byte(s)"), as well as definite leaks.
#
# Each TEST_PROGRAM (test.sh names core_tests and giflib_tests) runs in full
# under memcheck, the children it forks included; it must pass, and no
# process may have a memcheck error.
#
# memcheck's errors are told apart from the program's own exit status 1 (a
# file it rejects with a message) by a distinct error exit code and by the
# error summary of each log.
set -u
usage="usage: scripts/valgrind-check.sh PATH/TO/zorvane-cli [PATH/TO/TEST_PROGRAM...]"
for program in "$@"; do
    [ -x "$program" ] || { echo "$usage" >&2; exit 2; }
done
[ $# -ge 1 ] || { echo "$usage" >&2; exit 2; }
cli="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
shift
test_programs=("$@")
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
ZORVANE_CORPUS_DIR="${ZORVANE_CORPUS_DIR:-$root/tests/data/pygif-test-suite}"
corpus=$ZORVANE_CORPUS_DIR
[ -d "$corpus" ] || { echo "valgrind-check: no corpus folder $corpus" >&2; exit 1; }

"$root/scripts/install-deps.sh" valgrind || exit 1

memcheck_status=99
work="$(mktemp -d "${TMPDIR:-/tmp}/zorvane-valgrind-XXXXXX")"
trap 'rm -rf "$work"' EXIT

samples=("$root"/samples/*.gif)
corpus_files=()
[ -d "$corpus" ] && corpus_files=("$corpus"/*.gif)
[ -e "${samples[0]}" ] || samples=()

runs=0
failures=0
# check NAME ARGS...: one run of the command line under memcheck.
check() {
    local name="$1"
    shift
    local log="$work/$name.log"
    runs=$((runs + 1))
    valgrind --tool=memcheck --error-exitcode=$memcheck_status --track-origins=yes \
        --leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite \
        --log-file="$log" "$cli" "$@" >/dev/null 2>"$work/$name.stderr"
    local status=$?
    if [ $status -eq $memcheck_status ] || ! grep -q 'ERROR SUMMARY: 0 errors' "$log"; then
        failures=$((failures + 1))
        echo "valgrind-check: memcheck errors in: zorvane-cli $*" >&2
        grep -E '^==[0-9]+== ' "$log" | head -60 >&2
        return 1
    fi
    return $status
}

if [ ${#samples[@]} -eq 0 ] && [ ${#corpus_files[@]} -eq 0 ]; then
    echo "valgrind-check: no GIF files found" >&2
    exit 1
fi

check info-all info "${samples[@]}" "${corpus_files[@]}"
buildable=()
i=0
for file in "${samples[@]}" "${corpus_files[@]}"; do
    i=$((i + 1))
    if check "make-$i" make -o "$work/out-$i.gif" -d 7 "$file"; then
        buildable+=("$file")
    fi
    rm -f "$work/out-$i.gif"
done
[ ${#samples[@]} -gt 0 ] && check make-samples make -o "$work/samples.gif" -d 10 "${samples[@]}"
[ ${#buildable[@]} -gt 0 ] && check make-buildable make -o "$work/all.gif" --no-loop "${buildable[@]}"

# check_program PROGRAM: a whole test program under memcheck, one log a process.
check_program() {
    local program="$1" name
    name=$(basename "$program")
    runs=$((runs + 1))
    valgrind --tool=memcheck --error-exitcode=$memcheck_status --track-origins=yes \
        --leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite \
        --log-file="$work/$name.%p.log" "$program" >"$work/$name.out" 2>&1
    local status=$?
    local bad_logs log
    bad_logs=$(grep -l 'ERROR SUMMARY: [1-9]' "$work/$name".*.log)
    if [ $status -eq $memcheck_status ] || [ -n "$bad_logs" ]; then
        failures=$((failures + 1))
        echo "valgrind-check: memcheck errors in: $name" >&2
        for log in $bad_logs; do grep -E '^==[0-9]+== ' "$log"; done | head -60 >&2
        return 1
    elif [ $status -ne 0 ]; then
        failures=$((failures + 1))
        echo "valgrind-check: $name failed under memcheck (exit status $status):" >&2
        tail -30 "$work/$name.out" >&2
        return 1
    fi
}

for program in "${test_programs[@]}"; do
    check_program "$program"
done

if [ $failures -ne 0 ]; then
    echo "valgrind-check: $failures of $runs runs had memcheck errors or failed" >&2
    exit 1
fi
echo "valgrind-check: $runs runs under memcheck (zorvane-cli${test_programs[*]:+, ${test_programs[*]##*/}}), no error"
