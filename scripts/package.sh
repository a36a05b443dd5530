#!/usr/bin/env bash
# Makes dist/ from the i686 build, building first where there is none (scripts/build.sh):
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
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dist="$root/dist"
build="$root/build/win32"
[ -f "$build/Ondrik.exe" ] || bash "$root/scripts/build.sh"
bash "$root/scripts/install-deps.sh"
rm -rf "$dist"
mkdir -p "$dist"
for windows in 32 64; do
    python3 "$root/package/build_msi.py" --build "$build" --windows "$windows" --out-dir "$dist"
done
cp "$build/Ondrik.exe" "$build"/generated/{Ondrik.tlb,Ondrik.h,Ondrik_i.c} "$dist/"
cp "$root/package/ondrik-status.vbs" "$dist/"
(cd "$dist" && sha256sum -- * >SHA256SUMS)
ls -l "$dist"
