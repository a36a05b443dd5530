#!/usr/bin/env bash
# The main job: builds if needed, registers the server in the project's private Wine
# prefix and runs the example suite application against it. It runs the i686 product,
# what ships, under Wine's 32-bit side (set up on first use); with --twin first, its
# x86_64 twin under wine64. Other words become the example's command line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export ONDRIK_ARCH=win32
if [ "${1:-}" = "--twin" ]; then
    ONDRIK_ARCH=win64
    shift
fi
bash "$root/scripts/build.sh"
if [ "$ONDRIK_ARCH" = win32 ] && ! bash "$root/scripts/wine32-setup.sh"; then
    echo "running the example against the x86_64 twin instead"
    ONDRIK_ARCH=win64
fi
source "$root/scripts/wine-env.sh"
echo "Ondrik.exe: $BUILD/Ondrik.exe ($([ "$ONDRIK_ARCH" = win32 ] && echo "i686, under 32-bit Wine" || echo "x86_64 twin, under wine64"))"
wine_start
mkdir -p "$WINEPREFIX/drive_c/examples"
cp "$root/examples/suite-app.vbs" "$WINEPREFIX/drive_c/examples/"
out="$root/build/example-output.txt"
"$WINE" "$CSCRIPT" //nologo 'C:\examples\suite-app.vbs' "$@" >"$out" 2>&1 || true
tr -d '\r' <"$out"
