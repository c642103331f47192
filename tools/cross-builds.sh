# The cross builds, and which of them this machine can make. Sourced by
# .ci/run, tools/check-package and tools/check-reproducible.

# One line a cross build: its preset (CMakePresets.json has the same ones),
# its compiler, and Debian's package of that compiler.
cross_builds() {
    cat <<'BUILDS'
windows-x86 i686-w64-mingw32-g++ g++-mingw-w64-i686
windows-x64 x86_64-w64-mingw32-g++ g++-mingw-w64-x86-64
linux-arm64 aarch64-linux-gnu-g++ g++-aarch64-linux-gnu
linux-armel arm-linux-gnueabi-g++ g++-arm-linux-gnueabi
linux-armhf arm-linux-gnueabihf-g++ g++-arm-linux-gnueabihf
linux-i386 i686-linux-gnu-g++ g++-i686-linux-gnu
linux-ppc64el powerpc64le-linux-gnu-g++ g++-powerpc64le-linux-gnu
linux-riscv64 riscv64-linux-gnu-g++ g++-riscv64-linux-gnu
linux-s390x s390x-linux-gnu-g++ g++-s390x-linux-gnu
BUILDS
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
