#!/bin/sh
# Checks a release Windows executable as it ships: a console program that
# needs only system DLLs, without debug sections, with a version resource of
# this version and a manifest that runs it with the caller's rights.
# usage: check_windows_exe.sh EXE VERSION
exe=$1 version=$2
[ -n "$exe" ] && [ -f "$exe" ] || { echo "skipped: the executable was not built (no MinGW-w64 cross compiler)"; exit 77; }
for tool in objdump wrestool iconv; do
  command -v $tool >/dev/null || { echo "skipped: $tool (binutils, icoutils) is not installed"; exit 77; }
done
fail=0
# check WHAT COMMAND...: the command succeeds.
check() { what=$1; shift; if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; fail=1; fi; }
strings16() { wrestool -x --raw -t "$1" "$exe" | iconv -f UTF-16LE -t UTF-8 -c | tr -c '[:print:]' '\n'; }
# objdump's reports are taken first: a check that a report lacks something
# must not pass because objdump could not read the file.
headers=$(objdump -p "$exe") && sections=$(objdump -h "$exe") || { echo "FAILED: objdump cannot read $exe"; exit 1; }
console() { printf '%s\n' "$headers" | grep -q '^Subsystem.*(Windows CUI)'; }
system_dlls() { ! printf '%s\n' "$headers" | grep 'DLL Name:' | grep -viq -e KERNEL32 -e msvcrt -e IPHLPAPI; }
no_debug() { ! printf '%s\n' "$sections" | grep -q ' \.debug_'; }
version_is() { strings16 16 | grep -A2 -x "$1" | grep -qxF "$version"; }
as_invoker() { wrestool -x --raw -t 24 "$exe" | grep -q 'requestedExecutionLevel level="asInvoker"'; }
check "console program" console
check "only system DLLs" system_dlls
check "no debug sections" no_debug
check "FileVersion $version" version_is FileVersion
check "ProductVersion $version" version_is ProductVersion
check "manifest asking for no elevation" as_invoker
exit $fail
