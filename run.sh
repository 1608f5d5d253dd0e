#!/usr/bin/env bash
# Builds zorvane-cli and animates the sample frames into build/demo.gif.
#
#   ./run.sh       install what is missing, build into build/, write and describe build/demo.gif
#   ./run.sh gui   install what is missing, build and start the Linux desktop program
#   ./run.sh web   install what is missing, build the web page into build-web/zorvane-web/ and serve it on
#                  127.0.0.1 (the address is printed; Ctrl+C stops the server)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

case "${1:-}" in
    "") ;;
    gui)
        if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
            echo "run.sh: no desktop session (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
            exit 2
        fi
        scripts/install-deps.sh gui
        if [ -f build-gui/CMakeCache.txt ]; then
            cmake -S . -B build-gui
        else
            cmake -S . -B build-gui -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
        fi
        cmake --build build-gui --target zorvane
        exec build-gui/qt/zorvane
        ;;
    web)
        scripts/install-deps.sh web
        cmake --preset web
        cmake --build --preset web
        echo "run.sh: the page is build-web/zorvane-web/index.html; serving it (Ctrl+C stops)"
        # Port 0: a free port, chosen by the system; the server prints the address.
        exec python3 -m http.server 0 --bind 127.0.0.1 --directory build-web/zorvane-web
        ;;
    *)
        echo "Usage: ./run.sh [gui|web]" >&2
        exit 2
        ;;
esac

scripts/install-deps.sh run

# build/ is shared with ./test.sh. What the command line's build depends on is set here every time; a new tree also
# leaves out the tests and the desktop program (which need more packages), an existing one keeps those as they are.
cli_settings=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVANE_SANITIZE=OFF)
if [ -f build/CMakeCache.txt ]; then
    cmake -S . -B build "${cli_settings[@]}"
else
    cmake -S . -B build -G Ninja "${cli_settings[@]}" -DBUILD_TESTING=OFF -DZORVANE_BUILD_QT=OFF
fi
cmake --build build --target zorvane-cli

frames=(samples/*.gif)
echo "+ build/zorvane-cli make -o build/demo.gif -d 10 ${frames[*]}"
build/zorvane-cli make -o build/demo.gif -d 10 "${frames[@]}"
echo "+ build/zorvane-cli info build/demo.gif"
build/zorvane-cli info build/demo.gif
