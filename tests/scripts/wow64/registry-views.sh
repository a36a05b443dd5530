# The i686 server's registration in both registry views of the 64-bit prefix
# (lib/regviews.py says what each view must hold): as the test run registered it, after
# /unregserver, after /regserver /user and /unregserver /user, and registered again as
# the other scenarios expect it.
source "$(dirname "$0")/../lib/run-vbs.sh"
scripts_lib="$(dirname "$0")/../lib"
out=$1
mkdir -p "$out" "$SCRIPTS_DIR"
step=0
# Exports both roots' Software\Classes and checks them. Usage: views NAME ARGS-OF-REGVIEWS...
views() {
    local name=$1 root
    shift
    step=$((step + 1))
    for root in HKLM HKCU; do
        rm -f "$SCRIPTS_DIR/$name-$root.reg"
        # A fresh prefix has no HKCU\Software\Classes: no file, and no keys.
        "$WINE" "$SYSTEM32\\reg.exe" export "$root\\Software\\Classes" "C:\\tests\\$name-$root.reg" /y >/dev/null 2>&1 &&
            mv "$SCRIPTS_DIR/$name-$root.reg" "$out/"
    done
    echo "== $name" >>"$out/views.log"
    python3 "$scripts_lib/regviews.py" "$@" "$out/$name-HKLM.reg" "$out/$name-HKCU.reg" >"$out/$name.log" 2>&1
    sed "s/^FAILED: /FAILED: $name: /" "$out/$name.log" | tee -a "$out/views.log" | grep '^FAILED' || true
    tally "$out/$name.log"
}
server() { "$WINE" "$SERVER_WIN" "$@"; }

views regserver --state registered --classes HKEY_LOCAL_MACHINE
server /unregserver
views unregserver --state absent --classes HKEY_LOCAL_MACHINE
server /regserver /user
# Wine registers a per-user type library machine-wide (its RegisterTypeLibForUser is
# RegisterTypeLib), where Windows writes it below HKEY_CURRENT_USER; and it keeps one view
# of HKEY_CURRENT_USER\Software\Classes (lib/regviews.py).
views regserver-user --state registered --classes HKEY_CURRENT_USER --typelib HKEY_LOCAL_MACHINE --one-user-view
views regserver-user-not-machine --state absent --classes HKEY_LOCAL_MACHINE --typelib none
server /unregserver /user
views unregserver-user --state absent --classes HKEY_CURRENT_USER --typelib HKEY_LOCAL_MACHINE
server /regserver
views regserver-again --state registered --classes HKEY_LOCAL_MACHINE
echo "$ok passed, $bad failed"
