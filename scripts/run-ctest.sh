#!/usr/bin/env bash
# Runs a native build tree's CTest suite, after checking that every suite a native tree must hold is registered:
# a tree configured without one of them fails here instead of running fewer tests.
#
#   scripts/run-ctest.sh [--sanitized] BUILD_DIR
#
# --sanitized: leaks detected, UBSan stops at the first finding with a stack trace.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

if [ "${1:-}" = --sanitized ]; then
    export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    shift
fi
dir=${1:?usage: scripts/run-ctest.sh [--sanitized] BUILD_DIR}

native_suites=(core_tests giflib_tests cli_tests qt_window_tests)
listed=$(ctest --test-dir "$dir" -N -V)
missing=0
for suite in "${native_suites[@]}"; do
    if ! grep -q "/$suite\b" <<<"$listed"; then
        echo "$dir: no tests of $suite are registered (was it built?)"
        missing=1
    fi
done
[ "$missing" -eq 0 ] || exit 1
ctest --test-dir "$dir" --output-on-failure --no-tests=error -j2
