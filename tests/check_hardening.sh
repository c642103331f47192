#!/bin/sh
# Checks how the command is linked: a position-independent executable with
# read-only relocations bound at start and a non-executable stack, and, for
# the static build, no program interpreter.
# usage: check_hardening.sh BINARY STATIC(ON|OFF)
binary=$1 static=$2
command -v readelf >/dev/null || { echo "skipped: readelf (binutils) is not installed"; exit 77; }
fail=0
# check WHAT COMMAND...: the command succeeds.
check() { what=$1; shift; if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; fail=1; fi; }
# has OPTION PATTERN: readelf's report with that option matches the pattern.
has() { readelf "$1" "$binary" | grep -q "$2"; }
lacks() { ! has "$@"; }
check "position-independent executable" has -hW 'Type: *DYN'
check "RELRO segment" has -lW GNU_RELRO
check "immediate binding" has -dW 'FLAGS.*BIND_NOW'
check "non-executable stack" has -lW 'GNU_STACK\( *0x[0-9a-f]*\)\{5\} *RW '
case $static in
ON) check "no dynamic loader (static PIE)" lacks -lW INTERP ;;
*) check "dynamic loader" has -lW INTERP ;;
esac
exit $fail
