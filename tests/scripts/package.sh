# The installer package of the configuration under test, in a fresh prefix of its own:
# packages install machine-wide, and the shared test prefix holds the /regserver
# registration. The package is the product's for 32-bit Windows (win32), the product's for
# 64-bit Windows (wow64), both made here by scripts/package.sh, or the x86_64 twin's test
# package (win64), made here. Everything is signed with a throwaway certificate authority's
# code-signing certificate: each signed file verifies against that authority, and one
# changed after signing does not. Each package locks the suite's programs folder: one
# entry, for Eseguibili, whose descriptor the platform parses and finds protected,
# granting Users no change (tests/package/lock_check.cpp); Wine's msiexec does not apply
# it, which the scenario says. In order: install into a suite base that does not
# exist yet (wow64: first the Intel package is refused, then an Intel package of before that
# rule is installed and the x64 package replaces it where it lies); the example
# application, the status script and the early-bound example against the installed server;
# the package run again repairs a deleted file and key and stays one product; a package of
# a higher version replaces it where it lies; removal leaves no file and no key, and
# creation fails with 429; the registry the package wrote is the one /regserver writes, in
# both registry views, the signed server registered by hand. Prints how long installing
# and removing took.
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
not() { ! "$@"; }

# A throwaway certificate authority, and a code-signing certificate it issued, as PKCS#12.
signing="$out/signing"
rm -rf "$signing"
mkdir -p "$signing"
(
    cd "$signing"
    openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj "/CN=Ondrik test CA" \
        -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign
    openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr -subj "/CN=Ondrik test signer"
    printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.ext
    openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile signer.ext -out signer.pem
    openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem -passout pass:"throwaway $$" -out signer.p12
) >"$signing/openssl.txt" 2>&1 || fail "making a throwaway code-signing certificate (see $signing/openssl.txt)"
export ONDRIK_SIGN_PKCS12="$signing/signer.p12" ONDRIK_SIGN_PASSWORD="throwaway $$"
verify() { osslsigncode verify -CAfile "$signing/ca.pem" -in "$1"; }

# The packages: the configuration's own, and one of the next version made from the same build.
windows=$([ "$ONDRIK_ARCH" = win32 ] && echo 32 || echo 64)
msi() { python3 "$root/package/build_msi.py" --build "$SERVER_BUILD" --windows "$windows" "$@"; }
version=$(sed -n 's/^#define ONDRIK_VERSION_TEXT "\(.*\)"$/\1/p' "$SERVER_BUILD/generated/version.h")
newer=$(echo "$version" | awk -F. '{ print $1 "." $2 "." $3 + 1 }')
package=$(msi --print-name)
newer_package=$(msi --print-name --version "$newer")
made="$out/made"
if [ "$ONDRIK_ARCH" = win64 ]; then
    # The twin's, signed as scripts/package.sh signs the product's: the server, then the package.
    mkdir -p "$made"
    cp "$SERVER_BUILD/Ondrik.exe" "$made/"
    { bash "$root/scripts/sign.sh" "$made/Ondrik.exe" && msi --exe "$made/Ondrik.exe" --out-dir "$made" &&
        bash "$root/scripts/sign.sh" "$made/$package"; } >"$out/package.txt" 2>&1 ||
        fail "building and signing the twin's test package (see $out/package.txt)"
else
    bash "$root/scripts/package.sh" "$made" >"$out/package.txt" 2>&1 || fail "scripts/package.sh (see $out/package.txt)"
fi
msi --version "$newer" --out-dir "$out" 2>/dev/null || fail "building the $newer package"

