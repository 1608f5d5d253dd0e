#!/usr/bin/env bash
# Builds every target and runs every test; exits non-zero when anything fails.
#
#   build/        native RelWithDebInfo build, its CTest suite, and ./run.sh's job on the samples
#                 checked with giflib, ImageMagick and gifsicle
#   build-asan/   native build with AddressSanitizer and UBSan, its CTest suite
#   build-win32/  Windows i686 cross build (PE32), checked for format and imported DLLs
#   build-win64/  Windows x86_64 cross build (PE32+), checked the same way; its dialog tests run under Wine
#                 and the 32-bit Zorvane.exe gets static checks of its resources
#   build-fuzz/   libFuzzer targets (clang): regressions replayed, each target fuzzed briefly
#   build-web/    the web page (Emscripten), driven in headless Chromium by scripts/check-web.sh
# The native tree also gives the Linux window's screenshots, the window driven from the keyboard and a
# valgrind memcheck of zorvane-cli and the core's unit suites.
#
# Every step runs even when an earlier independent one failed; a summary ends the output.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

scripts/install-deps.sh test

results=()
failed=0
step_ok=0

# step NAME COMMAND...: runs COMMAND in a subshell with errexit, records the outcome in step_ok.
step() {
    local name=$1
    shift
    echo
    echo "==== $name"
    local start=$SECONDS rc=0
    set +e
    (
        set -euo pipefail
        "$@"
    )
    rc=$?
    set -e
    if [ "$rc" -eq 0 ]; then
        results+=("PASS  $name ($((SECONDS - start)) s)")
        step_ok=1
    else
        results+=("FAIL  $name (exit status $rc)")
        failed=1
        step_ok=0
    fi
}

skip() {
    results+=("SKIP  $1 (needs: $2)")
    failed=1
}

configure_and_build() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "$@"
    cmake --build "$dir"
}

run_ctest() {
    ctest --test-dir "$1" --output-on-failure --no-tests=error -j2
}

# The suites every native tree must hold; a tree configured without one of them fails here instead of
# running fewer tests.
NATIVE_SUITES=(core_tests giflib_tests cli_tests qt_window_tests)

# run_ctest_complete DIR: every suite of NATIVE_SUITES is registered in DIR, then ctest.
run_ctest_complete() {
    local listed suite missing=0
    listed=$(ctest --test-dir "$1" -N -V)
    for suite in "${NATIVE_SUITES[@]}"; do
        if ! grep -q "/$suite\b" <<<"$listed"; then
            echo "$1: no tests of $suite are registered (was it built?)"
            missing=1
        fi
    done
    [ "$missing" -eq 0 ] || return 1
    run_ctest "$1"
}

run_ctest_sanitized() {
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 run_ctest_complete "$1"
}

# DLLs that every Windows installation has. The static runtime keeps libgcc, libstdc++ and
# libwinpthread out of the import tables.
SYSTEM_DLLS=" kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll shell32.dll advapi32.dll msvcrt.dll "

# check_pe BUILD_DIR OBJDUMP FORMAT MAGIC: every program built in BUILD_DIR is of FORMAT (objdump's name) with the
# optional-header MAGIC, imports system DLLs only, and zorvane-cli.exe is a console program.
check_pe() {
    local dir=$1 objdump=$2 format=$3 magic=$4
    local exes=()
    # The programs this build tree makes (not whatever else lies in it, such as a Wine prefix).
    mapfile -t exes < <(ninja -C "$dir" -t targets all | sed -n '/: phony$/d; s|^\([^:]*\.exe\): .*|'"$dir"'/\1|p' | sort)
    [ -f "$dir/zorvane-cli.exe" ] || {
        echo "no $dir/zorvane-cli.exe"
        return 1
    }
    local exe headers dll bad=0
    for exe in "${exes[@]}"; do
        headers=$("$objdump" -p "$exe")
        if ! grep -q "file format $format\$" <<<"$headers" || ! grep -Eq "^Magic[[:space:]]+$magic" <<<"$headers"; then
            echo "$exe: not $format (magic $magic)"
            bad=1
        fi
        while read -r dll; do
            if [[ "$SYSTEM_DLLS" != *" ${dll,,} "* ]]; then
                echo "$exe: imports $dll, which is not a system DLL"
                bad=1
            fi
        done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
        echo "$exe: $(sed -n 's/.*file format //p' <<<"$headers"), imports $(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr '\n' ' ')"
    done
    headers=$("$objdump" -p "$dir/zorvane-cli.exe")
    if ! grep -Eq '^Subsystem[[:space:]]+00000003' <<<"$headers"; then
        echo "$dir/zorvane-cli.exe: not a console (CUI) program"
        bad=1
    fi
    return "$bad"
}

# expect_count WHAT EXPECTED ACTUAL
expect_count() {
    if [ "$3" -ne "$2" ]; then
        echo "$1: expected $2, found $3"
        return 1
    fi
    echo "$1: $3"
}

# tool_output COMMAND...: COMMAND's standard output; fails, showing what COMMAND wrote to standard error,
# when it fails or warns.
tool_output() {
    local errors status=0 ok=1
    errors=$(mktemp)
    "$@" 2>"$errors" || status=$?
    if [ "$status" -ne 0 ] || [ -s "$errors" ]; then
        echo "'$*' failed (exit status $status) or warned:" >&2
        cat "$errors" >&2
        ok=0
    fi
    rm -f "$errors"
    [ "$ok" -eq 1 ]
}

