# Sourced by the scripts that build a Debian root: the emulated machines
# (through guest-common.sh) and tools/bare-root.

# The Debian archive this machine's apt is configured with: its sources name
# bookworm, and the same archive serves the other releases.
mirror() {
    local sources=/etc/apt/sources.list.d/debian.sources
    if [ -f "$sources" ]; then
        awk '/^URIs:/ { uri = $2 } /^Suites:/ && / bookworm( |$)/ { found = uri } /^$/ { uri = "" }
             END { print found }' "$sources"
    elif [ -f /etc/apt/sources.list ]; then
        awk '$1 == "deb" && $3 == "bookworm" { print $2; exit }' /etc/apt/sources.list
    fi
}
