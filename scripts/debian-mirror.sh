# Sourced by the scripts that fetch Debian packages of their own: the host's Debian
# mirrors, as its apt sources name them (one-line or deb822 form).
apt_source_uris() {
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
        grep -v '^[[:space:]]*#' | grep -oE 'https?://[^ ]+' || true
}
debian_mirror() {
    local uri
    uri=$(apt_source_uris | grep -v security | grep -E '/debian/?$' | head -n 1 || true)
    echo "${uri:-http://deb.debian.org/debian}"
}
debian_security_mirror() {
    local uri
    uri=$(apt_source_uris | grep security | head -n 1 || true)
    echo "${uri:-http://deb.debian.org/debian-security}"
}
