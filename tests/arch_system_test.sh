#!/bin/sh
# A cross build's system tests, and the query's tests against the kernel, on
# the architecture's own kernel: the whole system_test binary, then
# link_dump_test's cases against the kernel, in one boot of the
# architecture's emulated machine (tools/arch-guest). Exit 77 (skipped), with
# the reason, where that machine cannot run here, or when any case skipped.
#
# usage: arch_system_test.sh machine ARCH
#          makes the machine ready: builds it unless the cached one is current
#        arch_system_test.sh cases ARCH SYSTEM_TEST LINK_DUMP_TEST FILE...
#          runs the cases; each FILE (the command, the probe) goes in with them
set -u
mode=$1 arch=$2
here=$(cd "$(dirname "$0")" && pwd)
tool=$here/../tools/arch-guest/arch-guest
. "$here/guest_cases.sh"
reason=$("$tool" "$arch" available) || skip "the $arch machine cannot run here: $reason"
[ "$mode" = cases ] || exec "$tool" "$arch" build

system_test=$3 link_dump_test=$4
shift 2
# Each program the cases need goes into the guest at its own path.
for file; do
    set -- "$@" --file "$file"
    shift
done
log=$(mktemp)
trap 'rm -f "$log"' EXIT
printf '%s\n' "echo \"on the $arch kernel: \$(uname -r -m)\"" \
    "$(quoted "$system_test"); tests=\$?" \
    "$(quoted "$link_dump_test") --gtest_filter='Faults/*'; kernel=\$?" \
    "[ \$tests -eq 0 ] && [ \$kernel -eq 0 ]" |
    "$tool" "$arch" run --timeout 1200 "$@" - >"$log" 2>&1
finish "$log" $? 2 "on the $arch kernel"
