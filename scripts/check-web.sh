#!/usr/bin/env bash
# The web page in a real browser: builds build-web/zorvane-web/ (cmake --preset web), then drives it in
# headless Chromium (tests/web/page-scenario.mjs) and compares its download with zorvane-cli make's
# output for the same plan. Screenshots at a desktop's and a phone's width go to build-web/scenario/.
#
#   scripts/check-web.sh [ZORVANE_CLI]   (default build/zorvane-cli)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
cli=$(realpath "${1:-build/zorvane-cli}")
[ -x "$cli" ] || { echo "check-web.sh: no zorvane-cli at $cli (build the native tree first)" >&2; exit 1; }

scripts/web-deps.sh
cmake --preset web
cmake --build --preset web
echo "page files:"
(cd build-web/zorvane-web && wc -c -- *)
node tests/web/page-scenario.mjs build-web/zorvane-web "$cli" build-web/scenario
