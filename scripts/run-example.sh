#!/usr/bin/env bash
# The main job: builds if needed, registers the server in the project's private Wine
# prefix and runs the example suite application against it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"
source "$root/scripts/wine-env.sh"
wine_start
mkdir -p "$WINEPREFIX/drive_c/examples"
cp "$root/examples/suite-app.vbs" "$WINEPREFIX/drive_c/examples/"
out="$root/build/example-output.txt"
"$WINE" cscript //nologo 'C:\examples\suite-app.vbs' "$@" >"$out" 2>&1 || true
tr -d '\r' <"$out"
