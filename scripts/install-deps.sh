#!/usr/bin/env bash
# Installs the Debian packages that are missing, and nothing else.
#
#   scripts/install-deps.sh run          what ./run.sh needs (native build of the command line)
#   scripts/install-deps.sh gui          what ./run.sh gui needs (the Qt desktop program)
#   scripts/install-deps.sh fuzz         what ./fuzz.sh needs (clang, libFuzzer, giflib)
#   scripts/install-deps.sh web          what ./run.sh web and the browser checks need (Emscripten,
#                                        Chromium, Node.js and npm; tests/web's npm packages come from
#                                        scripts/web-deps.sh)
#   scripts/install-deps.sh test         what ./test.sh needs (tests, sanitizers, fuzzing, peer GIF tools,
#                                        both Windows builds and Wine, the Qt program, the web page in
#                                        Chromium, the packages and their checks)
#   scripts/install-deps.sh PACKAGE...   exactly these packages
#
# Runs apt-get as root, or through sudo when not root. `apt-get update` runs only when something is missing.
set -euo pipefail

run_packages=(cmake ninja-build g++)
test_packages=("${run_packages[@]}"
    libgtest-dev googletest           # unit tests
    libgif-dev giflib-tools           # independent decoder for the tests and checks
    gifsicle imagemagick              # peer tools that must read the output
    python3                           # samples/make_samples.py
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix)  # Windows builds (posix threads, for GoogleTest)
fuzz_packages=("${run_packages[@]}"
    clang libclang-rt-dev libgif-dev) # libFuzzer targets and their giflib checks
web_packages=(cmake ninja-build
    emscripten                        # the web page's build (WebAssembly)
    chromium nodejs                   # its checks in a real browser, driven from Node.js
    python3)                          # ./run.sh web's static server
gui_packages=("${run_packages[@]}"
    qt6-base-dev fonts-dejavu-core    # the Linux desktop program
    xdg-utils)                        # its help and home-page buttons
test_packages+=(
    qt6-base-dev fonts-dejavu-core xvfb xauth xdotool        # the Qt program, its tests, screenshot and drive
    dbus at-spi2-core gir1.2-atspi-2.0 python3-gi python3-pil  # the drive reads the window as a screen reader
    wine64 fonts-wine fp-utils python3                       # the Windows program under Wine, help.chm
    "${fuzz_packages[@]}" valgrind)                          # fuzzing, memory checks
test_packages+=(
    dpkg-dev lintian fakeroot desktop-file-utils man-db groff-base   # the .deb: shlibdeps, checks, pages
    zip unzip file)                                                # the Windows zip and its checks
test_packages+=("${web_packages[@]}")                              # the web page and its browser checks

case "${1:-}" in
    run) packages=("${run_packages[@]}") ;;
    gui) packages=("${gui_packages[@]}") ;;
    fuzz) packages=("${fuzz_packages[@]}") ;;
    web) packages=("${web_packages[@]}") ;;
    test) packages=("${test_packages[@]}") ;;
    "" | -h | --help)
        sed -n '2,14s/^# \{0,1\}//p' "$0"
        [ -n "${1:-}" ] && exit 0 || exit 2
        ;;
    *) packages=("$@") ;;
esac

installed() {
    [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" = installed ]
}

missing=()
for package in "${packages[@]}"; do
    installed "$package" || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "install-deps.sh: missing packages: ${missing[*]}" >&2
    echo "install-deps.sh: not root and no sudo; install them and run again." >&2
    exit 1
fi

echo "install-deps.sh: installing ${missing[*]}"
# Wait for another apt or dpkg run to finish rather than failing on its lock.
apt_options=(-q -y -o DPkg::Lock::Timeout=900 --no-install-recommends)
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -q -o DPkg::Lock::Timeout=900 update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install "${apt_options[@]}" "${missing[@]}"
