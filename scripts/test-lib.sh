# shellcheck shell=bash
# The step runner of ./test.sh, sourced by it (bash).
#
#   groups NAME...                     the groups steps may belong to, in the order --list names them
#   tree GROUP DIR NAME CMAKE_ARG...   a step that configures and builds the build tree DIR
#   step GROUP NEEDS NAME COMMAND...   a step; NEEDS names the build trees (comma-separated, or -) whose
#                                      build step must pass first
#   parse_arguments ARG...             reads ./test.sh's arguments: the groups to run, --list, --help
#   run_steps                          runs the chosen steps in the order they were declared, then the summary
#
# Steps are declared first and run afterwards, so that running one group can first build the trees its steps
# need even when those trees' build steps belong to another group. Every chosen step runs even when an
# earlier independent one failed; a step whose tree did not build is skipped, and a skip counts as a failure.
# COMMAND runs in a subshell with errexit; it may be a script or a function defined before run_steps.

test_groups=()
step_groups=()
step_needs=()
step_names=()
step_commands=()
step_trees=()
chosen_groups=()

groups() {
    test_groups+=("$@")
}

# known_group NAME: NAME was declared with groups.
known_group() {
    local group
    for group in "${test_groups[@]}"; do
        [ "$group" = "$1" ] && return 0
    done
    return 1
}

# add_step GROUP NEEDS TREE NAME COMMAND...
add_step() {
    if ! known_group "$1"; then
        echo "test.sh: step '$4' is in the undeclared group '$1'" >&2
        exit 2
    fi
    step_groups+=("$1")
    step_needs+=("${2//,/ }")
    step_trees+=("$3")
    step_names+=("$4")
    shift 4
    step_commands+=("$(printf '%q ' "$@")")
}

step() {
    local group=$1 needs=$2 name=$3 dir
    shift 3
    [ "$needs" != - ] || needs=
    for dir in ${needs//,/ }; do
        if [[ " ${step_trees[*]} " != *" $dir "* ]]; then
            echo "test.sh: step '$name' needs $dir/, which no tree line above it builds" >&2
            exit 2
        fi
    done
    add_step "$group" "$needs" "" "$name" "$@"
}

tree() {
    local group=$1 dir=$2 name=$3
    shift 3
    add_step "$group" "" "$dir" "$name" configure_and_build "$dir" "$@"
}

# configure_and_build DIR CMAKE_ARG...: the tree is configured with every setting its steps rely on, whatever an
# earlier ./run.sh left in it, then built.
configure_and_build() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "$@"
    cmake --build "$dir"
}

usage() {
    echo "Usage: ./test.sh [GROUP...]   run every step, or the steps of these groups (${test_groups[*]})"
    echo "       ./test.sh --list       name every step with its group"
}

list_steps() {
    local group i count
    for group in "${test_groups[@]}"; do
        count=0
        for i in "${!step_names[@]}"; do
            [ "${step_groups[i]}" = "$group" ] || continue
            count=$((count + 1))
            if [ -n "${step_needs[i]}" ]; then
                printf '%-9s %s  [needs %s]\n' "$group" "${step_names[i]}" "$(tree_list "${step_needs[i]}")"
            else
                printf '%-9s %s\n' "$group" "${step_names[i]}"
            fi
        done
        [ "$count" -gt 0 ] || printf '%-9s (no steps yet)\n' "$group"
    done
}

# tree_list "DIR...": the folders as "build/, build-win32/".
tree_list() {
    sed 's|[^ ][^ ]*|&/|g; s| |, |g' <<<"$1"
}

parse_arguments() {
    local arg
    for arg in "$@"; do
        case $arg in
            --list)
                list_steps
                exit 0
                ;;
            -h | --help)
                usage
                exit 0
                ;;
            *)
                if ! known_group "$arg"; then
                    echo "test.sh: unknown group '$arg'" >&2
                    usage >&2
                    exit 2
                fi
                chosen_groups+=("$arg")
                ;;
        esac
    done
}

# chosen INDEX: the step belongs to a group asked for (every step when none was), or builds a tree that such a
# step needs.
chosen() {
    local i=$1 j group
    [ "${#chosen_groups[@]}" -gt 0 ] || return 0
    for group in "${chosen_groups[@]}"; do
        [ "${step_groups[i]}" = "$group" ] && return 0
    done
    [ -n "${step_trees[i]}" ] || return 1
    for j in "${!step_names[@]}"; do
        for group in "${chosen_groups[@]}"; do
            if [ "${step_groups[j]}" = "$group" ] && [[ " ${step_needs[j]} " == *" ${step_trees[i]} "* ]]; then
                return 0
            fi
        done
    done
    return 1
}

results=()
failed=0
declare -A tree_built=()

# run_step NAME COMMAND: runs COMMAND (quoted for eval) in a subshell with errexit; returns its outcome.
run_step() {
    local name=$1 command=$2
    echo
    echo "==== $name"
    local start=$SECONDS rc=0
    set +e
    (
        set -euo pipefail
        eval "$command"
    )
    rc=$?
    set -e
    if [ "$rc" -eq 0 ]; then
        results+=("PASS  $name ($((SECONDS - start)) s)")
        return 0
    fi
    results+=("FAIL  $name (exit status $rc)")
    failed=1
    return 1
}

run_steps() {
    local i dir missing ran=0
    for i in "${!step_names[@]}"; do
        chosen "$i" || continue
        ran=$((ran + 1))
        missing=()
        for dir in ${step_needs[i]}; do
            [ "${tree_built[$dir]:-0}" -eq 1 ] || missing+=("$dir")
        done
        if [ "${#missing[@]}" -gt 0 ]; then
            results+=("SKIP  ${step_names[i]} (needs: $(tree_list "${missing[*]}") built)")
            failed=1
        elif run_step "${step_names[i]}" "${step_commands[i]}"; then
            [ -z "${step_trees[i]}" ] || tree_built[${step_trees[i]}]=1
        fi
    done
    if [ "$ran" -eq 0 ]; then
        echo "test.sh: the group ${chosen_groups[*]} has no steps yet; nothing to run"
    fi
    summary
}

summary() {
    local passed
    echo
    echo "==== Summary"
    [ "${#results[@]}" -eq 0 ] || printf '  %s\n' "${results[@]}"
    passed=$(printf '%s\n' "${results[@]}" | grep -c '^PASS' || true)
    echo "steps: $passed passed, $((${#results[@]} - passed)) failed"
    if [ "$failed" -ne 0 ]; then
        echo "test.sh: FAILED"
        exit 1
    fi
    echo "test.sh: all steps passed"
}
