#!/bin/sh
# The source tree states its licences the REUSE way: `reuse lint` passes
# (.reuse/dep5 covers every file, and LICENSES/ holds the text of every
# licence named), and LICENSES/MIT.txt is the project's LICENSE, word for
# word.
# usage: reuse_lint.sh SOURCE_DIR   (exit 77, skipped, when reuse is missing)
command -v reuse >/dev/null || { echo "skipped: reuse is not installed"; exit 77; }
cd "$1" || exit 1
cmp LICENSE LICENSES/MIT.txt || { echo "LICENSES/MIT.txt is not LICENSE"; exit 1; }
reuse lint
