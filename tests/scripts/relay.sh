# A relay of clients (relay.vbs): in each round the server's only client lets go just as
# the next one starts and creates Ondrik.Global, which must get a working object, whether
# from the server on its way out (its grace after the last client) or from a fresh one.
source "$(dirname "$0")/lib/run-vbs.sh"
out=$1
rounds=30
work="$WINEPREFIX/drive_c/tests/relay"
rm -rf "$work"
mkdir -p "$work" "$out"
pids=()
for i in $(seq 0 "$rounds"); do
    # The previous client holds its object, alone: this one starts now.
    [ "$i" -eq 0 ] || wait_for_file "$work/holding-$((i - 1))" 120 || break
    run_vbs "$out/client-$i" relay.vbs "$i" 'C:\tests\relay' "$rounds" >/dev/null &
    pids+=($!)
done
wait "${pids[@]}"
for i in $(seq 0 "$rounds"); do tally "$out/client-$i/relay.log" || echo "client $i ended without its summary"; done
echo "$ok passed, $bad failed"
