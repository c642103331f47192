# shellcheck shell=bash
# The cross builds, and which of them this machine can make. Sourced by
# .ci/run, tools/setup, tools/release, tools/check-package,
# tools/check-reproducible and bench/arch-counts.sh.

# One line a cross build: its preset (CMakePresets.json has the same ones),
# its compiler, and Debian's package of that compiler. The Linux ones are
# those of tools/architectures.
cross_builds() {
    echo "windows-x86 i686-w64-mingw32-g++ g++-mingw-w64-i686"
    echo "windows-x64 x86_64-w64-mingw32-g++ g++-mingw-w64-x86-64"
    local arch triplet _
    while read -r arch triplet _; do
        echo "linux-$arch $triplet-g++ g++-$triplet"
    done < <(grep -v -e '^#' -e '^$' "$(dirname "${BASH_SOURCE[0]}")/architectures")
}

# add_cross_presets PATTERN: adds to the array `presets` every cross build
# whose preset matches the shell pattern and whose compiler is installed;
# names each one left out, with the reason, and then returns 1.
add_cross_presets() {
    local preset compiler package missing=0
    while read -r preset compiler package; do
        # shellcheck disable=SC2053
        [[ $preset == $1 ]] || continue
        if command -v "$compiler" >/dev/null; then
            presets+=("$preset")
        else
            echo "LEFT OUT: $preset, as $compiler ($package) is not installed"
            missing=1
        fi
    done < <(cross_builds)
    return $missing
}
