#!/usr/bin/env bash
# Makes dist/ from the Windows builds that exist, building both first where there are
# none (scripts/build.sh):
#   Ondrik-<version>.msi       the product's installer package (the i686 build)
#   Ondrik-<version>-x64.msi   the same package of the x86_64 build (the tests' one)
#   Ondrik.exe                 the product's server (i686)
#   Ondrik.tlb, Ondrik.h, Ondrik_i.c   the type library, and the C/C++ header and the
#                              identifiers generated from the IDL, for early-bound clients
#   ondrik-status.vbs          the administrators' view of the running server
#   SHA256SUMS                 the checksums of all of these
# The version is the project's (CMakeLists.txt).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dist="$root/dist"
have() { [ -f "$root/build/$1/Ondrik.exe" ]; }
# On a machine that has built nothing yet, build first (that installs wixl as well).
if ! have win32 && ! have win64; then
    bash "$root/scripts/build.sh"
fi
bash "$root/scripts/install-deps.sh"
rm -rf "$dist"
mkdir -p "$dist"
package() { # build folder, package name suffix
    local build="$root/build/$1" version
    version=$(sed -n 's/^#define ONDRIK_VERSION_TEXT "\(.*\)"$/\1/p' "$build/generated/version.h")
    python3 "$root/package/build_msi.py" --build "$build" --out "$dist/Ondrik-$version$2.msi"
}
if have win32; then
    package win32 ""
    cp "$root/build/win32/Ondrik.exe" "$root"/build/win32/generated/{Ondrik.tlb,Ondrik.h,Ondrik_i.c} "$dist/"
fi
have win64 && package win64 -x64
cp "$root/package/ondrik-status.vbs" "$dist/"
(cd "$dist" && sha256sum -- * >SHA256SUMS)
ls -l "$dist"
