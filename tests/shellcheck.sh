#!/bin/sh
# Runs shellcheck, at warning level, on every shell script of the source
# tree: each file whose first line runs sh, bash or busybox's sh, and each
# sourced file, which names its shell on a `# shellcheck shell=` line. Files
# under build/ and .git/ are left out.
# usage: shellcheck.sh SOURCE_DIR   (exit 77, skipped, when shellcheck is missing)
command -v shellcheck >/dev/null || { echo "skipped: shellcheck is not installed"; exit 77; }
cd "$1" || exit 1
list=$(mktemp)
trap 'rm -f "$list"' EXIT
find . \( -path ./build -o -path ./.git \) -prune -o -type f -print | LC_ALL=C sort | while IFS= read -r file; do
    case $(head -n 1 "$file" 2>/dev/null) in
    '#!'*sh | '#!'*'/bash'* | '#!/usr/bin/env bash'*) echo "$file" ;;
    *) ! grep -q '^# shellcheck shell=' "$file" 2>/dev/null || echo "$file" ;;
    esac
done >"$list"
[ -s "$list" ] || { echo "no shell script found under $1"; exit 1; }
tr '\n' '\0' <"$list" | xargs -0 shellcheck -S warning -x -P SCRIPTDIR || exit 1
echo "shellcheck (warning level) finds nothing in $(grep -c . "$list") scripts:"
tr '\n' ' ' <"$list"
echo
