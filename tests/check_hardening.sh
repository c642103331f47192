#!/bin/sh
# Checks how the command is linked: a position-independent executable with
# read-only relocations bound at start and a non-executable stack, and, for
# the static build, no program interpreter.
# usage: check_hardening.sh BINARY STATIC(ON|OFF)
binary=$1 static=$2
command -v readelf >/dev/null || { echo "skipped: readelf (binutils) is not installed"; exit 77; }
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }
check "position-independent executable" "readelf -hW '$binary' | grep -q 'Type: *DYN'"
check "RELRO segment" "readelf -lW '$binary' | grep -q GNU_RELRO"
check "immediate binding" "readelf -dW '$binary' | grep -q 'FLAGS.*BIND_NOW'"
check "non-executable stack" "readelf -lW '$binary' | grep GNU_STACK | grep -qv RWE"
case $static in
ON) check "no dynamic loader (static PIE)" "! readelf -lW '$binary' | grep -q INTERP" ;;
*) check "dynamic loader" "readelf -lW '$binary' | grep -q INTERP" ;;
esac
exit $fail
