#!/usr/bin/env bash
# Builds every target and runs every test, or the steps of some groups; exits non-zero when anything fails.
#
#   ./test.sh            every step
#   ./test.sh GROUP...   the steps of these groups, after building the trees they need
#   ./test.sh --list     every step with its group and the trees it needs
#
# Groups and their build trees:
#   native     build/ (RelWithDebInfo, with the Qt program): CTest suite, ./run.sh's job on the samples read by
#              giflib, ImageMagick and gifsicle, the Linux window's screenshots, the window driven from the
#              keyboard, valgrind memcheck; build-asan/ (AddressSanitizer and UBSan): CTest suite
#   windows    build-win32/ (i686, PE32) and build-win64/ (x86_64, PE32+): format and imported DLLs; the 32-bit
#              Zorvane.exe's static checks of its resources, the x86_64 twin's dialog tests under Wine
#   web        build-web/ (Emscripten): the page driven in headless Chromium, its download compared with
#              build/zorvane-cli's output
#   fuzz       build-fuzz/ (libFuzzer, clang): regressions replayed, each target fuzzed briefly
#   packages   the .deb of build/ and the zip of build-win32/, as a user gets them
#
# Every chosen step runs even when an earlier independent one failed; a summary ends the output. The step runner
# is scripts/test-lib.sh.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
. scripts/test-lib.sh

groups native windows web fuzz packages

# A step: GROUP, the build trees it needs (comma-separated, or -), its name, its command.
# A build tree: GROUP, folder, name, CMake settings.
step native - "samples: make_samples.py reproduces samples/*.gif" python3 samples/make_samples.py --check
step native - "icons: res/make_icons.py reproduces res/*.ico and qt/icons/*.png" python3 res/make_icons.py --check
step native - "tooling: the step runner, the executable format check, the icons (scripts/test-tools.sh)" scripts/test-tools.sh

tree native build "native: configure and build (build/)" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DZORVANE_SANITIZE=OFF -DZORVANE_BUILD_QT=ON
step native build "native: ctest (with the Qt suite)" scripts/run-ctest.sh build
step native build "native: ./run.sh job on samples/ read by giflib, identify, gifsicle" scripts/demo-job.sh
step native build "native: screenshot of the Linux window (build/zorvane-linux.png, build/zorvane-linux-preview.png)" \
    scripts/screenshot-qt.sh build
step native build "native: the Linux window driven from the keyboard under Xvfb (scripts/drive-qt.sh)" scripts/drive-qt.sh build
step native build "native: valgrind memcheck of zorvane-cli make and info, core_tests, giflib_tests" \
    scripts/valgrind-check.sh build/zorvane-cli build/tests/core_tests build/tests/giflib_tests

tree native build-asan "asan+ubsan: configure and build (build-asan/)" \
    -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DZORVANE_SANITIZE=ON -DZORVANE_BUILD_QT=ON
step native build-asan "asan+ubsan: ctest" scripts/run-ctest.sh --sanitized build-asan

tree windows build-win32 "win32: cross build, i686 (build-win32/)" \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release
step windows build-win32 "win32: PE32 programs importing system DLLs only" scripts/check-pe.sh build-win32 pe32
tree windows build-win64 "win64: cross build, x86_64 (build-win64/)" \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release
step windows build-win64 "win64: PE32+ programs importing system DLLs only" scripts/check-pe.sh build-win64 pe32+
# The dialog's outputs are decoded by the giflib check of build/.
step windows build-win32,build-win64,build "windows: static checks of Zorvane.exe, dialog tests under Wine" \
    scripts/test-windows.sh build-win32 build-win64

# The page builds build-web/ itself; its download is compared with build/zorvane-cli's output.
step web build "web: the page in headless Chromium, its download equal to zorvane-cli's (build-web/)" scripts/check-web.sh build/zorvane-cli
step web build "web: zorvane-cli's joins and plays as Chromium plays them (scripts/check-play.sh)" scripts/check-play.sh build

step fuzz - "fuzz: regressions replayed, each target fuzzed briefly (build-fuzz/)" scripts/fuzz-smoke.sh

# The .deb is installed and purged again only when CI=true (scripts/check-packages.sh --install).
step packages build "packages: Debian package from build/: lintian, contents, dependencies, desktop file, manual pages" \
    scripts/check-packages.sh deb build
step packages build-win32 "packages: Windows zip from build-win32/: contents, PE32, static checks" \
    scripts/check-packages.sh zip build-win32

parse_arguments "$@"
scripts/install-deps.sh test
run_steps
