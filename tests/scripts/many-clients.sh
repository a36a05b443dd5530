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
pids=()
for i in $(seq 1 "$clients"); do
    run_vbs "$out/client-$i" many-clients.vbs client "$i" 'C:\tests\many-clients' "$operations" "$clients" \
        >/dev/null &
    pids+=($!)
    # The others join a running server, as a suite's applications do (Wine's activation
    # may start a second server when several clients start one at the same moment).
    if [ "$i" -eq 1 ]; then
        for _ in $(seq 1 300); do
            [ -f "$work/started" ] && break
            sleep 0.1
        done
    fi
done
wait "${pids[@]}"
for part in $(seq 1 "$clients"); do
    tally "$out/client-$part/many-clients.log"
    # A client that ended without a word: what is known of how far it came.
    if [ ! -s "$out/client-$part/many-clients.log" ]; then
        echo "client $part printed nothing: $(cat "$out/client-$part/exit-code" 2>/dev/null)," \
            "$([ -f "$work/begun-$part" ] && echo "reached the server" || echo "never reached the server")," \
            "$([ -f "$work/client-$part.tmp" ] && echo "was writing down its work" || echo "had not begun writing down its work")"
    fi
done
echo "$((clients * operations)) operations by $clients clients"
echo "$ok passed, $bad failed"
