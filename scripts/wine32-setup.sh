#!/usr/bin/env bash
# Sets up Wine's 32-bit side for running the i686 product on a host that executes no
# 32-bit code: Debian's i386 Wine and the qemu-user i386 emulator, both unpacked into the
# project's cache folder (.cache/wine32), with nothing installed on the host, no
# architecture added to its dpkg, and no binfmt entry registered outside a private
# namespace (scripts/wine32 runs every 32-bit Wine process in one).
#
# Done once; later runs only check the stamp. Exits 0 when ready; otherwise prints one
# line, "32-bit Wine unavailable: <why>", and exits 3.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache="${ONDRIK_WINE32_CACHE:-$root/.cache/wine32}"
unavailable() {
    echo "32-bit Wine unavailable: $*"
    exit 3
}

wine_version=$(dpkg-query -W -f='${Version}' wine64 2>/dev/null) || unavailable "wine64 is not installed"
[ "$(cat "$cache/ready" 2>/dev/null)" = "$wine_version" ] && exit 0

# The emulator is registered for i386 programs inside a user and mount namespace of the
# caller's own; a host without user namespaces (or an old kernel) cannot do that.
unshare --user --map-root-user --mount sh -c \
    'mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc' >/dev/null 2>&1 ||
    unavailable "no binfmt_misc in a private user namespace (needs user namespaces and Linux 6.7 or later)"

rm -rf "$cache"
mkdir -p "$cache"/apt/{lists/partial,archives/partial,sources.list.d,preferences.d}
apt_dir="$cache/apt"
: >"$apt_dir/status"

# A private apt that sees the host's Debian mirror for both architectures, plus the
# backports suite for the emulator (Debian 12's own qemu 7.2 takes a minute to start each
# Wine process). It reads and writes only inside the cache.
source "$root/scripts/debian-mirror.sh"
mirror=$(debian_mirror)
security=$(debian_security_mirror)
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
key=/usr/share/keyrings/debian-archive-keyring.gpg
cat >"$apt_dir/sources.list" <<EOF
deb [signed-by=$key] ${mirror%/} $codename main
deb [signed-by=$key] ${mirror%/} $codename-updates main
deb [signed-by=$key] ${security%/} $codename-security main
deb [signed-by=$key] ${mirror%/} $codename-backports main
EOF
private_apt() { # apt-get or apt-cache, then its arguments
    local tool=$1
    shift
    "$tool" -q -o Dir::State="$apt_dir" -o Dir::State::status="$apt_dir/status" -o Dir::Cache="$apt_dir" \
        -o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts="$apt_dir/sources.list.d" \
        -o Dir::Etc::Preferences="$apt_dir/preferences" -o Dir::Etc::PreferencesParts="$apt_dir/preferences.d" \
        -o APT::Architecture=amd64 -o APT::Architectures::=amd64 -o APT::Architectures::=i386 \
        -o APT::Sandbox::User="$(id -un)" -o Debug::NoLocking=1 "$@"
}
echo "setting up 32-bit Wine $wine_version under the qemu-user emulator in $cache (once)" >&2
# An index that fails (a mirror caught mid-sync serves one of another size) fails the
# update, yet the packages needed here may all be in the others: go on with what came, and
# let the look-ups and downloads below say what is missing.
if ! private_apt apt-get update >"$cache/apt.log" 2>&1; then
    compgen -G "$apt_dir/lists/*_Packages*" >/dev/null ||
        unavailable "the package registry cannot be read (see $cache/apt.log)"
    echo "(an index of the package registry could not be read; going on with the others: see $cache/apt.log)" >&2
fi

# The emulator: only its static i386 binary is kept.
qemu_version=$(private_apt apt-cache policy qemu-user 2>/dev/null | grep -oE '1:1[0-9]\.[^ ]+bpo[^ ]*' | head -1 || true)
[ -n "$qemu_version" ] || unavailable "no qemu-user 10 in $codename-backports"
(cd "$apt_dir/archives" && private_apt apt-get download "qemu-user=$qemu_version" >>"$cache/apt.log" 2>&1) ||
    unavailable "qemu-user $qemu_version cannot be downloaded (see $cache/apt.log)"
dpkg-deb --fsys-tarfile "$apt_dir"/archives/qemu-user_*.deb | tar -x -O ./usr/bin/qemu-i386 >"$cache/qemu-i386"
chmod +x "$cache/qemu-i386"
rm -f "$apt_dir"/archives/qemu-user_*.deb

# Wine's 32-bit side, the same version as the host's wine64 (they share its wineserver),
# with every i386 library it needs: the status file is empty, so apt fetches the whole
# closure. libz-mingw-w64 comes with it: Debian's i386 user32.dll needs its zlib1.dll.
private_apt apt-get install --download-only -y --no-install-recommends \
    "wine32:i386=$wine_version" "libwine:i386=$wine_version" libfreetype6:i386 libz-mingw-w64 \
    >>"$cache/apt.log" 2>&1 || unavailable "wine32:i386 $wine_version cannot be downloaded (see $cache/apt.log)"
for deb in "$apt_dir"/archives/*.deb; do dpkg-deb -x "$deb" "$cache/root"; done
rm -rf "$apt_dir/archives"
cp "$cache/root/usr/i686-w64-mingw32/lib/zlib1.dll" "$cache/root/usr/lib/i386-linux-gnu/wine/i386-windows/"
# The i386 loader finds its libraries through the root's own cache (the emulator reads
# files below QEMU_LD_PREFIX first).
echo 'include /etc/ld.so.conf.d/*.conf' >"$cache/root/etc/ld.so.conf"
/sbin/ldconfig -r "$cache/root"

"$root/scripts/wine32" --version >/dev/null 2>&1 || unavailable "the emulated Wine does not start (see scripts/wine32)"
echo "$wine_version" >"$cache/ready"
