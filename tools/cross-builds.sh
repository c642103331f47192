# shellcheck shell=bash
# The cross builds, and which of them this machine can make.

# One line a cross build: its build tree, its compiler, and Debian's package
# of that compiler. The native tree builds the Windows ones inside it.
cross_builds() {
    echo "build/native/windows-x86 i686-w64-mingw32-g++ g++-mingw-w64-i686"
    echo "build/native/windows-x64 x86_64-w64-mingw32-g++ g++-mingw-w64-x86-64"
    local arch triplet _
    while read -r arch triplet _; do
        echo "build/linux-$arch $triplet-g++ g++-$triplet"
    done < <(architectures)
}

# The lines of tools/architectures, without its comments.
architectures() {
    grep -v -e '^#' -e '^$' "$(dirname "${BASH_SOURCE[0]}")/architectures"
}

# add_cross_trees PATTERN: adds to the array `trees` the tree of every cross
# build that matches the shell pattern and whose compiler is installed; names
# each one left out, with the reason, and then returns 1.
add_cross_trees() {
    local tree compiler package missing=0
    while read -r tree compiler package; do
        # shellcheck disable=SC2053
        [[ $tree == $1 ]] || continue
        if command -v "$compiler" >/dev/null; then
            trees+=("$tree")
        else
            echo "LEFT OUT: $tree, as $compiler ($package) is not installed"
            missing=1
        fi
    done < <(cross_builds)
    return $missing
}
