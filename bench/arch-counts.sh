#!/usr/bin/env bash
# What one run of the command does on each architecture's own kernel, musl
# against glibc (-DMACLIST_USE_MUSL=OFF, in build/linux-ARCH-glibc), as a
# Markdown table: size, system calls, minor page faults (bench/README.md).
#
# usage: bench/arch-counts.sh [ARCH...]   (default: every architecture of
#        tools/architectures)
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/cross-builds.sh
arches=("$@")
[ ${#arches[@]} -gt 0 ] || mapfile -t arches < <(architectures | awk '{ print $1 }')

# The guest's side: for each command, its system calls and its faults.
measure='for p; do
    strace -f -qq -o /tmp/calls "$p" >/dev/null
    calls=$(grep -c . /tmp/calls)
    faults=$(for i in 1 2 3 4 5; do busybox time -v "$p" 2>&1 >/dev/null |
        sed -n "s/.*Minor (reclaiming a frame) page faults: //p"; done | sort -n | sed -n 3p)
    echo "$calls $faults $(sed "s/^[0-9]* *//; s/(.*//" /tmp/calls | tr "\n" " ")"
done'

echo "| arch | musl: size, calls, minor faults | glibc: size, calls, minor faults | glibc's calls that musl does not make |"
echo "|---|---|---|---|"
for arch in "${arches[@]}"; do
    musl=build/linux-$arch glibc=build/linux-$arch-glibc
    export MACLIST_ARCH=$arch
    cmake --preset cross >/dev/null
    cmake --preset cross -B "$glibc" -DMACLIST_USE_MUSL=OFF -DMACLIST_TESTS=OFF >/dev/null
    for build in "$musl" "$glibc"; do
        cmake --build "$build" --target maclist >/dev/null
    done
    results=$(printf '%s\n' "set -- $(realpath "$musl/maclist") $(realpath "$glibc/maclist")" "$measure" |
        tools/arch-guest/arch-guest "$arch" run --file "$musl/maclist" --file "$glibc/maclist" -)
    read -r musl_calls musl_faults musl_names <<<"$(sed -n 1p <<<"$results")"
    read -r glibc_calls glibc_faults glibc_names <<<"$(sed -n 2p <<<"$results")"
    extra=$(comm -13 <(tr ' ' '\n' <<<"$musl_names" | sort -u) <(tr ' ' '\n' <<<"$glibc_names" | sort -u) | tr '\n' ' ')
    printf '| %s | %s B, %s, %s | %s B, %s, %s | %s |\n' "$arch" \
        "$(stat -c %s "$musl/maclist")" "$musl_calls" "$musl_faults" \
        "$(stat -c %s "$glibc/maclist")" "$glibc_calls" "$glibc_faults" "${extra% }"
done
