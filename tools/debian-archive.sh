# shellcheck shell=bash
# What the scripts that make trees of Debian packages share (tools/bare-root,
# tools/musl-dev, tools/guest-launcher.sh).

# The cache of the bare root's packages, musl-dev and the emulated machines.
# shellcheck disable=SC2034  # for the scripts that source this file
cache=${XDG_CACHE_HOME:-$HOME/.cache}/maclist

# this_release: the code name of this machine's Debian release.
this_release() {
    (. /etc/os-release && [ -n "${VERSION_CODENAME:-}" ] && echo "$VERSION_CODENAME") ||
        { echo "/etc/os-release names no Debian release (VERSION_CODENAME)" >&2; return 1; }
}

# arch_release ARCH: the Debian release of ARCH's packages, as
# tools/architectures names it.
arch_release() {
    local list
    list=$(dirname "${BASH_SOURCE[0]}")/architectures
    awk -v arch="$1" '$1 == arch { print $3; found = 1 } END { exit !found }' "$list" ||
        { echo "tools/architectures has no architecture $1" >&2; return 1; }
}

# debian_mirror: the address of the archive that serves this machine's
# Debian release, as apt reads its sources; nothing when there is none.
debian_mirror() {
    # shellcheck disable=SC2016  # apt's own placeholders
    apt-get indextargets --no-release-info --format '$(REPO_URI) $(RELEASE) $(TARGET_OF)' |
        awk -v release="$(this_release)" '$2 == release && $3 == "deb" { print $1; exit }'
}

# debian_archive SUITE [main]: sets the arrays `sources`, mmdebstrap's MIRROR
# arguments for the Debian release SUITE, and `apt_options`, this machine's
# apt settings as mmdebstrap options. The sources of this machine's own
# release are its apt sources files (with their updates and security
# suites); those of another, or with `main`, the main component of SUITE
# alone, from the archive that serves this machine's release. Returns 1,
# with the reason on standard error, when apt names no such archive.
debian_archive() {
    local suite=$1 release list parts main conf file mirror
    release=$(this_release) || return 1
    eval "$(apt-config shell list Dir::Etc::sourcelist/f parts Dir::Etc::sourceparts/d \
        main Dir::Etc::main/f conf Dir::Etc::parts/d)"
    apt_options=()
    for file in "$main" "${conf%/}"/*; do
        # The files apt itself reads: a plain name, with no extension or .conf.
        [[ ${file##*/} =~ ^[A-Za-z0-9_-]+$|^[A-Za-z0-9_.-]+\.conf$ ]] && [ -f "$file" ] || continue
        apt_options+=("--aptopt=$file")
    done
    sources=()
    if [ "$suite" = "$release" ] && [ "${2:-}" != main ]; then
        for file in "$list" "${parts%/}"/*.list "${parts%/}"/*.sources; do
            [ ! -s "$file" ] || sources+=("$file")
        done
        [ ${#sources[@]} -gt 0 ] || { echo "apt names no sources for $release" >&2; return 1; }
    else
        mirror=$(debian_mirror)
        [ -n "$mirror" ] || { echo "apt names no Debian archive that serves $release, to take $suite from" >&2; return 1; }
        sources=("deb $mirror $suite main")
    fi
}

# debian_packages ARCH SUITE DIR PACKAGE...: unpacks the packages of the
# Debian architecture ARCH from release SUITE, with all they depend on, into
# the empty folder DIR, whose /bin, /sbin and /lib lead into /usr; nothing is
# installed or run, as root or as a user; the downloads stay in
# DIR/var/cache/apt/archives, and mmdebstrap's messages go to standard error.
debian_packages() {
    local arch=$1 suite=$2 dir=$3 list
    shift 3
    list=$(IFS=,; echo "$*")
    debian_archive "$suite" || return 1
    timeout 900 mmdebstrap --mode=chrootless --variant=extract --architectures="$arch" --include="$list" \
        --hook-dir=/usr/share/mmdebstrap/hooks/merged-usr --skip=cleanup/apt/cache "${apt_options[@]}" \
        "$suite" "$dir" "${sources[@]}"
}
