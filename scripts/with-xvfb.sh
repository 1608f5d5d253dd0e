#!/bin/sh
# Runs a command on a virtual X display of its own. The X server picks a free
# display number itself and reports it (Xvfb -displayfd), so that servers
# started at the same moment by other runs never take the same number; the
# server ends with the command, whose exit status is returned.
#
#   scripts/with-xvfb.sh [-s "SCREEN ARGUMENTS"] COMMAND [ARGUMENT...]
#
# The screen arguments default to "-screen 0 1280x900x24". The server listens
# on no TCP port. Needs Xvfb (package xvfb).
set -eu

screen_arguments="-screen 0 1280x900x24"
if [ "${1:-}" = -s ]; then
    [ $# -ge 2 ] || { echo "with-xvfb: -s needs the screen arguments" >&2; exit 2; }
    screen_arguments=$2
    shift 2
fi
[ $# -ge 1 ] || { echo "usage: with-xvfb.sh [-s \"SCREEN ARGUMENTS\"] COMMAND [ARGUMENT...]" >&2; exit 2; }
command -v Xvfb >/dev/null 2>&1 || { echo "with-xvfb: Xvfb not found (apt-get install xvfb)" >&2; exit 1; }

work=$(mktemp -d)
server=
cleanup() {
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# shellcheck disable=SC2086 # the screen arguments are several words
Xvfb -displayfd 3 -nolisten tcp $screen_arguments 3>"$work/display" 2>"$work/log" &
server=$!

# The number arrives followed by a newline once the server accepts clients.
tries=0
until grep -q '^[0-9][0-9]*$' "$work/display" 2>/dev/null; do
    if ! kill -0 "$server" 2>/dev/null; then
        echo "with-xvfb: Xvfb ended before it took a display:" >&2
        cat "$work/log" >&2
        exit 1
    fi
    tries=$((tries + 1))
    if [ "$tries" -ge 300 ]; then
        echo "with-xvfb: Xvfb named no display within 30 seconds" >&2
        exit 1
    fi
    sleep 0.1
done
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY
unset XAUTHORITY

status=0
"$@" || status=$?
exit "$status"
