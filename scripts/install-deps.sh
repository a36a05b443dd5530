#!/usr/bin/env bash
# Installs what building, packaging and testing Ondrik needs on a Debian 12 machine.
# Safe to run again: it only installs what is missing. Wine runs the x86_64 build of
# the server here (wine64): these hosts execute no 32-bit Linux code, so wine32 is not
# installed; mingw-w64 builds the i686 product all the same.
set -euo pipefail

need=()
have() { command -v "$1" >/dev/null 2>&1; }
pkg_ok() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

have i686-w64-mingw32-g++-posix || need+=(mingw-w64)
have x86_64-w64-mingw32-widl || need+=(mingw-w64-tools)
pkg_ok libwine-dev || need+=(libwine-dev)
pkg_ok wine || need+=(wine)
pkg_ok wine64 || need+=(wine64)
have cmake || need+=(cmake)
have make || need+=(make)
have g++ || need+=(g++)
have wixl || need+=(wixl)
have msiinfo || need+=(msitools)
have osslsigncode || need+=(osslsigncode)
have openssl || need+=(openssl)
have git || need+=(git)
have python3 || need+=(python3)
have pgrep || need+=(procps)
have ip || need+=(iproute2)
[ -d /usr/src/googletest ] || need+=(googletest)
have clang || need+=(clang)
pkg_ok libclang-rt-14-dev || need+=(libclang-rt-14-dev)

[ ${#need[@]} -eq 0 ] && exit 0

SUDO=""
export DEBIAN_FRONTEND=noninteractive
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "installing: ${need[*]}" >&2
$SUDO apt-get -o DPkg::Lock::Timeout=600 update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${need[@]}" >/dev/null
