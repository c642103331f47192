#!/bin/sh
# The 32-bit Windows cases of windows_test, all in one process: on this host
# when its wine runs 32-bit programs, otherwise in one boot of the emulated x86
# machine (tools/x86-guest), with the build tree shared into it at the same
# path. Exit 77 (skipped), with the reason, when neither can run them or when
# any case skipped.
#
# usage: windows_x86.sh machine
#          makes the emulated machine ready where the cases need it: builds it
#          unless the cached one is current (minutes, the first time)
#        windows_x86.sh cases WINDOWS_TEST BUILD_DIR
#          runs the cases
set -u
mode=$1
here=$(cd "$(dirname "$0")" && pwd)
tool=$here/../tools/x86-guest/x86-guest
. "$here/guest_cases.sh"

if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    host=yes
else
    host=no
    reason=$("$tool" available) ||
        skip "this host's wine does not run 32-bit programs, and the emulated x86 machine cannot run here: $reason"
fi

if [ "$mode" = machine ]; then
    [ $host = no ] || { echo "the x86 cases run on this host: no emulated machine is needed"; exit 0; }
    exec "$tool" build
fi

test=$2 build=$3
filter='--gtest_filter=Wine/*/x86*'
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if [ $host = yes ]; then
    where="on this host"
    "$test" "$filter" >"$log" 2>&1
    status=$?
else
    where="in the emulated x86 machine"
    printf 'export MACLIST_WINE_PREFIX=/root/.wine\nexec %s %s\n' "$(quoted "$test")" "$(quoted "$filter")" |
        "$tool" run --timeout 1200 --share "$build" - >"$log" 2>&1
    status=$?
fi
echo "x86 cases: $where"
finish "$log" $status 1 "$where"
