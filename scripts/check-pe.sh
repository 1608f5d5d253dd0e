#!/usr/bin/env bash
# The format of every program a Windows build tree makes, checked by tests/win/check_exe.py: PE32 or PE32+,
# importing system DLLs only; Zorvane.exe a GUI program, zorvane-cli.exe a console one.
#
#   scripts/check-pe.sh BUILD_DIR pe32|pe32+
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
dir=${1:?usage: scripts/check-pe.sh BUILD_DIR pe32|pe32+}
format=${2:?usage: scripts/check-pe.sh BUILD_DIR pe32|pe32+}

# The programs this build tree makes (not whatever else lies in it, such as a Wine prefix).
mapfile -t exes < <(ninja -C "$dir" -t targets all | sed -n '/: phony$/d; s|^\([^:]*\.exe\): .*|'"$dir"'/\1|p' | sort)
gui=() console=() other=()
for exe in "${exes[@]}"; do
    case ${exe##*/} in
        Zorvane.exe) gui+=("$exe") ;;
        zorvane-cli.exe) console+=("$exe") ;;
        *) other+=("$exe") ;;
    esac
done
status=0
for need in Zorvane.exe zorvane-cli.exe; do
    if ! printf '%s\n' "${exes[@]}" | grep -q "/$need\$"; then
        echo "$dir makes no $need"
        status=1
    fi
done
check_exe() {
    python3 tests/win/check_exe.py --format "$format" "$@" || status=1
}
[ "${#gui[@]}" -eq 0 ] || check_exe --subsystem gui "${gui[@]}"
[ "${#console[@]}" -eq 0 ] || check_exe --subsystem console "${console[@]}"
[ "${#other[@]}" -eq 0 ] || check_exe "${other[@]}"
exit "$status"
