# shellcheck shell=sh
# What the scripts that run test cases on a host or in an emulated machine
# share (windows_x86.sh, arch_system_test.sh); sourced.

# Ends the test as skipped (ctest's 77), with the reason.
skip() {
    printf '%s: Skipped\n%s\n' "$0" "$1"
    exit 77
}

# The argument as one word of a shell command, whatever it holds.
quoted() {
    printf "'%s'" "$(printf '%s' "$1" | sed "s/'/'\\\\''/g")"
}

# finish LOG STATUS RUNS WHERE: shows the cases' output, and ends the test:
# failed unless STATUS is 0 and RUNS GoogleTest runs passed cases; skipped
# when any case skipped.
finish() {
    cat "$1"
    [ "$2" -eq 0 ] || { echo "$0: the cases failed $4 (status $2)"; exit 1; }
    ! grep -q '^\[  SKIPPED \]' "$1" || skip "cases were skipped $4; the reasons are above"
    [ "$(grep -c '^\[  PASSED  \] [1-9]' "$1")" -eq "$3" ] || { echo "$0: not every case ran $4"; exit 1; }
}
