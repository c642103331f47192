#!/bin/sh
# Checks how the command is built and linked, as doc/building.md's table says
# for each build: a position-independent executable with read-only relocations bound
# at start (a plain static one where the C library has no static PIE) and a
# non-executable stack; for a static build, no program interpreter; the C
# library it was linked with; the stack protector in its objects; and glibc's
# checked functions (_FORTIFY_SOURCE) exactly where the build has them: glibc
# release builds, not Debug builds, and never musl, which has none. NM names
# the target's nm for a cross build.
# usage: check_hardening.sh BINARY LINK(static-pie|static|dynamic) LIBC(glibc|musl) FORTIFIED(ON|OFF) OBJECT...
binary=$1 link=$2 libc=$3 fortified=$4
shift 4
nm=${NM:-nm}
for tool in readelf "$nm" strings file; do
    command -v $tool >/dev/null || { echo "skipped: $tool (binutils, file) is not installed"; exit 77; }
done
fail=0
# check WHAT COMMAND...: the command succeeds.
check() { what=$1; shift; if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; fail=1; fi; }
# has OPTION PATTERN: readelf's report with that option matches the pattern;
# lacks: it does not. Each takes the report first, so that where readelf
# cannot read the binary, the checks that something is absent fail too.
has() { report=$(readelf "$1" "$binary") && printf '%s\n' "$report" | grep -q "$2"; }
lacks() { report=$(readelf "$1" "$binary") && ! printf '%s\n' "$report" | grep -q "$2"; }
file_says() { file -b "$binary" | grep -q "$1"; }
# relocations_are PATTERN: every relocation's type ends with the pattern.
relocations_are() {
    report=$(readelf -rW "$binary") &&
        ! printf '%s\n' "$report" | awk 'NF > 2 && $1 ~ /^[0-9a-f]+$/ { print $3 }' | grep -v "$1\$" | grep -q .
}
# calls PATTERN OBJECT...: the objects call a function whose name matches.
calls() { pattern=$1; shift; "$nm" -u "$@" 2>/dev/null | grep -q "$pattern"; }
check "RELRO segment" has -lW GNU_RELRO
check "non-executable stack" has -lW 'GNU_STACK\( *0x[0-9a-f]*\)\{5\} *RW '
case $link in
static)
    # Nothing is bound at run time: there is no dynamic section at all.
    check "static executable" has -hW 'Type: *EXEC'
    check "no dynamic loader (static)" lacks -lW INTERP ;;
static-pie)
    check "position-independent executable" has -hW 'Type: *DYN'
    check "file calls it static-pie linked" file_says 'static-pie linked'
    check "immediate binding" has -dW 'FLAGS.*BIND_NOW'
    check "FLAGS_1 with NOW and PIE" has -dW 'FLAGS_1.*NOW.* PIE'
    check "no dynamic loader (static PIE)" lacks -lW INTERP
    # The start-up relocates the program itself, and musl's applies only
    # RELATIVE relocations (glibc's also IRELATIVE ones): a symbolic one
    # would leave its pointer unset.
    case $libc in
    musl) check "only RELATIVE relocations" relocations_are '_RELATIVE' ;;
    *) check "only RELATIVE and IRELATIVE relocations" relocations_are '_I\{0,1\}RELATIVE' ;;
    esac ;;
*)
    check "position-independent executable" has -hW 'Type: *DYN'
    check "immediate binding" has -dW 'FLAGS.*BIND_NOW'
    check "dynamic loader" has -lW INTERP ;;
esac
glibc() { text=$(strings -a "$binary") && printf '%s\n' "$text" | grep -q 'glibc'; }
not_glibc() { text=$(strings -a "$binary") && ! printf '%s\n' "$text" | grep -q 'glibc'; }
case $link-$libc in
static*-glibc) check "glibc linked in" glibc ;;
static*-musl) check "musl linked in, nothing of glibc" not_glibc ;;
esac
check "stack protector" calls ' U __stack_chk_fail\(_local\)\{0,1\}$' "$@"
# glibc's checked functions: any __*_chk but the stack protector's. Both
# checks take nm's report first, so that neither passes where nm fails.
checked_calls() { printf '%s\n' "$1" | grep -v __stack_chk_fail | grep -q ' U __[a-z0-9_]*_chk$'; }
checked() { symbols=$("$nm" -u "$@") && checked_calls "$symbols"; }
unchecked() { symbols=$("$nm" -u "$@") && ! checked_calls "$symbols"; }
case $fortified in
ON) check "glibc's checked functions (_FORTIFY_SOURCE)" checked "$@" ;;
*) check "no checked functions (no _FORTIFY_SOURCE)" unchecked "$@" ;;
esac
exit $fail
