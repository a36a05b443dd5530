# Eight client processes at once, each doing a thousand mixed register operations; then
# a checker verifies that the registers are exactly what the operations imply.
source "$(dirname "$0")/lib/run-vbs.sh"
out=$1
clients=${ONDRIK_CLIENTS:-8}
# The emulated server serves about seven operations a second: a tenth of the work there.
operations=${ONDRIK_OPERATIONS:-$([ "$ONDRIK_ARCH" = win32 ] && echo 100 || echo 1000)}
work="$WINEPREFIX/drive_c/tests/many-clients"
rm -rf "$work"
mkdir -p "$work" "$out"
run_crowd "$out" many-clients.vbs "$clients" "$work" 'C:\tests\many-clients' "$operations" "$clients"
echo "$((clients * operations)) operations by $clients clients"
echo "$ok passed, $bad failed"
