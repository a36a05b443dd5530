# A 32-bit and a 64-bit client at once on one i686 server (mixed-clients.vbs): the 32-bit
# one under the emulator (the prefix's syswow64 script host), the 64-bit one under wine64.
source "$(dirname "$0")/../lib/run-vbs.sh"
out=$1
shake="$WINEPREFIX/drive_c/tests/mixed"
rm -rf "$shake"
mkdir -p "$shake" "$out"
CSCRIPT='C:\windows\syswow64\cscript.exe' run_vbs "$out/c32" wow64/mixed-clients.vbs c32 'C:\tests\mixed' >/dev/null &
c32=$!
# The 64-bit client joins the server the 32-bit one started.
wait_for_file "$shake/c32-ready" 120
run_vbs "$out/c64" wow64/mixed-clients.vbs c64 'C:\tests\mixed' >/dev/null
wait "$c32"
tally "$out"/{c32,c64}/mixed-clients.log
echo "$ok passed, $bad failed"