# ./run.sh's job, then three independent readers of the result: one frame per sample, the delay
# of 10 on every frame, the looping block (count 65535).
demo_job() {
    local frames=(samples/*.gif) n out
    n=${#frames[@]}
    rm -f build/demo.gif
    build/zorvane-cli make -o build/demo.gif -d 10 "${frames[@]}"
    build/zorvane-cli info build/demo.gif

    # giflib: gifbuild -d decodes every image and dumps it as text.
    out=$(tool_output gifbuild -d build/demo.gif)
    expect_count "giflib (gifbuild -d): images" "$n" "$(grep -c '^image # ' <<<"$out")"
    expect_count "giflib (gifbuild -d): frames with delay 10" "$n" "$(grep -c '^[[:space:]]*delay 10$' <<<"$out")"
    expect_count "giflib (gifbuild -d): looping blocks, count 65535" 1 "$(grep -c '^netscape loop 65535$' <<<"$out")"

    # ImageMagick decodes every frame with -format.
    out=$(tool_output identify -format '%T %W x %H\n' build/demo.gif)
    expect_count "ImageMagick (identify): frames" "$n" "$(grep -c . <<<"$out")"
    expect_count "ImageMagick (identify): frames with delay 10" "$n" "$(grep -c '^10 ' <<<"$out")"

    # gifsicle.
    out=$(tool_output gifsicle --info build/demo.gif)
    expect_count "gifsicle --info: images" "$n" "$(sed -n 's/^\* .* \([0-9][0-9]*\) images\{0,1\}$/\1/p' <<<"$out")"
    expect_count "gifsicle --info: frames with delay 0.10s" "$n" "$(grep -c 'delay 0\.10s' <<<"$out")"
    expect_count "gifsicle --info: loop count 65535" 1 "$(grep -c '^  loop count 65535$' <<<"$out")"
}

step "samples: make_samples.py reproduces samples/*.gif" python3 samples/make_samples.py --check

# Every tree is configured with all the settings its steps rely on, whatever an earlier ./run.sh left in it.
step "native: configure and build (build/)" configure_and_build build \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DZORVANE_SANITIZE=OFF -DZORVANE_BUILD_QT=ON
if [ "$step_ok" -eq 1 ]; then
    step "native: ctest (with the Qt suite)" run_ctest_complete build
    step "native: ./run.sh job on samples/ read by giflib, identify, gifsicle" demo_job
    step "native: screenshot of the Linux window (build/zorvane-linux.png, build/zorvane-linux-preview.png)" \
        scripts/screenshot-qt.sh build
    step "native: the Linux window driven from the keyboard under Xvfb (scripts/drive-qt.sh)" scripts/drive-qt.sh build
    step "native: valgrind memcheck of zorvane-cli make and info, core_tests, giflib_tests" \
        scripts/valgrind-check.sh build/zorvane-cli build/tests/core_tests build/tests/giflib_tests
else
    skip "native: ctest" "native build"
    skip "native: ./run.sh job on samples/" "native build"
    skip "native: screenshots, keyboard drive and valgrind" "native build"
fi

step "asan+ubsan: configure and build (build-asan/)" configure_and_build build-asan \
    -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DZORVANE_SANITIZE=ON -DZORVANE_BUILD_QT=ON
if [ "$step_ok" -eq 1 ]; then
    step "asan+ubsan: ctest" run_ctest_sanitized build-asan
else
    skip "asan+ubsan: ctest" "sanitizer build"
fi

step "win32: cross build, i686 (build-win32/)" configure_and_build build-win32 \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release
win32_ok=$step_ok
if [ "$step_ok" -eq 1 ]; then
    step "win32: PE32 programs importing system DLLs only" \
        check_pe build-win32 i686-w64-mingw32-objdump pei-i386 010b
else
    skip "win32: PE checks" "win32 build"
fi

step "win64: cross build, x86_64 (build-win64/)" configure_and_build build-win64 \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release
win64_ok=$step_ok
if [ "$step_ok" -eq 1 ]; then
    step "win64: PE32+ programs importing system DLLs only" \
        check_pe build-win64 x86_64-w64-mingw32-objdump pei-x86-64 020b
else
    skip "win64: PE checks" "win64 build"
fi

if [ "$win32_ok" -eq 1 ] && [ "$win64_ok" -eq 1 ]; then
    step "windows: static checks of Zorvane.exe, dialog tests under Wine" \
        scripts/test-windows.sh build-win32 build-win64
else
    skip "windows: dialog tests under Wine" "both Windows builds"
fi

step "web: the page in headless Chromium, its download equal to zorvane-cli's (build-web/)" scripts/check-web.sh build/zorvane-cli

step "fuzz: regressions replayed, each target fuzzed briefly (build-fuzz/)" scripts/fuzz-smoke.sh

# Packages a user installs: the .deb of the native tree (lintian, contents, installed with apt-get, checked,
# purged again) and the zip of the 32-bit Windows tree (contents, PE32, static checks of the packed exe).
step "packages: Debian package from build/: lintian, contents, apt-get install, checks, purge" \
    scripts/check-packages.sh deb build
if [ "$win32_ok" -eq 1 ]; then
    step "packages: Windows zip from build-win32/: contents, PE32, static checks" \
        scripts/check-packages.sh zip build-win32
else
    skip "packages: Windows zip" "win32 build"
fi

echo
echo "==== Summary"
printf '  %s\n' "${results[@]}"
passed_steps=$(printf '%s\n' "${results[@]}" | grep -c '^PASS' || true)
echo "steps: $passed_steps passed, $((${#results[@]} - passed_steps)) failed"
if [ "$failed" -ne 0 ]; then
    echo "test.sh: FAILED"
    exit 1
fi
echo "test.sh: all steps passed"
