# shellcheck shell=bash
# What the emulated machines (tools/x86-guest, tools/arch-guest) share:
# messages, the cache and its key, the lock, the Debian archive to build
# from, the reasons a guest cannot be built here, and a boot of qemu under a
# time limit. Sourced by each tool after it sets:
#   kind          the guest's name, for messages, its cache folder and its lock
#   recipe_files  the files that make the guest: their hash names its cache
# Sets cache (the cache folder) and guest (this guest's folder in it).

: "${kind:?}" "${recipe_files[0]:?}"
cache=${XDG_CACHE_HOME:-$HOME/.cache}/maclist
guest=$cache/$kind-$(cat "${recipe_files[@]}" | sha256sum | cut -c1-16)

say() { echo "$kind: $*" >&2; }
die() { say "$*"; exit 125; }
# What is left to undo when the tool ends, however it ends: a run's
# temporary folder. Its name is the tools' alone, so that no function's local
# variable can stand in for it when the trap runs inside that function.
run_folder=""
trap '[ -z "$run_folder" ] || rm -rf "$run_folder"' EXIT

# shellcheck source=debian-archive.sh
. "$(dirname "${BASH_SOURCE[0]}")/debian-archive.sh"

# Empty when a guest can be run here, given the emulator it needs and the
# tools its build needs; otherwise why not, in one line.
# usage: unavailable_because EMULATOR PACKAGE BUILD_TOOL...
unavailable_because() {
    local emulator=$1 package=$2 tool
    shift 2
    command -v "$emulator" >/dev/null || { echo "$emulator ($package) is not installed"; return; }
    command -v flock >/dev/null || { echo "flock (util-linux) is not installed"; return; }
    [ -e "$guest/ready" ] && return
    [ "$(id -u)" = 0 ] || { echo "no $kind is built, and building one needs root"; return; }
    for tool in mmdebstrap "$@"; do
        command -v "$tool" >/dev/null || { echo "no $kind is built, and building one needs $tool"; return; }
    done
    [ -n "$(debian_mirror)" ] || echo "no $kind is built, and apt names no Debian archive to build one from"
}

lock() {
    mkdir -p "$cache"
    exec 9>"$cache/$kind.lock"
    flock -w 7200 9 || die "another run has held the guest for two hours"
}

# A guest's failure: the reason, the console's last lines, status 125.
failed() {
    say "$2; the console's last lines:"
    tail -n 40 "$1" >&2 2>/dev/null || true
    exit 125
}

# Runs qemu once, under a time limit, and fails unless it powered off by
# itself in time. $1: the limit in seconds, $2: the console's file, $3: the
# file for qemu's own messages, then the emulator and its arguments.
boot_qemu() {
    local limit=$1 console=$2 messages=$3 status=0
    shift 3
    timeout --kill-after=10 "$limit" "$@" </dev/null >"$messages" 2>&1 || status=$?
    if [ $status -eq 124 ] || [ $status -eq 137 ]; then
        failed "$console" "the guest did not power off within $limit s"
    elif [ $status -ne 0 ]; then
        failed "$console" "qemu ended with status $status: $(tail -n 3 "$messages")"
    fi
}
