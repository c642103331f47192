#!/usr/bin/env bash
# Start-up cost of maclist, as ratios measured in one run.
#
# Each round runs, in turn, an empty statically linked C program (the floor of
# starting any process here), maclist and `ip -o link`, output to /dev/null.
# A run's cost is the CPU time of that child alone (user + system, from
# wait4); the commands are interleaved round by round so that whatever else
# the machine is doing weighs on all of them alike. Ratios are of medians.
#
# usage: bench/startup.sh [ROUNDS] [MACLIST]   (defaults: 2000, build/native/maclist)
set -euo pipefail
rounds=${1:-2000}
maclist=$(realpath "${2:-build/native/maclist}")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf 'int main(void) { return 0; }\n' > "$work/empty.c"
cc -O2 -static -o "$work/floor" "$work/empty.c"
cc -O2 -static -o "$work/runner" "$here/runner.c"
ip=$(command -v ip) || { echo "ip (iproute2) is not installed" >&2; exit 1; }

"$work/runner" "$rounds" floor "$work/floor" -- maclist "$maclist" -- "ip -o link" "$ip" -o link > "$work/results"

awk -F'\t' -v rounds="$rounds" '
  { name[NR] = $1; median[$1] = $2; mean[$1] = $3; peak[$1] = $4 }
  END {
    printf "%d rounds; CPU time per run (user + sys); peak resident memory of any run\n", rounds
    for (i = 1; i <= NR; i++)
      printf "  %-11s median %7.1f us   mean %7.1f us   peak RSS %6d KiB\n", name[i], median[name[i]], mean[name[i]], peak[name[i]]
    floor = median["maclist"] / median["floor"]; ip = median["maclist"] / median["ip -o link"]
    printf "maclist / floor      = %.2fx  (target at most 1.15x: %s)\n", floor, floor <= 1.15 ? "met" : "MISSED"
    printf "maclist / ip -o link = %.2fx  (target at most 0.40x: %s)\n", ip, ip <= 0.40 ? "met" : "MISSED"
  }' "$work/results"
