#!/usr/bin/env bash
# Start-up cost of maclist, as ratios measured in one run.
#
# Each round runs, in turn, an empty statically linked C program (the floor of
# starting any process here), maclist and `ip -o link`, output to /dev/null.
# A run's cost is the CPU time of that child alone (user + system, from
# wait4); the commands are interleaved round by round so that whatever else
# the machine is doing weighs on all of them alike. Ratios are of medians.
#
# With --addresses the run happens in a network namespace of its own (unshare
# -rn) holding a veth pair with 10,000 IPv6 addresses on one end and 10,000
# IPv4 addresses on loopback, as on a host with large address pools: the cost
# of listing the links must not grow with them.
#
# usage: bench/startup.sh [--addresses] [ROUNDS] [MACLIST]   (defaults: 2000, build/native/maclist)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
addresses=no
if [ "${1:-}" = --addresses ]; then
  addresses=yes
  shift
fi
rounds=${1:-2000}
maclist=$(realpath "${2:-build/native/maclist}")
ip=$(command -v ip) || { echo "ip (iproute2) is not installed" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf 'int main(void) { return 0; }\n' > "$work/empty.c"
cc -O2 -static -o "$work/empty" "$work/empty.c"
cc -O2 -static -o "$work/runner" "$here/runner.c"
# How a file was written decides how the kernel caches it: one written by
# the linker in small pieces takes more page faults to start than the same
# bytes copied whole, as an installed program is. Both programs are measured
# as copies.
cp "$work/empty" "$work/floor"
cp "$maclist" "$work/maclist"
measure=("$work/runner" "$rounds" floor "$work/floor" -- maclist "$work/maclist" -- "ip -o link" "$ip" -o link)

if [ $addresses = yes ]; then
  {
    echo "link add v0 type veth peer name v1"
    echo "link set lo up"
    echo "link set v0 up"
    for i in $(seq 0 9999); do
      printf 'address add 2001:db8::%x/128 dev v0 nodad\n' "$i"
      printf 'address add 10.%d.%d.%d/32 dev lo\n' $((i / 65536)) $((i / 256 % 256)) $((i % 256))
    done
  } > "$work/addresses"
  # shellcheck disable=SC2016
  unshare -rn sh -c 'ip -batch "$1" && shift && printf "namespace: %s IPv6 and %s IPv4 addresses\n" \
      "$(ip -6 -o address show | wc -l)" "$(ip -4 -o address show | wc -l)" && exec "$@"' \
    sh "$work/addresses" "${measure[@]}" > "$work/results"
  floor_target=1.15
else
  "${measure[@]}" > "$work/results"
  floor_target=1.12
fi

awk -F'\t' -v rounds="$rounds" -v floor_target="$floor_target" '
  /^namespace:/ { print; next }
  { n++; name[n] = $1; median[$1] = $2; mean[$1] = $3; peak[$1] = $4 }
  END {
    printf "%d rounds; CPU time per run (user + sys); peak resident memory of any run\n", rounds
    for (i = 1; i <= n; i++)
      printf "  %-11s median %7.1f us   mean %7.1f us   peak RSS %6d KiB\n", name[i], median[name[i]], mean[name[i]], peak[name[i]]
    floor = median["maclist"] / median["floor"]; ip = median["maclist"] / median["ip -o link"]
    printf "maclist / floor      = %.3fx  (target at most %.2fx: %s)\n", floor, floor_target, floor <= floor_target ? "met" : "MISSED"
    printf "maclist / ip -o link = %.3fx  (target at most 0.40x: %s)\n", ip, ip <= 0.40 ? "met" : "MISSED"
  }' "$work/results"
