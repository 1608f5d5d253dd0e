#!/usr/bin/env bash
# Builds a tree's package and checks it as a user would get it.
#
#   scripts/check-packages.sh deb [--install] [BUILD_DIR]   (default build)        zorvane_<version>_amd64.deb
#   scripts/check-packages.sh zip [BUILD_DIR]               (default build-win32)  Zorvane-<version>-win32.zip
#
# deb: lintian (no errors), the control fields, the file list with owners and modes, the dependencies resolved
# by `apt-get install --simulate`, then the unpacked tree: its programs run, their libraries found, the menu
# entries valid, the web page naming this version, the manual pages without warnings and found by name.
# Nothing is installed.
# With --install, or when CI=true: also installed with apt-get as a user would (root or sudo), the installed
# programs, menu entries, web page and manual pages checked the same way, and removed again with every package
# that the installation pulled in. Without root or sudo that part FAILS. A zorvane package that was on the
# machine before is left alone: that part is then skipped, and says so.
# zip: the file list (the web page under web\ included), both programs PE32 (zorvane-cli.exe a console program),
# the static checks of Zorvane.exe on the packed copy, the texts with Windows line ends.
# Needs: cmake, lintian, dpkg-dev, desktop-file-utils, man-db, apt (deb); unzip, file, python3,
# binutils-mingw-w64 (zip). Exits non-zero on any failure.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
kind=${1:-}
status=0
fail() {
    echo "check-packages: FAILED: $*" >&2
    status=1
}

# project_version DIR: the version the tree was configured with.
project_version() {
    sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt"
}

# same_lines WHAT EXPECTED ACTUAL: the two sorted lists agree; otherwise shows the difference.
same_lines() {
    if [ "$2" = "$3" ]; then
        echo "$1: as expected"
        return 0
    fi
    fail "$1 differs (< expected, > found):"
    diff <(echo "$2") <(echo "$3") >&2 || true
}

