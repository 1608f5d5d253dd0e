#!/usr/bin/env bash
# Fuzzes every target for SECONDS each (default 600), one after the other.
#   ./fuzz.sh [SECONDS]
# The corpus grows in build-fuzz/corpus/TARGET and is kept between runs;
# crashes are written to build-fuzz/artifacts/TARGET/ (minimise them with
# `build-fuzz/TARGET -minimize_crash=1 -runs=10000 FILE` and keep them in
# fuzz/regressions/NAME.bin). Exit status 1 when any target failed.
set -u
ZORVANE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$ZORVANE_ROOT/fuzz/fuzz-lib.sh"

seconds="${1:-600}"
case "$seconds" in
'' | *[!0-9]*) echo "usage: ./fuzz.sh [SECONDS]" >&2; exit 2 ;;
esac

zv_fuzz_build || exit 1
status=0
zv_fuzz_replay || status=1
for target in $ZV_FUZZ_TARGETS; do
    zv_fuzz_run "$target" "$seconds" "$ZV_FUZZ_BUILD/corpus/$target" || status=1
done
exit $status
