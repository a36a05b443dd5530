# The installer package of the build under test (dist/, made here by scripts/package.sh),
# in a fresh prefix of its own: packages install machine-wide, and the shared test
# prefix holds the /regserver registration. In order: install into a suite base that does
# not exist yet; the example application and the status script against the installed
# server; the package run again repairs a deleted file and key and stays one product; a
# package of a higher version replaces it where it lies; removal leaves no file and no key,
# and creation fails with 429; the registry the package wrote is the one /regserver
# writes. Prints how long installing and removing took.
scenarios=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$scenarios/../.." && pwd)
mkdir -p "$1"
out=$(cd "$1" && pwd)
export ONDRIK_WINEPREFIX="$root/build/package-prefix-${ONDRIK_ARCH:-win64}"
source "$scenarios/lib/run-vbs.sh"
trap wine_stop EXIT

pass() { ok=$((ok + 1)); }
fail() { bad=$((bad + 1)); echo "FAILED: $*"; }
check() { # description, command...
    local what=$1
    shift
    if "$@" >>"$out/checks.txt" 2>&1; then pass; else fail "$what"; fi
}

# The packages: this build's from dist/, and one of the next version made from it.
bash "$root/scripts/package.sh" >"$out/package.txt" 2>&1 || fail "scripts/package.sh (see $out/package.txt)"
version=$(sed -n 's/^#define ONDRIK_VERSION_TEXT "\(.*\)"$/\1/p' "$BUILD/generated/version.h")
newer=$(echo "$version" | awk -F. '{ print $1 "." $2 "." $3 + 1 }')
suffix=$([ "$(basename "$BUILD")" = win32 ] || echo -x64)
python3 "$root/package/build_msi.py" --build "$BUILD" --version "$newer" \
    --out "$out/Ondrik-$newer$suffix.msi" 2>/dev/null || fail "building the $newer package"
upgrade_code=$(msiinfo export "$root/dist/Ondrik-$version$suffix.msi" Property | sed -n 's/^UpgradeCode\t//p' | tr -d '\r')

wine_stop
rm -rf "$WINEPREFIX"
wine_prefix_ready
packages="$WINEPREFIX/drive_c/packages"
mkdir -p "$packages" "$SCRIPTS_DIR"
cp "$root/dist/Ondrik-$version$suffix.msi" "$out/Ondrik-$newer$suffix.msi" "$root/dist/ondrik-status.vbs" "$packages/"
base='C:\Nuova Suite\Base'
base_dir="$WINEPREFIX/drive_c/Nuova Suite/Base"
server_dir="$base_dir/Eseguibili/Server"
server_win="$base\\Eseguibili\\Server"

reg_export() { "$WINE" reg export 'HKLM\Software\Classes' "C:\\tests\\$1.reg" /y >/dev/null 2>&1 && cp "$SCRIPTS_DIR/$1.reg" "$out/"; }
# Runs msiexec quietly with the given arguments; its time goes to the variable took.
msiexec() {
    local start=$EPOCHREALTIME
    "$WINE" msiexec "$@" /qn >>"$out/msiexec.txt" 2>&1
    local rc=$?
    took=$(awk "BEGIN { printf \"%.1f\", $EPOCHREALTIME - $start }")
    return $rc
}
client() { run_vbs "$out/$1" package.vbs "${@:2}" >/dev/null; tally "$out/$1/package.log"; }
no_key() { ! "$WINE" reg query "$1" >/dev/null 2>&1; }

# The first script run registers the script host's own type library: before the baseline.
echo "' nothing" >"$SCRIPTS_DIR/nothing.vbs"
"$WINE" cscript //nologo 'C:\tests\nothing.vbs' >/dev/null 2>&1
reg_export before
check "installing Ondrik-$version$suffix.msi" msiexec /i "C:\\packages\\Ondrik-$version$suffix.msi" "SUITEBASE=$base"
echo "install: $took s"
check "the server in the new suite base" test -f "$server_dir/Ondrik.exe"
check "the status script beside the server" test -f "$server_dir/ondrik-status.vbs"
reg_export package

# The example application and the status script, against the installed server.
mkdir -p "$WINEPREFIX/drive_c/examples"
cp "$root/examples/suite-app.vbs" "$WINEPREFIX/drive_c/examples/"
"$WINE" cscript //nologo 'C:\examples\suite-app.vbs' >"$out/example.txt" 2>&1
check "the example application registers" grep -q 'Registered as Contab|4194304|1234' "$out/example.txt"
check "the example application's suite base" grep -qF "base:        $base" "$out/example.txt"
check "the example application's data folder" test -d "$base_dir/Dati/Contab"
client installed installed "$base" "$server_win\\ondrik-status.vbs"
# The installed server ends with its last client: one that lingers keeps Ondrik.exe in use.
check "the installed server ends with its clients (see checks.txt)" servers_end_within 15

# Run again: a repair of the one installed product, where it lies.
rm "$server_dir/Ondrik.exe"
"$WINE" reg delete 'HKLM\Software\Classes\Ondrik.Global' /f >/dev/null 2>&1
check "the package run again" msiexec /i "C:\\packages\\Ondrik-$version$suffix.msi"
check "the repair restores the server" test -f "$server_dir/Ondrik.exe"
check "the repair restores the ProgID" "$WINE" reg query 'HKLM\Software\Classes\Ondrik.Global\CLSID'
client repaired products "$upgrade_code" "$version"

# The next version replaces this one, in the same suite base.
check "upgrading to $newer" msiexec /i "C:\\packages\\Ondrik-$newer$suffix.msi"
echo "upgrade: $took s"
client upgraded products "$upgrade_code" "$newer"
client upgraded-server installed "$base" "$server_win\\ondrik-status.vbs"
check "the upgraded server ends with its clients (see checks.txt)" servers_end_within 15

check "removing" msiexec /x "C:\\packages\\Ondrik-$newer$suffix.msi"
echo "removal: $took s"
wine_wait 30 || echo "(the prefix's processes had not all ended 30 s after the removal)"
check "removal takes the server" test ! -e "$server_dir/Ondrik.exe"
check "removal takes the folders it made" test ! -e "$base_dir/Eseguibili"
check "removal keeps the suite's data" test -d "$base_dir/Dati/Contab"
check "removal takes the remembered suite base" no_key 'HKLM\Software\VENDRASIL'
reg_export removed
check "removal leaves no key (see checks.txt)" python3 "$scenarios/lib/regdiff.py" --path "$server_win" \
    "$out/before.reg" "$out/removed.reg"
client removed removed
client removed-products products "$upgrade_code" none

# The same server registered by hand writes what the package wrote.
mkdir -p "$server_dir"
cp "$BUILD/Ondrik.exe" "$server_dir/"
"$WINE" "$server_win\\Ondrik.exe" /regserver
reg_export regserver
check "the package's registration is /regserver's (see checks.txt)" python3 "$scenarios/lib/regdiff.py" \
    --path "$server_win" "$out/before.reg" "$out/package.reg" "$out/regserver.reg"
"$WINE" "$server_win\\Ondrik.exe" /unregserver
echo "$ok passed, $bad failed"
