#!/usr/bin/env bash
# Start-up cost of maclist, as ratios of medians to the floors (bench/floors.c)
# and to an empty static glibc program and ip -o link, measured twice in a row:
# a target counts as met only when both measurements meet it. bench/README.md
# tells the method.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
usage() {
  echo "usage: bench/startup.sh [--addresses] [ROUNDS] [MACLIST]   (defaults: 2000, build/native/maclist)" >&2
  [ $# -eq 0 ] || echo "bench/startup.sh: $*" >&2
  exit 2
}
addresses=no
if [ "${1:-}" = --addresses ]; then
  addresses=yes
  shift
fi
[ $# -le 2 ] || usage "too many arguments"
rounds=${1:-2000}
case $rounds in
'' | *[!0-9]* | 0*) usage "ROUNDS must be a whole number above 0, not '$rounds'" ;;
esac
maclist=${2:-build/native/maclist}
[ -f "$maclist" ] && [ -x "$maclist" ] || usage "no program to measure at '$maclist'"
maclist=$(realpath "$maclist")
ip=$(command -v ip) || { echo "ip (iproute2) is not installed" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf 'int main(void) { return 0; }\n' > "$work/empty.c"
cc -O2 -static -o "$work/empty" "$work/empty.c"
floor_flags=(-O2 -static -nostdlib -ffreestanding -fno-stack-protector -fno-pie -no-pie)
cc "${floor_flags[@]}" -o "$work/exit-only" "$here/floors.c"
cc "${floor_flags[@]}" -DDUMP -o "$work/dump-floor" "$here/floors.c"
cc -O2 -static -o "$work/runner" "$here/runner.c"
# Every program is measured as a copy, as an installed program is: one written
# by the linker in small pieces takes more page faults to start.
for program in exit-only dump-floor empty; do
  cp "$work/$program" "$work/$program.copy"
done
cp "$maclist" "$work/maclist"
runner=("$work/runner" "$rounds" exit-only "$work/exit-only.copy" -- "dump floor" "$work/dump-floor.copy"
  -- "glibc empty" "$work/empty.copy" -- maclist "$work/maclist" -- "ip -o link" "$ip" -o link)
# The runner measures twice, into two files named in the environment, so
# that the command line holds no path, whatever it contains.
export BENCH_FIRST=$work/first BENCH_SECOND=$work/second
# shellcheck disable=SC2016  # expanded by the shell that runs it
measure='"$@" >"$BENCH_FIRST" && "$@" >"$BENCH_SECOND"'

if [ $addresses = yes ]; then
  # A veth pair and loopback with 10,000 addresses each, as on a host with
  # large address pools: listing the links must not cost more for them.
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
      "$(ip -6 -o address show | wc -l)" "$(ip -4 -o address show | wc -l)" && eval "$0"' \
    "$measure" "$work/addresses" "${runner[@]}"
else
  sh -c "$measure" sh "${runner[@]}"
fi

awk -F'\t' -v rounds="$rounds" '
  FNR == 1 { run++ }
  { median[run, $1] = $2; mean[run, $1] = $3; peak[run, $1] = $4; order[run, FNR] = $1; lines[run] = FNR }
  function ratio(to, target,   r, met, values) {
    met = 1; values = ""
    for (r = 1; r <= run; r++) {
      x = median[r, "maclist"] / median[r, to]
      values = values sprintf("%s%.3fx", r > 1 ? ", " : "", x)
      if (target > 0 && x > target) met = 0
    }
    note = target > 0 ? sprintf("target at most %.2fx in both runs: %s", target, met ? "met" : "MISSED") : "no target"
    printf "maclist / %-12s = %s  (%s)\n", to, values, note
  }
  END {
    for (r = 1; r <= run; r++) {
      printf "run %d: %d rounds; CPU time per run (user + sys); peak resident memory of any run\n", r, rounds
      for (i = 1; i <= lines[r]; i++) {
        n = order[r, i]
        printf "  %-11s median %7.1f us   mean %7.1f us   peak RSS %6d KiB\n", n, median[r, n], mean[r, n], peak[r, n]
      }
    }
    ratio("dump floor", 1.25)
    ratio("glibc empty", 0.65)
    ratio("ip -o link", 0.20)
    ratio("exit-only", 0)
  }' "$work/first" "$work/second"
