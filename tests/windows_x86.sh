#!/bin/sh
# Runs the 32-bit Windows cases of windows_test, all in one process: on this
# host when its wine runs 32-bit programs, otherwise in one boot of the
# emulated x86 machine (tools/x86-guest, built first if need be), with the
# build tree shared into it at the same path. Exit 77 (skipped), with the
# reason, when neither can run them or when any case skipped.
# usage: windows_x86.sh WINDOWS_TEST BUILD_DIR GUEST(ON|OFF)
set -u
test=$1 build=$2 guest=$3
tool=$(cd "$(dirname "$0")/../tools/x86-guest" && pwd)/x86-guest
filter='--gtest_filter=Wine/Differential.WindowsBehavesAsNative/x86_*'
log=$(mktemp)
trap 'rm -f "$log"' EXIT
skip() {
    printf '%s: Skipped\n%s\n' "$0" "$1"
    exit 77
}

if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "x86 cases: on this host"
    "$test" "$filter" >"$log" 2>&1
    status=$?
else
    why="this host's wine does not run 32-bit programs, and"
    [ "$guest" = ON ] || skip "$why the emulated x86 machine is used by the test run of the native build only"
    reason=$("$tool" available) || skip "$why the emulated x86 machine cannot run here: $reason"
    echo "x86 cases: in the emulated x86 machine"
    printf "export MACLIST_WINE_PREFIX=/root/.wine\nexec '%s' '%s'\n" "$test" "$filter" |
        "$tool" run --timeout 1200 --share "$build" - >"$log" 2>&1
    status=$?
fi
cat "$log"
[ $status -eq 0 ] || exit $status
if grep -q '^\[  SKIPPED \]' "$log"; then
    skip "cases were skipped; the reasons are above"
fi
grep -q '^\[  PASSED  \] [1-9]' "$log" || { echo "$0: no x86 case ran"; exit 1; }
