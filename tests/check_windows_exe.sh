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
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }
strings16() { wrestool -x --raw -t "$1" "$exe" | iconv -f UTF-16LE -t UTF-8 -c | tr -c '[:print:]' '\n'; }
check "console program" "objdump -p '$exe' | grep -q '^Subsystem.*(Windows CUI)'"
check "only system DLLs" "! objdump -p '$exe' | grep 'DLL Name:' | grep -viq -e KERNEL32 -e msvcrt -e IPHLPAPI"
check "no debug sections" "! objdump -h '$exe' | grep -q ' \.debug_'"
check "FileVersion $version" "strings16 16 | grep -A2 -x FileVersion | grep -qx '$version'"
check "ProductVersion $version" "strings16 16 | grep -A2 -x ProductVersion | grep -qx '$version'"
check "manifest asking for no elevation" "wrestool -x --raw -t 24 '$exe' | grep -q 'requestedExecutionLevel level=\"asInvoker\"'"
exit $fail
