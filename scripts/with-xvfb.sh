#!/bin/sh
# Runs a command on an X server of its own. The server picks a free display
# itself (Xvfb -displayfd), so no number is guessed and then taken by another
# server started at the same moment: steps that run at once on one machine
# never share or lose a display.
#
#   scripts/with-xvfb.sh [-s "XVFB ARGUMENTS"] COMMAND [ARGUMENT...]
#
# The command runs with DISPLAY and XAUTHORITY set (a cookie of its own; the
# server takes no TCP connections). The server is stopped when the command
# ends, and the exit status is the command's. Default arguments: one screen
# of 1024x768x24. Needs Xvfb and xauth (packages xvfb, xauth).
set -eu

usage='usage: scripts/with-xvfb.sh [-s "XVFB ARGUMENTS"] COMMAND [ARGUMENT...]'
server_args="-screen 0 1024x768x24"
if [ "${1:-}" = -s ]; then
    [ $# -ge 2 ] || { echo "$usage" >&2; exit 2; }
    server_args=$2
    shift 2
fi
[ $# -ge 1 ] || { echo "$usage" >&2; exit 2; }
for tool in Xvfb xauth; do
    command -v "$tool" >/dev/null 2>&1 || { echo "with-xvfb: $tool not found (apt-get install xvfb xauth)" >&2; exit 2; }
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/zorvane-xvfb-XXXXXX")
server=
# shellcheck disable=SC2317 # run by the trap below
stop_server() {
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    fi
    rm -rf "$dir"
}
trap stop_server EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# The server takes every cookie of its file, whatever display the entry
# names; the client's entry names the display once the server has told it.
cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
: >"$dir/auth"
: >"$dir/display"
xauth -q -f "$dir/auth" add :0 . "$cookie"
# shellcheck disable=SC2086 # the server's arguments are words
Xvfb -displayfd 9 -auth "$dir/auth" -nolisten tcp $server_args 9>"$dir/display" 2>"$dir/server.log" &
server=$!

# Xvfb writes the number and a line end once it accepts clients.
waited=0
while [ "$(wc -l <"$dir/display")" -lt 1 ]; do
    if ! kill -0 "$server" 2>/dev/null; then
        cat "$dir/server.log" >&2
        echo "with-xvfb: the X server did not start" >&2
        exit 1
    fi
    waited=$((waited + 1))
    if [ $waited -gt 600 ]; then
        echo "with-xvfb: the X server gave no display within 60 s" >&2
        exit 1
    fi
    sleep 0.1
done
display=:$(head -n 1 "$dir/display")
case $display in
:[0-9]*) ;;
*)
    echo "with-xvfb: the X server gave no display number" >&2
    exit 1
    ;;
esac
xauth -q -f "$dir/auth" add "$display" . "$cookie"

status=0
DISPLAY=$display XAUTHORITY=$dir/auth "$@" || status=$?
exit $status
