#!/usr/bin/env bash
# Makes the browser checks of tests/web ready to run: the Debian packages of the "web" group
# (scripts/install-deps.sh web), then tests/web's npm packages exactly as package-lock.json pins them
# (npm ci), unless the installed ones already came from that lock file.
#
#   scripts/web-deps.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/install-deps.sh" web

web=$root/tests/web
stamp=$web/node_modules/.package-lock.json
if [ -f "$stamp" ] && [ "$stamp" -nt "$web/package-lock.json" ]; then
    exit 0
fi
echo "web-deps.sh: npm ci in tests/web"
npm ci --prefix "$web" --no-audit --no-fund --loglevel=error
