#!/usr/bin/env bash
# Tests of the tooling: the step runner of ./test.sh, the executable format check of tests/win/check_exe.py, and
# the icons of both programs drawn alike (res/make_icons.py). Needs: python3, imagemagick.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
status=0
echo "== the step runner (tests/tools/test-lib-test.sh)"
tests/tools/test-lib-test.sh || status=1
echo "== the executable format check (tests/win/check_exe_test.py)"
python3 tests/win/check_exe_test.py || status=1
echo "== the .ico and the PNG icons show the same picture (tests/tools/icons_test.py)"
python3 tests/tools/icons_test.py || status=1
exit "$status"
