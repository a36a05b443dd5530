# The installer package of the configuration under test, in a fresh prefix of its own:
# packages install machine-wide, and the shared test prefix holds the /regserver
# registration. The package is the product's for 32-bit Windows (win32), the product's for
# 64-bit Windows (wow64), both from dist/ (made here by scripts/package.sh), or the x86_64
# twin's test package (win64), made here. In order: install into a suite base that does not
# exist yet (wow64: first the Intel package is refused, then an Intel package of before that
# rule is installed and the x64 package replaces it where it lies); the example
# application, the status script and the early-bound example against the installed server;
# the package run again repairs a deleted file and key and stays one product; a package of
# a higher version replaces it where it lies; removal leaves no file and no key, and
# creation fails with 429; the registry the package wrote is the one /regserver writes, in
# both registry views. Prints how long installing and removing took.
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

# The packages: the configuration's own, and one of the next version made from the same build.
windows=$([ "$ONDRIK_ARCH" = win32 ] && echo 32 || echo 64)
msi() { python3 "$root/package/build_msi.py" --build "$SERVER_BUILD" --windows "$windows" "$@"; }
version=$(sed -n 's/^#define ONDRIK_VERSION_TEXT "\(.*\)"$/\1/p' "$SERVER_BUILD/generated/version.h")
newer=$(echo "$version" | awk -F. '{ print $1 "." $2 "." $3 + 1 }')
package=$(msi --print-name)
newer_package=$(msi --print-name --version "$newer")
if [ "$ONDRIK_ARCH" = win64 ]; then
    msi --out-dir "$out" 2>/dev/null || fail "building the twin's test package"
    made="$out"
else
    bash "$root/scripts/package.sh" >"$out/package.txt" 2>&1 || fail "scripts/package.sh (see $out/package.txt)"
    made="$root/dist"
fi
msi --version "$newer" --out-dir "$out" 2>/dev/null || fail "building the $newer package"
upgrade_code=$(msiinfo export "$made/$package" Property | sed -n 's/^UpgradeCode\t//p' | tr -d '\r')
wine_stop
rm -rf "$WINEPREFIX"
wine_prefix_ready
packages="$WINEPREFIX/drive_c/packages"
mkdir -p "$packages" "$SCRIPTS_DIR"
cp "$made/$package" "$out/$newer_package" "$root/package/ondrik-status.vbs" "$packages/"
base='C:\Nuova Suite\Base'
base_dir="$WINEPREFIX/drive_c/Nuova Suite/Base"
server_dir="$base_dir/Eseguibili/Server"
server_win="$base\\Eseguibili\\Server"

reg_export() { "$WINE" "$SYSTEM32\\reg.exe" export 'HKLM\Software\Classes' "C:\\tests\\$1.reg" /y >/dev/null 2>&1 && cp "$SCRIPTS_DIR/$1.reg" "$out/"; }
# Runs msiexec quietly with the given arguments; its time goes to the variable took.
msiexec() {
    local start=$EPOCHREALTIME
    "$WINE" "$SYSTEM32\\msiexec.exe" "$@" /qn >>"$out/msiexec.txt" 2>&1
    local rc=$?
    took=$(awk "BEGIN { printf \"%.1f\", $EPOCHREALTIME - $start }")
    return $rc
}
client() { run_vbs "$out/$1" package.vbs "${@:2}" >/dev/null; tally "$out/$1/package.log"; }
no_key() { ! "$WINE" "$SYSTEM32\\reg.exe" query "$1" >/dev/null 2>&1; }
not() { ! "$@"; }

