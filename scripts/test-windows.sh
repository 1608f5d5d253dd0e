#!/bin/sh
# Tests of the Windows program on Linux.
#
#   scripts/test-windows.sh [I686_BUILD_DIR [X86_64_BUILD_DIR]]   (default build-win32 build-win64)
#
# Both build folders must have been built (cmake with cmake/mingw-i686.cmake and
# cmake/mingw-x86_64.cmake). The 32-bit Zorvane.exe, the product, gets static checks
# of its file, imports and resources; the x86_64 twin's dialog tests run under
# wine64 on an Xvfb of their own (scripts/with-xvfb.sh: two runs at once never
# share a display), which also gives the window's screenshot, written to
# build/zorvane-window.png; that run checks again that every text of the window
# fits. Outputs of the dialog's builds are then decoded with giflib. Needs: wine64,
# xvfb, xauth, fonts-wine, imagemagick, libgif-dev, python3, binutils-mingw-w64.
# Exits non-zero on any failure.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build32=${1:-build-win32}
build64=${2:-build-win64}
case $build32 in /*) ;; *) build32=$root/$build32 ;; esac
case $build64 in /*) ;; *) build64=$root/$build64 ;; esac

status=0
fail() {
    echo "test-windows: FAILED: $*" >&2
    status=1
}

for need in "$build32/win/Zorvane.exe" "$build64/tests/win/zorvane_dialog_tests.exe" "$build64/win/help.chm"; do
    [ -f "$need" ] || { echo "test-windows: missing $need (build both Windows folders first)" >&2; exit 2; }
done

# ---- static checks of the 32-bit program ------------------------------------------
echo "== static checks: $build32/win/Zorvane.exe"
python3 tests/win/check_exe.py "$build32/win/Zorvane.exe" "$build32/win/help.chm" || fail "static checks"

# ---- the dialog under Wine ----------------------------------------------------------
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
[ -x "$wine" ] || wine=$(command -v wine64)
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)

export WINEPREFIX="$build64/wine-prefix"
export WINEARCH=win64
export WINEDEBUG=-all,err+module
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
export LANG=C.UTF-8 LC_ALL=C.UTF-8

to_windows() { printf 'Z:%s' "$1" | tr / '\\'; }

# One prefix per build folder, made once, with a virtual desktop (no window
# manager on Xvfb).
if [ ! -f "$WINEPREFIX/.zorvane-ready" ]; then
    echo "== creating the Wine prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    log=$build64/wine-prefix.log
    "$wine" wineboot -i >"$log" 2>&1
    "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >>"$log" 2>&1
    "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >>"$log" 2>&1
    "$wineserver" -w
    touch "$WINEPREFIX/.zorvane-ready"
fi
# The Wine fonts, and the raster "MS Sans Serif" of the dialog template, which
# the prefix's registry names as sserife.fon in the Fonts folder. Without it
# Wine draws the dialog in a wider stand-in and "Frame delay:" wraps.
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp -u /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/sserife.fon "$WINEPREFIX/drive_c/windows/Fonts/" ||
    fail "copying the Wine fonts (package fonts-wine)"

work=$build64/tests/win/work
rm -rf "$work"
mkdir -p "$work" "$root/build"
tests_exe=$build64/tests/win/zorvane_dialog_tests.exe
ZORVANE_CORPUS_DIR=${ZORVANE_CORPUS_DIR:-$root/tests/data/pygif-test-suite}
corpus=$(cd "$ZORVANE_CORPUS_DIR" && pwd) || { echo "test-windows: no corpus folder $ZORVANE_CORPUS_DIR" >&2; exit 2; }

cat >"$work/run.sh" <<EOF
set -u
"$wineserver" -p30
"$wine" "$tests_exe" "$(to_windows "$work")" "$(to_windows "$corpus")" >"$work/tests.log" 2>&1
echo \$? >"$work/tests.rc"
"$wine" "$tests_exe" "$(to_windows "$work/shots")" "$(to_windows "$corpus")" "$(to_windows "$work/window.bmp")" \
    >"$work/shot.log" 2>&1
echo \$? >"$work/shot.rc"
"$wineserver" -k
EOF
mkdir -p "$work/shots"
echo "== dialog tests under Wine ($tests_exe)"
scripts/with-xvfb.sh -s "-screen 0 1024x768x24" sh "$work/run.sh" || true
grep -v "FS volume label and serial are not available" "$work/tests.log" || true
[ "$(cat "$work/tests.rc" 2>/dev/null)" = 0 ] || fail "dialog tests (exit $(cat "$work/tests.rc" 2>/dev/null))"

# ---- outputs of the dialog decoded by giflib ----------------------------------------
echo "== giflib check of the dialog's outputs"
# The check the native suites use, built in the native tree (build/, configured with tests).
checker=$root/build/giflib_check
cmake --build "$root/build" --target giflib_check >/dev/null || fail "building the giflib check in build/"
if [ ! -x "$checker" ]; then
    fail "no giflib check at $checker"
elif [ -s "$work/giflib-checks.txt" ]; then
    "$checker" "$work/giflib-checks.txt" || fail "giflib check"
else
    fail "the dialog tests left no outputs to decode"
fi

# ---- zorvane-cli.exe: wildcards in frame arguments (begin) --------------------------
# cmd.exe passes * and ? through; the program expands them itself, each pattern's
# matches sorted naturally (x9 before x10, case ignored, whatever order the folder
# lists them in), folders skipped; a pattern may be written with / or \. Checked with
# giflib.
echo "== zorvane-cli.exe wildcards under Wine"
cli_exe=$build64/zorvane-cli.exe
cli_work=$work/cli-wildcards
rm -rf "$cli_work"
mkdir -p "$cli_work/frames/d.gif" # a folder the patterns match and must skip
# Created against the order they are taken in.
cp samples/05-blue.gif "$cli_work/frames/x10.gif"
cp samples/06-purple.gif "$cli_work/frames/x9.gif"
cp samples/03-yellow.gif "$cli_work/frames/c.gif"
cp samples/04-green.gif "$cli_work/frames/c.txt"
cp samples/02-orange.gif "$cli_work/frames/B.gif"
cp samples/01-red.gif "$cli_work/frames/a.gif"
frames_win=$(to_windows "$cli_work/frames")
if [ ! -f "$cli_exe" ]; then
    fail "missing $cli_exe"
elif (cd "$cli_work" && "$wine" "$cli_exe" make -o out.gif -d 7 "$frames_win\\*.gif" "frames/?.gif") \
    >"$cli_work/make.log" 2>&1; then
    f=$cli_work/frames
    printf '%s\t7\t=0\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$cli_work/out.gif" "$f/a.gif" "$f/B.gif" "$f/c.gif" \
        "$f/x9.gif" "$f/x10.gif" "$f/a.gif" "$f/B.gif" "$f/c.gif" >"$cli_work/giflib-checks.txt"
    "$checker" "$cli_work/giflib-checks.txt" || fail "zorvane-cli.exe wildcards: frames or their order"
else
    cat "$cli_work/make.log"
    fail "zorvane-cli.exe make with wildcards"
fi
rc=0
"$wine" "$cli_exe" make -o "$(to_windows "$cli_work/none.gif")" "$frames_win\\*.png" >"$cli_work/none.log" 2>&1 ||
    rc=$?
if [ $rc = 1 ] && grep -qF "zorvane-cli: $frames_win\\*.png: no file matches this pattern" "$cli_work/none.log" &&
    [ ! -e "$cli_work/none.gif" ]; then
    echo "zorvane-cli.exe: a pattern matching nothing: exit 1 with its message, nothing written: ok"
else
    cat "$cli_work/none.log"
    fail "zorvane-cli.exe: a pattern matching nothing (exit $rc)"
fi
# info goes on after a pattern matching nothing, and ends with 1.
rc=0
"$wine" "$cli_exe" info "$frames_win\\*.png" "$frames_win\\a.gif" >"$cli_work/info.log" 2>&1 || rc=$?
if [ $rc = 1 ] && grep -qF "zorvane-cli: $frames_win\\*.png: no file matches this pattern" "$cli_work/info.log" &&
    grep -qF "$frames_win\\a.gif: " "$cli_work/info.log"; then
    echo "zorvane-cli.exe: info with a pattern matching nothing: exit 1 with its message: ok"
else
    cat "$cli_work/info.log"
    fail "zorvane-cli.exe: info with a pattern matching nothing (exit $rc)"
fi
# Devices are no frames: refused as a file that cannot be opened, nothing written.
# NUL opens and is then refused for not being a disk file; CON, with no console
# under Wine, does not open at all.
for device in NUL CON; do
    rc=0
    "$wine" "$cli_exe" make -o "$(to_windows "$cli_work/device.gif")" "$device" "$frames_win\\a.gif" \
        </dev/null >"$cli_work/device.log" 2>&1 || rc=$?
    if [ $rc = 1 ] && grep -qF "zorvane-cli: $device (frame 1 of 2): Could not open file. GIF creation aborted." \
        "$cli_work/device.log" && [ ! -e "$cli_work/device.gif" ]; then
        echo "zorvane-cli.exe: $device as a frame: refused: ok"
    else
        cat "$cli_work/device.log"
        fail "zorvane-cli.exe: $device as a frame (exit $rc)"
    fi
done
# ---- zorvane-cli.exe: wildcards in frame arguments (end) ----------------------------

# ---- screenshot ---------------------------------------------------------------------
cat "$work/shot.log"
if [ "$(cat "$work/shot.rc" 2>/dev/null)" = 0 ] && [ -s "$work/window.bmp" ]; then
    convert "$work/window.bmp" "$root/build/zorvane-window.png" && echo "screenshot: build/zorvane-window.png" ||
        fail "converting the screenshot"
else
    fail "screenshot"
fi

[ $status = 0 ] && echo "test-windows: all passed"
exit $status
