#!/usr/bin/env bash
# Quick fuzz check for ./test.sh: builds the fuzz targets, replays every file
# of fuzz/regressions through each, then fuzzes each target for about 30 s
# (FUZZ_SMOKE_SECONDS) from the seeds alone, in a fresh corpus.
set -u
ZORVANE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
ZV_FUZZ_BUILD="${ZV_FUZZ_BUILD:-$ZORVANE_ROOT/build-fuzz}"
. "$ZORVANE_ROOT/fuzz/fuzz-lib.sh"

seconds="${FUZZ_SMOKE_SECONDS:-30}"
zv_fuzz_build || exit 1
status=0
zv_fuzz_replay || status=1
corpus_root="$(mktemp -d "${TMPDIR:-/tmp}/zorvane-fuzz-smoke-XXXXXX")"
trap 'rm -rf "$corpus_root"' EXIT
for target in $ZV_FUZZ_TARGETS; do
    zv_fuzz_run "$target" "$seconds" "$corpus_root/$target" || status=1
done
exit $status
