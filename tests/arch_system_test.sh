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
tool=$(cd "$(dirname "$0")/../tools/arch-guest" && pwd)/arch-guest
skip() {
    printf '%s: Skipped\n%s\n' "$0" "$1"
    exit 77
}
reason=$("$tool" "$arch" available) || skip "the $arch machine cannot run here: $reason"
[ "$mode" = cases ] || exec "$tool" "$arch" build

system_test=$3 link_dump_test=$4
shift 2
# Each program the cases need goes into the guest at its own path.
for file; do
    set -- "$@" --file "$file"
    shift
done
# The argument as one word of a shell command, whatever it holds.
quoted() {
    printf "'%s'" "$(printf '%s' "$1" | sed "s/'/'\\\\''/g")"
}
log=$(mktemp)
trap 'rm -f "$log"' EXIT
printf '%s\n' "echo \"on the $arch kernel: \$(uname -r -m)\"" \
    "$(quoted "$system_test"); tests=\$?" \
    "$(quoted "$link_dump_test") --gtest_filter='Faults/*'; kernel=\$?" \
    "[ \$tests -eq 0 ] && [ \$kernel -eq 0 ]" |
    "$tool" "$arch" run --timeout 1200 "$@" - >"$log" 2>&1
status=$?
cat "$log"
[ $status -eq 0 ] || { echo "$0: the cases failed on $arch (status $status)"; exit 1; }
grep -q '^\[  SKIPPED \]' "$log" && skip "cases were skipped on $arch; the reasons are above"
[ "$(grep -c '^\[  PASSED  \] [1-9]' "$log")" -eq 2 ] || { echo "$0: not every case ran on $arch"; exit 1; }
