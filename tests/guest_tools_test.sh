#!/bin/sh
# The emulated machines' own plumbing and the bare root's, with stubs on
# PATH for everything that would build or boot a machine or make a root: an
# x86-guest run that first has to build the guest must boot with exactly the
# shares it was given; a hung guest must end the run with status 125 and the
# reason; a run whose guest fails to build must leave no folder behind; an
# edit to a file the build reads (debian-archive.sh) builds a new guest and
# leaves the old one; an arch-guest job whose file is missing, whose guest
# never reports, or whose result a kernel message broke on the console fails
# with the reason, and a whole result comes back; bare-root remakes a root it
# made and leaves alone a folder it did not, whatever lies beside it.
# usage: guest_tools_test.sh   (exit 77, skipped, when not run as root: build needs it)
set -u
tools=$(cd "$(dirname "$0")/../tools" && pwd)
tool=$tools/x86-guest/x86-guest
[ "$(id -u)" = 0 ] || { echo "skipped: building even a stubbed guest needs root"; exit 77; }
# What the tools run for real, around the stubs.
for needed in flock:util-linux cpio:cpio lddtree:pax-utils; do
    command -v "${needed%%:*}" >/dev/null || { echo "skipped: ${needed%%:*} (${needed#*:}) is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/cache" "$work/shared dir's"

stub() { printf '#!/bin/sh\n%s\n' "$2" >"$work/bin/$1" && chmod +x "$work/bin/$1"; }
# apt names an archive for this machine's release, at once.
stub apt-get 'echo "http://archive.invalid/debian/ $(. /etc/os-release && echo "$VERSION_CODENAME") deb"'
# mmdebstrap lays out just what the x86 recipe then takes from a root in the
# cache; bwrap runs nothing.
stub mmdebstrap 'for a; do case $a in "$XDG_CACHE_HOME"/*) root=$a ;; esac; done
[ -z "${root:-}" ] || { mkdir -p "$root/boot" && touch "$root/boot/vmlinuz-stub" "$root/boot/initrd.img-stub"; }'
stub mke2fs 'exit 0'
stub bwrap 'exit 0'
# The emulator records each boot's shares, finishes the job at once, hangs or
# fails when told to.
stub qemu-system-x86_64 'for a; do case $a in local,path=*)
  path=${a#local,path=}; path=${path%%,mount_tag=*}; tag=${a#*mount_tag=}; tag=${tag%%,*}
  [ "$tag" = job ] && job=$path || echo "$tag $path" >>"$BOOTS"; esac; done
echo boot >>"$BOOTS"
[ -z "${HANG:-}" ] || exec sleep 60
[ -z "${FAIL:-}" ] || exit 1
: >"$job/stdout"; : >"$job/stderr"; echo 0 >"$job/status"'

fail=0
export PATH="$work/bin:$PATH" XDG_CACHE_HOME="$work/cache" BOOTS="$work/boots"
echo true | "$tool" run --share "$work/shared dir's" - >"$work/out" 2>&1 || {
    cat "$work/out"
    echo "FAILED: a run that had to build the guest first did not succeed"
    fail=1
}
# The build's boot shares nothing; the run's boot, after it, shares the folder.
if [ "$(tail -n 2 "$work/boots")" = "share0 $work/shared dir's
boot" ]; then
    echo "ok: the run after a build boots with the share it was given"
else
    printf 'FAILED: the boots were, with their shares:\n%s\n' "$(cat "$work/boots")"
    fail=1
fi

status=0
echo true | HANG=1 "$tool" run --timeout 1 - >"$work/out" 2>&1 || status=$?
if [ $status -eq 125 ] && grep -q 'did not power off within 1 s' "$work/out"; then
    echo "ok: a hung guest ends the run with 125 and the reason"
else
    printf 'FAILED: a hung guest ended the run with %s:\n%s\n' $status "$(cat "$work/out")"
    fail=1
fi

# A run whose guest fails to build leaves no folder of its own behind.
mkdir "$work/tmp"
status=0
echo true | FAIL=1 TMPDIR="$work/tmp" XDG_CACHE_HOME="$work/cache2" "$tool" run - >"$work/out" 2>&1 || status=$?
if [ $status -eq 125 ] && [ -z "$(ls -A "$work/tmp")" ]; then
    echo "ok: a run whose guest fails to build ends with 125 and leaves nothing in TMPDIR"
else
    printf 'FAILED: a failed build ended the run with %s, leaving in TMPDIR: %s\n%s\n' $status \
        "$(ls -A "$work/tmp")" "$(cat "$work/out")"
    fail=1
fi

# A copy of the x86 guest's tools names the guest built above, until an edit
# to debian-archive.sh, which its build reads: then it builds a new one, and
# the other stays for the tools that use it.
mkdir "$work/tools"
cp -R "$tools/x86-guest" "$tools/guest-launcher.sh" "$tools/debian-archive.sh" "$tools/architectures" "$work/tools/"
echo "# an edit" >>"$work/tools/debian-archive.sh"
: >"$work/boots"
"$work/tools/x86-guest/x86-guest" build >"$work/out" 2>&1
if [ "$(cat "$work/boots")" = boot ] && [ "$(find "$work/cache/maclist" -maxdepth 1 -name 'x86-guest-*' | wc -l)" -eq 2 ]; then
    echo "ok: an edit to debian-archive.sh builds a new guest, and the one before stays"
else
    printf 'FAILED: after an edit to debian-archive.sh, the boots were:\n%s\nthe guests: %s\n%s\n' "$(cat "$work/boots")" \
        "$(ls "$work/cache/maclist")" "$(cat "$work/out")"
    fail=1
fi

# expect WHAT STATUS MESSAGE COMMAND...: the command ends with the status and
# says the message.
expect() {
    what=$1 want=$2 message=$3 status=0
    shift 3
    "$@" >"$work/out" 2>&1 </dev/null || status=$?
    if [ $status -eq "$want" ] && grep -qF "$message" "$work/out"; then
        echo "ok: $what"
    else
        printf 'FAILED: %s: status %s:\n%s\n' "$what" $status "$(cat "$work/out")"
        fail=1
    fi
}
arch_tool=$tools/arch-guest/arch-guest
expect "an arch-guest job whose file is missing fails before it boots" 125 \
    "there is no file $work/missing for the job" "$arch_tool" arm64 run --file "$work/missing" /dev/null
# The emulator writes to the console what it is told to, a result whole or
# broken by a kernel message, or nothing.
stub qemu-system-aarch64 'for a; do case $a in file:*) console=${a#file:} ;; esac; done
[ -n "${REPORT:-}" ] || exit 0
echo "@@arch-guest stdout $(echo "hello world" | sha256sum | cut -d " " -f 1)" >"$console"
[ "$REPORT" = whole ] && echo aGVsbG8gd29ybGQK >>"$console" || printf "aGVsbG8g[ 1.0] news\\nd29ybGQK\\n" >>"$console"
echo "@@arch-guest stderr $(sha256sum </dev/null | cut -d " " -f 1)" >>"$console"
echo "@@arch-guest status 0" >>"$console"'
# A guest as built, for the stub emulator to boot, in the folder whose build
# the stubs fail.
"$arch_tool" arm64 build >"$work/out" 2>&1
guest=$(sed -n 's/.*; see \(.*\)\/build\.log$/\1/p' "$work/out")
[ -d "$guest" ] || { printf 'FAILED: a failed arch-guest build named no folder:\n%s\n' "$(cat "$work/out")"; fail=1; }
touch "$guest/kernel" "$guest/initrd.img" "$guest/ready"
expect "an arch-guest guest that powers off without a result fails" 125 \
    "the guest powered off without finishing the job" "$arch_tool" arm64 run /dev/null
expect "an arch-guest result that a kernel message broke fails" 125 \
    "a kernel message broke the job's stdout" env REPORT=broken "$arch_tool" arm64 run /dev/null
expect "an arch-guest result comes back whole" 0 "hello world" env REPORT=whole "$arch_tool" arm64 run /dev/null

# A root bare-root made, it makes again; a folder it did not make it leaves
# alone, even with a log of bare-root's beside it.
expect "bare-root makes a root" 0 "mmdebstrap --variant=minbase" "$tools/bare-root" "$work/root" bash "$work" true
touch "$work/root/old"
expect "bare-root makes again a root it made" 0 "mmdebstrap --variant=minbase" "$tools/bare-root" "$work/root" bash "$work" true
[ ! -e "$work/root/old" ] || { echo "FAILED: bare-root kept what was in the root it made before"; fail=1; }
mkdir "$work/stranger"
touch "$work/stranger/kept" "$work/stranger.bare-root.log"
expect "bare-root leaves alone a folder it did not make" 125 "it is left alone" \
    "$tools/bare-root" "$work/stranger" bash "$work" true
[ -e "$work/stranger/kept" ] || { echo "FAILED: bare-root removed a folder it did not make"; fail=1; }
exit $fail