# The first script run registers the script host's own type library: before the baseline.
echo "' nothing" >"$SCRIPTS_DIR/nothing.vbs"
"$WINE" "$CSCRIPT" //nologo 'C:\tests\nothing.vbs' >/dev/null 2>&1
reg_export before
if [ "$ONDRIK_ARCH" = wow64 ]; then
    # The Intel package refuses 64-bit Windows. One of before that rule, installed there,
    # is replaced by the x64 package, which keeps its suite base.
    intel=$(python3 "$root/package/build_msi.py" --build "$SERVER_BUILD" --windows 32 --print-name)
    check "the Intel package refuses 64-bit Windows" not msiexec /i "C:\\packages\\$intel" "SUITEBASE=$base"
    check "the refused package installs nothing" test ! -e "$server_dir/Ondrik.exe"
    cp "$root/dist/$intel" "$packages/old-$intel"
    msibuild "$packages/old-$intel" -q "DELETE FROM \`LaunchCondition\` WHERE \`Condition\` = 'NOT VersionNT64'"
    check "installing an Intel package of before the rule" msiexec /i "C:\\packages\\old-$intel" "SUITEBASE=$base"
    check "which installs the server" test -f "$server_dir/Ondrik.exe"
    intel_code=$(msiinfo export "$root/dist/$intel" Property | sed -n 's/^UpgradeCode\t//p' | tr -d '\r')
    check "installing $package over it" msiexec /i "C:\\packages\\$package"
    client intel-replaced products "$intel_code" none
else
    check "installing $package" msiexec /i "C:\\packages\\$package" "SUITEBASE=$base"
fi
echo "install: $took s"
check "the server in the new suite base" test -f "$server_dir/Ondrik.exe"
check "the status script beside the server" test -f "$server_dir/ondrik-status.vbs"
reg_export package

# The example application and the status script, against the installed server.
mkdir -p "$WINEPREFIX/drive_c/examples"
cp "$root/examples/suite-app.vbs" "$WINEPREFIX/drive_c/examples/"
"$WINE" "$CSCRIPT" //nologo 'C:\examples\suite-app.vbs' >"$out/example.txt" 2>&1
check "the example application registers" grep -q 'Registered as Contab|4194304|1234' "$out/example.txt"
check "the example application's suite base" grep -qF "base:        $base" "$out/example.txt"
check "the example application's data folder" test -d "$base_dir/Dati/Contab"
client installed installed "$base" "$server_win\\ondrik-status.vbs"
(cd "$out" && "$WINE" "$BUILD/early-bound.exe" >"$out/early-bound.txt" 2>&1)
check "the early-bound example against the installed server" grep -q 'Registered as Contab|4194304|1234' "$out/early-bound.txt"
# The installed server ends with its last client: one that lingers keeps Ondrik.exe in use.
check "the installed server ends with its clients (see checks.txt)" servers_end_within 15

# Run again: a repair of the one installed product, where it lies.
rm "$server_dir/Ondrik.exe"
"$WINE" "$SYSTEM32\\reg.exe" delete 'HKLM\Software\Classes\Ondrik.Global' /f >/dev/null 2>&1
check "the package run again" msiexec /i "C:\\packages\\$package"
check "the repair restores the server" test -f "$server_dir/Ondrik.exe"
check "the repair restores the ProgID" "$WINE" "$SYSTEM32\\reg.exe" query 'HKLM\Software\Classes\Ondrik.Global\CLSID'
client repaired products "$upgrade_code" "$version"

# The next version replaces this one, in the same suite base.
check "upgrading to $newer" msiexec /i "C:\\packages\\$newer_package"
echo "upgrade: $took s"
client upgraded products "$upgrade_code" "$newer"
client upgraded-server installed "$base" "$server_win\\ondrik-status.vbs"
check "the upgraded server ends with its clients (see checks.txt)" servers_end_within 15

check "removing" msiexec /x "C:\\packages\\$newer_package"
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
cp "$SERVER_BUILD/Ondrik.exe" "$server_dir/"
"$WINE" "$server_win\\Ondrik.exe" /regserver
reg_export regserver
check "the package's registration is /regserver's (see checks.txt)" python3 "$scenarios/lib/regdiff.py" \
    --path "$server_win" "$out/before.reg" "$out/package.reg" "$out/regserver.reg"
if [ "$ONDRIK_ARCH" = wow64 ]; then
    # The exports hold both views (Wow6432Node included): each view as Windows needs it.
    python3 "$scenarios/lib/regviews.py" --state registered --classes HKEY_LOCAL_MACHINE "$out/package.reg" \
        >"$out/package-views.txt" 2>&1
    tally "$out/package-views.txt"
    grep '^FAILED' "$out/package-views.txt" | sed 's/^FAILED: /FAILED: the package: /'
fi
"$WINE" "$server_win\\Ondrik.exe" /unregserver
echo "$ok passed, $bad failed"
