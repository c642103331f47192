#!/usr/bin/env bash
# Makes the seed corpus of the link dump reader's fuzz target in
# tests/link_dumps/: the kernel's real replies to maclist's request, captured
# in throwaway network namespaces set up as the system tests set them up, and
# the messages link_dump_test makes. Each file is the sequence number and port
# id the reply names (eight bytes, this machine's byte order), then one
# datagram. Run once by hand, after a native build; it replaces the corpus
# once every file of the new one is made, and leaves it as it was otherwise.
# usage: tests/capture_link_dumps.sh [BUILD_DIR]   (default: build/native)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build/native}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
out=$scratch/link_dumps
mkdir "$out"
grabber=$scratch/grab.py
cat >"$grabber" <<'PYTHON'
import socket, struct, sys
# The request maclist sends: RTM_GETLINK (18), NLM_F_REQUEST | NLM_F_DUMP, every
# family, IFLA_EXT_MASK (29) = RTEXT_FILTER_SKIP_STATS (8).
sequence = 1
request = struct.pack("=IHHII", 40, 18, 0x301, sequence, 0) + bytes(16) + struct.pack("=HHI", 8, 29, 8)
s = socket.socket(socket.AF_NETLINK, socket.SOCK_RAW, socket.NETLINK_ROUTE)
s.sendto(request, (0, 0))
port = s.getsockname()[0]
for n in range(1, 100):
    datagram = s.recv(32768)
    with open("%s-%d.dump" % (sys.argv[1], n), "wb") as f:
        f.write(struct.pack("=II", sequence, port) + datagram)
    offset, done = 0, False
    while offset + 16 <= len(datagram):
        length, kind = struct.unpack_from("=IH", datagram, offset)
        done = done or kind == 3  # NLMSG_DONE
        offset += max((length + 3) & ~3, 16)
    if done:
        break
PYTHON

# capture NAME SETUP: runs the setup commands in a fresh namespace, then
# grabs the dump there into NAME-N.dump.
capture() {
    # shellcheck disable=SC2016  # expanded by the namespace's shell
    unshare -rn sh -c 'set -e; eval "$1"; python3 "$2" "$3"' sh "$2" "$grabber" "$out/$1"
}
capture loopback ""
capture mixed "ip link add v0 type veth peer name v1
ip link set v0 address 02:1a:2b:3c:4d:5e
ip link add br0 type bridge
ip link add ifb0 type ifb
ip link set ifb0 up
ip tuntap add tap0 mode tap
ip tuntap add tun0 mode tun
ip addr add 198.51.100.1/24 dev v0 label v0:1"
capture seventeen "$(for i in 0 1 2 3 4 5 6 7; do echo "ip link add a$i type veth peer name b$i"; done)
ip link add br0 type bridge"
LINK_DUMP_CORPUS=$out "$build/tests/link_dump_test" --gtest_filter='Messages/*' >/dev/null
rm -rf "$here/link_dumps"
mv "$out" "$here/link_dumps"
ls "$here/link_dumps" | wc -l
