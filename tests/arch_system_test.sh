#!/bin/sh
# A cross build's system tests, and the query's tests against the kernel, on
# the architecture's own kernel: the whole system_test binary, then
# link_dump_test's cases against the kernel, in one boot of the
# architecture's emulated machine (tools/arch-guest). Exit 77 (skipped), with
# the reason, where that machine cannot run here, or when any case skipped.
#
# usage: arch_system_test.sh machine ARCH
#          makes the machine ready: builds it unless the cached one is current
#        arch_system_test.sh cases ARCH ARTIFACTS SYSTEM_TEST LINK_DUMP_TEST COMMAND PROBE IP_LISTING
#          runs the cases, with the command, the probe and tools/ip-listing;
#          and the command as each artifact in the folder ARTIFACTS (.deb,
#          RPM, tarball) ships it, taken out here, which must be the command
#          built, byte for byte, and list what it lists in a namespace of its
#          own there
set -u
usage="usage: arch_system_test.sh machine ARCH | cases ARCH ARTIFACTS SYSTEM_TEST LINK_DUMP_TEST COMMAND PROBE IP_LISTING"
mode=${1:-} arch=${2:-}
case $mode-$# in
machine-2 | cases-8) ;;
*) echo "$usage" >&2; exit 2 ;;
esac
here=$(cd "$(dirname "$0")" && pwd)
tool=$here/../tools/arch-guest/arch-guest
# shellcheck source=guest_cases.sh
. "$here/guest_cases.sh"
reason=$("$tool" "$arch" available) || skip "the $arch machine cannot run here: $reason"
[ "$mode" = cases ] || exec "$tool" "$arch" build

artifacts=$3 system_test=$4 link_dump_test=$5 command=$6
shift 3
# Each program the cases need goes into the guest at its own path.
for file; do
    set -- "$@" --file "$file"
    shift
done
log=$(mktemp)
unpacked=$(mktemp -d)
trap 'rm -rf "$log" "$unpacked"' EXIT
shipped=""
for artifact in "$artifacts"/*.deb "$artifacts"/*.rpm "$artifacts"/*.tar.gz; do
    [ -f "$artifact" ] || continue
    dir=$unpacked/$(basename "$artifact")
    mkdir "$dir"
    file=$("$here/../tools/shipped-command" "$artifact" "$dir") || exit 1
    cmp -s "$file" "$command" || { echo "$0: the maclist in $(basename "$artifact") is not the one built"; exit 1; }
    shipped="$shipped $(quoted "$file")"
    set -- "$@" --file "$file"
done
[ -n "$shipped" ] || { echo "$0: $artifacts holds no package or tarball"; exit 1; }
printf '%s\n' "echo \"on the $arch kernel: \$(uname -r -m)\"" \
    "$(quoted "$system_test"); tests=\$?" \
    "$(quoted "$link_dump_test") --gtest_filter='Faults/*'; kernel=\$?" \
    "unshare -rn sh -c 'ip link add a0 type veth peer name b0 && built=\$(\"\$0\") || exit
        for p; do [ \"\$(\"\$p\")\" = \"\$built\" ] || { echo \"\$p lists otherwise\"; exit 1; }; done
        echo \"the shipped commands list what the built one lists:\" \$built' $(quoted "$command")$shipped; shipped=\$?" \
    "[ \$tests -eq 0 ] && [ \$kernel -eq 0 ] && [ \$shipped -eq 0 ]" |
    "$tool" "$arch" run --timeout 1200 "$@" - >"$log" 2>&1
finish "$log" $? 2 "on the $arch kernel"
