#!/usr/bin/env bash
# Makes dist/ (or the folder given) from the i686 build, building the server first where
# there is none (scripts/build.sh win32 --target Ondrik):
#   Ondrik-<version>-for-32-bit-Windows.msi   the product's installer package for 32-bit
#                              Windows (an Intel package)
#   Ondrik-<version>-for-64-bit-Windows.msi   the same server's package for 64-bit Windows
#                              (an x64 package: the 32-bit server, and what 64-bit
#                              clients need of its registration)
#   Ondrik.exe                 the product's server (i686)
#   Ondrik.tlb, Ondrik.h, Ondrik_i.c   the type library, and the C/C++ header and the
#                              identifiers generated from the IDL, for early-bound clients
#   ondrik-status.vbs          the administrators' view of the running server
#   SHA256SUMS                 the checksums of all of these
# The version is the project's (CMakeLists.txt). The x86_64 twin's package is a test
# artifact, made by its test alone (tests/scripts/package.sh), never here.
#
# Given a code-signing certificate (ONDRIK_SIGN_PKCS12 and ONDRIK_SIGN_PASSWORD, and
# optionally a timestamp server, ONDRIK_SIGN_TIMESTAMP: scripts/sign.sh), Ondrik.exe is
# signed before it goes into the packages, and both packages after. Unsigned, one build
# of one commit gives the same bytes wherever it is made (scripts/check-reproducible.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dist=$(realpath -m "${1:-$root/dist}")
build="$root/build/win32"
[ -f "$build/Ondrik.exe" ] || bash "$root/scripts/build.sh" win32 --target Ondrik
bash "$root/scripts/install-deps.sh"
rm -rf "$dist"
mkdir -p "$dist"
cp "$build/Ondrik.exe" "$build"/generated/{Ondrik.tlb,Ondrik.h,Ondrik_i.c} "$dist/"
cp "$root/package/ondrik-status.vbs" "$dist/"
signing=${ONDRIK_SIGN_PKCS12:+yes}
if [ -n "$signing" ]; then
    bash "$root/scripts/sign.sh" "$dist/Ondrik.exe"
else
    echo "no signing certificate (ONDRIK_SIGN_PKCS12, ONDRIK_SIGN_PASSWORD): the files are not signed"
fi
for windows in 32 64; do
    python3 "$root/package/build_msi.py" --build "$build" --exe "$dist/Ondrik.exe" --windows "$windows" --out-dir "$dist"
done
[ -z "$signing" ] || bash "$root/scripts/sign.sh" "$dist"/*.msi
(cd "$dist" && sha256sum -- * >SHA256SUMS)
ls -l "$dist"
