#!/usr/bin/env bash
# The step runner of ./test.sh (scripts/test-lib.sh) on a made-up list of steps: what each group runs, the trees a
# group's steps need built first, skips when a tree fails, the summary lines CI reads, --list, an empty group and
# an unknown one; then ./test.sh's own --list and usage error.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# A test.sh of two trees (tree-b fails to build), passing and failing steps, and an empty group.
cat >"$work/test.sh" <<END_OF_SCRIPT
#!/usr/bin/env bash
set -euo pipefail
cd "\$(dirname "\${BASH_SOURCE[0]}")"
. "$root/scripts/test-lib.sh"
configure_and_build() { echo "building \$1"; [ "\$1" != tree-b ]; }
groups alpha beta gamma empty
step alpha - "alpha: first" echo "first ran"
tree alpha tree-a "alpha: build tree-a" -DIGNORED=1
tree alpha tree-b "alpha: build tree-b"
step alpha tree-a "alpha: on tree-a" echo "on tree-a ran"
step alpha - "alpha: failing" false
step beta tree-a "beta: on tree-a" echo "beta on tree-a ran"
step beta tree-a,tree-b "beta: on both trees" echo "both ran"
step gamma - "gamma: the last" echo "gamma ran"
parse_arguments "\$@"
run_steps
END_OF_SCRIPT
chmod +x "$work/test.sh"

# expect NAME STATUS COMMAND..., with lines on standard input: each must be a line of the output, in this order;
# a line starting with ! must not be in the output at all.
expect() {
    local name=$1 want_status=$2 status=0 out line rest at ok=1
    shift 2
    out=$("$@" 2>&1) || status=$?
    [ "$status" -eq "$want_status" ] || {
        echo "$name: exit status $status, expected $want_status"
        ok=0
    }
    rest=$out
    while IFS= read -r line; do
        if [[ $line == '!'* ]]; then
            if grep -qxF -- "${line:1}" <<<"$out"; then
                echo "$name: has the line '${line:1}'"
                ok=0
            fi
        elif at=$(grep -nxF -- "$line" <<<"$rest" | head -1 | cut -d: -f1) && [ -n "$at" ]; then
            rest=$(tail -n +"$((at + 1))" <<<"$rest")
        else
            echo "$name: no line '$line' (in this order)"
            ok=0
        fi
    done
    if [ "$ok" -eq 1 ]; then
        echo "ok: $name"
    else
        echo "--- output of $*:"
        echo "$out"
        failures=$((failures + 1))
    fi
}

# COMMAND's output with every step time as N.
timeless() { "$@" 2>&1 | sed 's/ ([0-9]* s)$/ (N s)/'; }

expect "every step in order; a failing step and a tree that did not build do not stop the others" 1 \
    timeless "$work/test.sh" <<'END'
==== alpha: first
first ran
==== alpha: build tree-a
building tree-a
==== alpha: build tree-b
building tree-b
==== alpha: on tree-a
on tree-a ran
==== alpha: failing
==== beta: on tree-a
beta on tree-a ran
!both ran
==== gamma: the last
gamma ran
==== Summary
  PASS  alpha: first (N s)
  PASS  alpha: build tree-a (N s)
  FAIL  alpha: build tree-b (exit status 1)
  PASS  alpha: on tree-a (N s)
  FAIL  alpha: failing (exit status 1)
  PASS  beta: on tree-a (N s)
  SKIP  beta: on both trees (needs: tree-b/ built)
  PASS  gamma: the last (N s)
steps: 5 passed, 3 failed
test.sh: FAILED
END

expect "one group: its steps, after building the trees they need, and nothing else" 1 timeless "$work/test.sh" beta <<'END'
!first ran
==== alpha: build tree-a
==== alpha: build tree-b
!on tree-a ran
beta on tree-a ran
!gamma ran
==== Summary
  PASS  alpha: build tree-a (N s)
  FAIL  alpha: build tree-b (exit status 1)
  PASS  beta: on tree-a (N s)
  SKIP  beta: on both trees (needs: tree-b/ built)
steps: 2 passed, 2 failed
test.sh: FAILED
END

expect "a passing group" 0 timeless "$work/test.sh" gamma <<'END'
!building tree-a
gamma ran
  PASS  gamma: the last (N s)
steps: 1 passed, 0 failed
test.sh: all steps passed
END

expect "two groups" 1 timeless "$work/test.sh" gamma alpha <<'END'
first ran
!beta on tree-a ran
gamma ran
steps: 4 passed, 2 failed
END

expect "a group without steps says so and passes" 0 "$work/test.sh" empty <<'END'
test.sh: the group empty has no steps yet; nothing to run
steps: 0 passed, 0 failed
test.sh: all steps passed
END

expect "--list names every step with its group and the trees it needs, and runs nothing" 0 "$work/test.sh" --list <<'END'
alpha     alpha: first
alpha     alpha: build tree-a
alpha     alpha: on tree-a  [needs tree-a/]
beta      beta: on both trees  [needs tree-a/, tree-b/]
gamma     gamma: the last
empty     (no steps yet)
!first ran
END

expect "an unknown group is a usage error" 2 "$work/test.sh" alpha delta <<'END'
test.sh: unknown group 'delta'
!first ran
END

sed 's/^step beta tree-a,tree-b /step beta tree-a,tree-c /' "$work/test.sh" >"$work/typo.sh"
expect "a step needing a tree that no line above builds is refused before anything runs" 2 bash "$work/typo.sh" <<'END'
test.sh: step 'beta: on both trees' needs tree-c/, which no tree line above it builds
!first ran
END

expect "./test.sh --list: the steps with their groups and the trees they need" 0 "$root/test.sh" --list <<'END'
native    native: ctest (with the Qt suite)  [needs build/]
windows   windows: static checks of Zorvane.exe, dialog tests under Wine  [needs build-win32/, build-win64/, build/]
packages  packages: Windows zip from build-win32/: contents, PE32, static checks  [needs build-win32/]
END

expect "./test.sh with an unknown group: usage, exit status 2" 2 "$root/test.sh" nonsense <<'END'
test.sh: unknown group 'nonsense'
END

if [ "$failures" -ne 0 ]; then
    echo "test-lib-test: $failures failed"
    exit 1
fi
echo "test-lib-test: all passed"
