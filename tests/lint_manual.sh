#!/bin/sh
# Renders the manual page with every warning on; any warning fails.
# usage: lint_manual.sh PAGE   (exit 77, skipped, when no formatter is installed)
page=$1
checked=no
if command -v man >/dev/null && command -v groff >/dev/null; then
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { printf 'man --warnings:\n%s\n' "$warnings"; exit 1; }
    checked=yes
fi
if command -v mandoc >/dev/null; then
    mandoc -T lint -W warning "$page" || exit 1
    checked=yes
fi
[ $checked = yes ] || { echo "skipped: neither man with groff nor mandoc is installed"; exit 77; }
echo "$page renders without warnings"
