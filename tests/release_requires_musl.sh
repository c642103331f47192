#!/bin/sh
# A release build never falls back to glibc: where a cross build's musl-dev
# cannot be had (here: none cached, and no network to fetch it with, in a
# network namespace of its own), configuring with MACLIST_REQUIRE_MUSL=ON, as
# tools/release does, fails and names musl, where the same configure without
# it links against glibc.
# usage: release_requires_musl.sh SOURCE_DIR ARCH TRIPLET   (an architecture of
#        tools/architectures and its triplet; exit 77, skipped, when TRIPLET's
#        compiler is missing or no namespace can be made)
source=$1 arch=$2 triplet=$3
command -v "$triplet-g++" >/dev/null || { echo "skipped: $triplet-g++ is not installed"; exit 77; }
unshare -rn true 2>/dev/null || { echo "skipped: no right to make a network namespace (unshare -rn)"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# configure NAME [CMAKE_ARG...]: configures a tree of that name offline;
# its output lands in NAME.log.
configure() {
    name=$1
    shift
    mkdir "$work/$name-cache"
    XDG_CACHE_HOME=$work/$name-cache unshare -rn cmake -S "$source" -B "$work/$name" -DMACLIST_TESTS=OFF \
        "-DCMAKE_TOOLCHAIN_FILE=$source/cmake/debian-cross.cmake" "-DMACLIST_DEBIAN_ARCH=$arch" "$@" \
        >"$work/$name.log" 2>&1
}
# The two at once: each waits out apt's tries to reach the archive.
configure developer &
developer=$!
configure release -DMACLIST_REQUIRE_MUSL=ON &
release=$!
fail=0
if wait $developer && grep -q 'cannot be had.*linked against glibc' "$work/developer.log"; then
    echo "ok: a developer's build without musl-dev falls back to glibc"
else
    echo "FAILED: a developer's build without musl-dev did not fall back to glibc:"
    cat "$work/developer.log"
    fail=1
fi
if wait $release; then
    echo "FAILED: a release build without musl-dev configured:"
    cat "$work/release.log"
    fail=1
elif grep -A1 '^CMake Error' "$work/release.log" | grep -q 'musl-dev for .* cannot be had'; then
    echo "ok: a release build without musl-dev fails, naming it:"
    sed -n '/^CMake Error/,/^$/p' "$work/release.log"
else
    echo "FAILED: a release build without musl-dev failed without naming musl:"
    cat "$work/release.log"
    fail=1
fi
exit $fail