check_deb() {
    local dir=${1:-build} version deb
    cmake --build "$dir" --target package
    version=$(project_version "$dir")
    deb=$dir/zorvane_${version}_amd64.deb
    [ -f "$deb" ] || { fail "no $deb"; return; }
    deb=$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")

    echo "== lintian $deb"
    # lintian says it should not run as root; that note is all it prints on standard error here.
    lintian --fail-on error --display-info --pedantic "$deb" 2> >(grep -v 'running with root privileges' >&2) ||
        fail "lintian found errors"

    echo "== dpkg-deb --field $deb"
    dpkg-deb --field "$deb" Package Version Architecture Section Maintainer Depends
    local depends
    depends=$(dpkg-deb --field "$deb" Depends)
    for library in libc6 libqt6widgets6; do
        [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
    done
    [ "$(dpkg-deb --field "$deb" Section)" = graphics ] || fail "Section is not graphics"

    echo "== dpkg -c $deb"
    local listing files
    listing=$(dpkg -c "$deb")
    echo "$listing"
    # Every entry belongs to root; programs are rwxr-xr-x, other files rw-r--r--, folders rwxr-xr-x.
    if awk '$2 != "root/root" { exit 1 }' <<<"$listing"; then echo "owners: all root/root"; else fail "an entry is not root/root"; fi
    local modes
    modes=$(awk '{ sub(/^\.\//, "", $6); print $1, $6 }' <<<"$listing" | awk '
        /^d/ { if ($1 != "drwxr-xr-x") print "folder " $2 " is " $1; next }
        $2 ~ /^usr\/bin\/zorvane(-cli)?$/ { if ($1 != "-rwxr-xr-x") print $2 " is " $1; next }
        { if ($1 != "-rw-r--r--") print $2 " is " $1 }')
    if [ -z "$modes" ]; then echo "modes: as expected"; else fail "modes: $modes"; fi
    # The files (not folders) the package holds.
    files=$(awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' <<<"$listing" | sort)
    same_lines "file list" "$(sort <<'EOF'
usr/bin/zorvane
usr/bin/zorvane-cli
usr/share/applications/zorvane-web.desktop
usr/share/applications/zorvane.desktop
usr/share/doc/zorvane/changelog.gz
usr/share/doc/zorvane/copyright
usr/share/icons/hicolor/128x128/apps/zorvane.png
usr/share/icons/hicolor/16x16/apps/zorvane.png
usr/share/icons/hicolor/32x32/apps/zorvane.png
usr/share/icons/hicolor/48x48/apps/zorvane.png
usr/share/man/man1/zorvane-cli.1.gz
usr/share/man/man1/zorvane.1.gz
usr/share/zorvane/web/app.js
usr/share/zorvane/web/index.html
usr/share/zorvane/web/page-texts.js
usr/share/zorvane/web/style.css
usr/share/zorvane/web/zorvane-worker.js
usr/share/zorvane/zorvane-help.html
EOF
)" "$files"

    echo "== apt-get install --simulate $deb"
    local simulation
    if simulation=$(apt-get -q -o DPkg::Lock::Timeout=900 install --no-install-recommends --simulate "$deb" 2>&1); then
        echo "$simulation" | grep -E '^(Inst|Conf) |newest version' || true
        echo "dependencies: resolved"
    else
        echo "$simulation" >&2
        fail "apt-get cannot resolve the dependencies of $deb"
    fi

    local unpacked
    unpacked=$(mktemp -d)
    dpkg-deb -x "$deb" "$unpacked"
    echo "== the unpacked package ($unpacked)"
    check_programs "$version" "$unpacked"
    rm -rf "$unpacked"

    if [ "$install" -eq 1 ]; then
        install_and_remove "$deb" "$version"
    else
        echo "== not installed: scripts/check-packages.sh deb --install (or CI=true) installs and purges it"
    fi
}

# install_and_remove DEB VERSION: apt-get install, checks, then purge of the package and of whatever the
# installation added, so that the machine is left as it was.
install_and_remove() {
    local deb=$1 version=$2 as_root=() present
    present=$(dpkg-query -W -f='${db:Status-Status}' zorvane 2>/dev/null || true)
    if [ -n "$present" ] && [ "$present" != not-installed ]; then
        echo "== SKIPPED the install and purge check: a zorvane package was on this machine before" \
            "(dpkg status: $present); it is left as it is"
        return
    fi
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
            as_root=(sudo -n)
        else
            fail "installing $deb needs root or sudo: the install and remove check did NOT run"
            return
        fi
    fi
    local apt=("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -q -y -o DPkg::Lock::Timeout=900)
    local before pulled added remaining
    before=$(installed_packages)
    # What the installation brings besides zorvane, from apt's own plan (other programs may install
    # packages meanwhile: those are not ours to remove).
    pulled=$("${apt[@]}" install --no-install-recommends --simulate "$deb" | sed -n 's/^Inst \([^ ]*\) .*/\1/p' |
        grep -vx zorvane | sort || true)

    echo "== apt-get install $deb"
    if ! "${apt[@]}" install --no-install-recommends "$deb"; then
        fail "apt-get install $deb"
    else
        check_programs "$version" /
    fi

    echo "== apt-get purge zorvane, and what its installation added"
    added=$(comm -12 <(echo "$pulled") <(comm -13 <(echo "$before") <(installed_packages)))
    [ -z "$added" ] || echo "added by the installation: $(echo "$added" | tr '\n' ' ')"
    # shellcheck disable=SC2086
    "${apt[@]}" purge zorvane $added || fail "apt-get purge"
    remaining=$(comm -13 <(echo "$before") <(installed_packages) | grep -x -e zorvane -e "${added:-zorvane}" || true)
    if [ -z "$remaining" ]; then echo "removed: zorvane ${added}"; else fail "still installed after the removal: $remaining"; fi
    for gone in /usr/bin/zorvane /usr/bin/zorvane-cli /usr/share/applications/zorvane.desktop \
        /usr/share/applications/zorvane-web.desktop /usr/share/zorvane /usr/share/doc/zorvane; do
        [ ! -e "$gone" ] || fail "$gone is still there after the removal"
    done
}

installed_packages() {
    dpkg-query -W -f='${Package} ${db:Status-Status}\n' | awk '$2 == "installed" { print $1 }' | sort -u
}

# check_programs VERSION ROOT: the programs, menu entry and manual pages under ROOT (/ once installed).
check_programs() {
    local version=$1 root=${2%/} out page warnings work
    echo "== zorvane-cli"
    out=$("$root/usr/bin/zorvane-cli" --version) || fail "zorvane-cli --version"
    echo "$out"
    [ "$out" = "zorvane-cli $version" ] || fail "zorvane-cli --version printed '$out'"
    work=$(mktemp -d)
    if "$root/usr/bin/zorvane-cli" make -o "$work/demo.gif" -d 10 samples/*.gif && "$root/usr/bin/zorvane-cli" info "$work/demo.gif"; then
        gifsicle --info "$work/demo.gif" | head -1
    else
        fail "the packaged zorvane-cli could not animate samples/"
    fi
    rm -rf "$work"

    echo "== libraries of the programs"
    for program in "$root/usr/bin/zorvane" "$root/usr/bin/zorvane-cli"; do
        if ldd "$program" | grep 'not found'; then fail "$program misses libraries"; else echo "$program: every library found"; fi
    done

    for entry in zorvane zorvane-web; do
        echo "== desktop-file-validate $root/usr/share/applications/$entry.desktop"
        if desktop-file-validate "$root/usr/share/applications/$entry.desktop"; then echo "valid"; else fail "desktop-file-validate $entry.desktop"; fi
    done
    # The menu entry "Zorvane (web page)" opens the installed page, which names this version.
    grep -qx 'Exec=xdg-open /usr/share/zorvane/web/index.html' "$root/usr/share/applications/zorvane-web.desktop" ||
        fail "zorvane-web.desktop does not open /usr/share/zorvane/web/index.html"
    grep -q "version: \"$version\"" "$root/usr/share/zorvane/web/page-texts.js" ||
        fail "the packaged web page does not name version $version"

    echo "== manual pages"
    local manpath=$root/usr/share/man
    for page in zorvane zorvane-cli; do
        warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -l "$manpath/man1/$page.1.gz" 2>&1 >/dev/null)
        if [ -n "$warnings" ]; then
            fail "man -l $page.1.gz warns:"
            echo "$warnings" >&2
        else
            echo "man -l $manpath/man1/$page.1.gz: no warnings"
        fi
        # man finds the page by name, as a user types it.
        [ "$(man -M "$manpath" -w "$page")" = "$manpath/man1/$page.1.gz" ] || fail "man -w $page: $(man -M "$manpath" -w "$page" 2>&1)"
    done
    LC_ALL=C.UTF-8 MANWIDTH=80 man -M "$manpath" zorvane-cli 2>/dev/null | grep -q -- '--frames-from' ||
        fail "man zorvane-cli lacks --frames-from"
}

check_zip() {
    local dir=${1:-build-win32} version name zip work
    cmake --build "$dir" --target package
    version=$(project_version "$dir")
    name=Zorvane-${version}-win32
    zip=$dir/$name.zip
    [ -f "$zip" ] || { fail "no $zip"; return; }

    echo "== unzip -l $zip"
    unzip -l "$zip"
    same_lines "file list" "$(printf '%s\n' "$name/LICENSE.txt" "$name/README.txt" "$name/Zorvane.exe" \
        "$name/help.chm" "$name/zorvane-cli.exe" "$name/web/index.html" "$name/web/style.css" "$name/web/app.js" \
        "$name/web/page-texts.js" "$name/web/zorvane-worker.js" | sort)" "$(unzip -Z1 "$zip" | grep -v '/$' | sort)"

    work=$(mktemp -d)
    unzip -q "$zip" -d "$work"
    echo "== file"
    (cd "$work/$name" && file Zorvane.exe zorvane-cli.exe help.chm LICENSE.txt README.txt)
    for text in LICENSE.txt README.txt; do
        file -b "$work/$name/$text" | grep -q 'with CRLF line terminators' || fail "$text has no Windows line ends"
    done
    cmp <(tr -d '\r' <"$work/$name/LICENSE.txt") LICENSE || fail "LICENSE.txt is not the licence"
    grep -q "Zorvane $version for Windows" "$work/$name/README.txt" || fail "README.txt does not name version $version"
    grep -q 'web\\index.html' "$work/$name/README.txt" || fail "README.txt does not mention web\\index.html"
    grep -q "version: \"$version\"" "$work/$name/web/page-texts.js" || fail "web\\page-texts.js does not name version $version"

    echo "== the packed programs: PE32, system DLLs only; Zorvane.exe's static checks (a GUI program)"
    python3 tests/win/check_exe.py --format pe32 --subsystem console "$work/$name/zorvane-cli.exe" ||
        fail "zorvane-cli.exe is not a 32-bit console program importing system DLLs only"
    python3 tests/win/check_exe.py "$work/$name/Zorvane.exe" "$work/$name/help.chm" || fail "static checks of the packed exe"
    rm -rf "$work"
}

# The real installation runs where asked for: --install, or on CI.
install=0
[ "${CI:-}" != true ] || install=1
if [ "$kind" = deb ] && [ "${2:-}" = --install ]; then
    install=1
    set -- "$kind" "${@:3}"
fi

case $kind in
    deb) check_deb "${2:-build}" ;;
    zip) check_zip "${2:-build-win32}" ;;
    *)
        sed -n '2,18s/^# \{0,1\}//p' "$0"
        exit 2
        ;;
esac
[ "$status" -eq 0 ] && echo "check-packages: $kind: all passed"
exit "$status"