# Signed: each file verifies against the throwaway authority; changed after signing (a byte
# of the server's code, a value of a package's table), it does not.
for file in "$made/Ondrik.exe" "$made"/*.msi; do
    check "$(basename "$file") is signed by the test authority (see checks.txt)" verify "$file"
done
cp "$made/Ondrik.exe" "$out/changed.exe"
printf '\x90' | dd of="$out/changed.exe" bs=1 seek=$((0x1000)) conv=notrunc 2>/dev/null
check "a server changed after signing fails verification" not verify "$out/changed.exe"
cp "$made/$package" "$out/changed.msi"
msibuild "$out/changed.msi" -q "UPDATE \`Property\` SET \`Value\` = 'changed' WHERE \`Property\` = 'ARPNOMODIFY'"
check "a package changed after signing fails verification" not verify "$out/changed.msi"

# The lock of the suite's programs folder, in each package: one entry, for the folder that
# the package creates as the suite base's Eseguibili, with the one descriptor of them all.
descriptors=()
for file in "$made"/*.msi; do
    lock=$(msiinfo export "$file" MsiLockPermissionsEx | tail -n +4 | tr -d '\r')
    check "$(basename "$file") locks one folder, Eseguibili" test "$(cut -f2,3 <<<"$lock")" = $'ESEGUIBILI\tCreateFolder'
    check "$(basename "$file"): ESEGUIBILI is the suite base's Eseguibili" \
        grep -qx $'ESEGUIBILI\tSUITEBASE\tEseguibili' <(msiinfo export "$file" Directory | tr -d '\r')
    check "$(basename "$file") creates Eseguibili" grep -q $'^ESEGUIBILI\t' <(msiinfo export "$file" CreateFolder)
    descriptors+=("$(cut -f4 <<<"$lock")")
done
sddl=${descriptors[0]}
check "every package has the one descriptor" test "$(printf '%s\n' "${descriptors[@]}" | sort -u)" = "$sddl"
upgrade_code=$(msiinfo export "$made/$package" Property | sed -n 's/^UpgradeCode\t//p' | tr -d '\r')
wine_stop
rm -rf "$WINEPREFIX"
wine_prefix_ready
echo "the lock of Eseguibili: $sddl"
"$WINE" "$BUILD/lock_check.exe" "$sddl" | tr -d '\r' >"$out/lock.txt"
tally "$out/lock.txt"
grep '^FAILED' "$out/lock.txt" | sed 's/^FAILED: /FAILED: the lock: /'
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
    cp "$made/$intel" "$packages/old-$intel"
    msibuild "$packages/old-$intel" -q "DELETE FROM \`LaunchCondition\` WHERE \`Condition\` = 'NOT VersionNT64'"
    check "installing an Intel package of before the rule" msiexec /i "C:\\packages\\old-$intel" "SUITEBASE=$base"
    check "which installs the server" test -f "$server_dir/Ondrik.exe"
    intel_code=$(msiinfo export "$made/$intel" Property | sed -n 's/^UpgradeCode\t//p' | tr -d '\r')
    check "installing $package over it" msiexec /i "C:\\packages\\$package"
    client intel-replaced products "$intel_code" none
else
    check "installing $package" msiexec /i "C:\\packages\\$package" "SUITEBASE=$base"
fi
echo "install: $took s"
check "the server in the new suite base" test -f "$server_dir/Ondrik.exe"
check "the status script beside the server" test -f "$server_dir/ondrik-status.vbs"
check "the installed server is the signed one" cmp "$made/Ondrik.exe" "$server_dir/Ondrik.exe"
# The installed folders' descriptors, where the installer applied the lock.
"$WINE" "$BUILD/lock_check.exe" "$sddl" "$base\\Eseguibili" "$server_win" "$server_win\\Ondrik.exe" |
    tr -d '\r' >"$out/lock-installed.txt"
tally "$out/lock-installed.txt"
grep -E '^(FAILED|NOT CHECKED)' "$out/lock-installed.txt"
reg_export package

# The example application, the status script and the early-bound example, against the
# installed server. One server for the three: each starts a few seconds after the one
# before has ended, under the emulator as the server's grace ends (see hold_server).
hold_server "$out/holder" 'C:\tests\holder'
mkdir -p "$WINEPREFIX/drive_c/examples"
cp "$root/examples/suite-app.vbs" "$WINEPREFIX/drive_c/examples/"
"$WINE" "$CSCRIPT" //nologo 'C:\examples\suite-app.vbs' >"$out/example.txt" 2>&1
check "the example application registers" grep -q 'Registered as Contab|4194304|1234' "$out/example.txt"
check "the example application's suite base" grep -qF "base:        $base" "$out/example.txt"
check "the example application's data folder" test -d "$base_dir/Dati/Contab"
client installed installed "$base" "$server_win\\ondrik-status.vbs"
(cd "$out" && "$WINE" "$BUILD/early-bound.exe" >"$out/early-bound.txt" 2>&1)
check "the early-bound example against the installed server" grep -q 'Registered as Contab|4194304|1234' "$out/early-bound.txt"
release_server
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

# The same server, signed, registered by hand writes what the package wrote.
mkdir -p "$server_dir"
cp "$made/Ondrik.exe" "$server_dir/"
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
