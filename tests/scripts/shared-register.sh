# Two client processes see the same register and each other's changes; after both
# end, the server ends too and the next client finds a fresh one.
source "$(dirname "$0")/lib/run-vbs.sh"
out=$1
shake="$WINEPREFIX/drive_c/tests/handshake"
rm -rf "$shake"
mkdir -p "$shake" "$out"
run_vbs "$out/first" shared-register.vbs first 'C:\tests\handshake' >/dev/null &
first=$!
run_vbs "$out/second" shared-register.vbs second 'C:\tests\handshake' >/dev/null
wait "$first"
# The server ends once its last client has gone; give it a moment, bounded. (Only this
# prefix's servers count: another run on this machine has its own.)
servers_end_within 10 >/dev/null || true
run_vbs "$out/third" shared-register.vbs third >/dev/null
tally "$out"/{first,second,third}/shared-register.log
echo "$ok passed, $bad failed"
