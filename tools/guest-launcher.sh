# shellcheck shell=bash
# shellcheck disable=SC2154  # the recipe's settings, named below
# The launcher of the emulated machines, sourced by each one's recipe
# (tools/arch-guest/arch-guest, tools/x86-guest/x86-guest), which then hands
# it its command line (launch "$@"):
#   RECIPE build       build the guest, unless the cached one is current
#   RECIPE run [--timeout SECONDS] [OPTION PATH]... SCRIPT
#                      boot it, run `sh SCRIPT` (a file, or - for standard
#                      input) as root inside, and bring back its standard
#                      output, standard error and exit status
#   RECIPE available   exit 0 when `run` can work here, else say why
# A guest is built from the Debian archive this machine's apt uses, and kept
# in the cache (tools/debian-archive.sh) under a name taken from every file
# its build reads: a change to any of them builds a new one. Other versions
# stay, for other checkouts, until no run has used them for 30 days. A lock
# per guest keeps two runs apart. When the guest fails (no boot, no power-off
# in time, no whole result) the exit status is 125, with the console's last
# lines on standard error.
#
# The recipe, in a folder with the files its build reads, sets the settings
# read below (key_text: what else its build reads). It defines make_guest,
# which fills the new folder $guest, and run_job LIMIT PATH..., which boots
# the guest with the job $run_folder/script and leaves the job's stdout,
# stderr and status there.
launcher=${BASH_SOURCE[0]}
# shellcheck source=debian-archive.sh
. "$(dirname "$launcher")/debian-archive.sh"

usage() { echo "usage: $name build | run [--timeout SECONDS] [$path_option PATH]... SCRIPT | available"; }
say() { echo "$kind: $*" >&2; }
die() { say "$*"; exit 125; }
# A run's temporary folder, removed however the tool ends. No function's
# local variable may take its name, to stand in for it when the trap runs.
run_folder=""
trap '[ -z "$run_folder" ] || rm -rf "$run_folder"' EXIT

# Empty when a guest can be run here; otherwise why not, in one line.
unavailable() {
    local tool
    command -v "$emulator" >/dev/null || { echo "$emulator ($emulator_package) is not installed"; return; }
    for tool in flock $run_tools; do
        command -v "$tool" >/dev/null || { echo "$tool is not installed"; return; }
    done
    [ -e "$guest/ready" ] && return
    [ "$(id -u)" = 0 ] || { echo "no $kind is built, and building one needs root"; return; }
    for tool in mmdebstrap $build_tools; do
        command -v "$tool" >/dev/null || { echo "no $kind is built, and building one needs $tool"; return; }
    done
    [ -n "$(debian_mirror)" ] || echo "no $kind is built, and apt names no Debian archive to build one from"
}

lock() {
    mkdir -p "$cache"
    exec 9>"$cache/$kind.lock"
    flock -w 7200 9 || die "another run has held the guest for two hours"
}

failed() {
    say "$2; the console's last lines:"
    tail -n 40 "$1" >&2 2>/dev/null || true
    exit 125
}

# boot_qemu LIMIT CONSOLE MESSAGES EMULATOR ARGUMENT...: runs qemu once and
# fails unless it powered off by itself within LIMIT seconds.
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

build() {
    [ -e "$guest/ready" ] && return
    local reason started=$SECONDS
    reason=$(unavailable)
    [ -z "$reason" ] || die "$reason"
    rm -rf "$guest"
    find "$cache" -maxdepth 1 -type d -name "$kind-*" -mtime +30 -exec rm -rf {} +
    mkdir -p "$guest"
    make_guest
    touch "$guest/ready"
    say "built in $((SECONDS - started)) s: $guest"
}

run() {
    local script="" paths=()
    while [ $# -gt 0 ]; do
        case $1 in
        --timeout)
            [[ ${2:-} =~ ^[0-9]+$ ]] || die "--timeout needs a number of seconds"
            limit=$2 && shift 2 ;;
        "$path_option")
            test "$path_test" "${2:-}" || die "there is no $path_noun ${2:-} for the job"
            paths+=("$(realpath -s -- "$2")") && shift 2 ;;
        -?*) die "unknown option $1" ;;
        *) script=$1; shift; break ;;
        esac
    done
    [ -n "$script" ] && [ $# -eq 0 ] || die "$(usage)"
    run_folder=$(mktemp -d)
    cat -- "$script" >"$run_folder/script"
    build
    # Used: this version of the guest is not one to clean away.
    touch "$guest"
    run_job "$limit" "${paths[@]}"
    [ -f "$run_folder/status" ] || failed "$run_folder/console" "the guest powered off without finishing the job"
    cat "$run_folder/stdout"
    cat "$run_folder/stderr" >&2
    return "$(cat "$run_folder/status")"
}

launch() {
    local files=("$(dirname "$0")"/* "$launcher" "$(dirname "$launcher")/debian-archive.sh")
    guest=$cache/$kind-$({ cat "${files[@]}"; echo "$key_text"; } | sha256sum | cut -c1-16)
    case ${1:-} in
    build) lock; build ;;
    run) shift; lock; run "$@" ;;
    available) reason=$(unavailable); [ -z "$reason" ] || { echo "$reason"; exit 1; } ;;
    *) die "$(usage)" ;;
    esac
}
