# One client inside a member that waits, another one making its first objects and calls
# meanwhile: for a long Sleep, a GetURL whose server answers only when let, a
# RisolviIndirizzo whose connection attempt waits (a full accept backlog), and a Sleep of
# 24 days whose client is killed. Each client checks the order: the other's work is done
# while the waiter is still inside its call. (The killed client is this test's own, found
# by a marker unique to this run.)
source "$(dirname "$0")/lib/run-vbs.sh"
source "$(dirname "$0")/../net/peers.sh"
out=$1
work="$WINEPREFIX/drive_c/tests/waits"
rm -rf "$work"
mkdir -p "$work" "$out"
# An address of this run's own for the full listener: the fixed ports that
# RisolviIndirizzo tries may be taken on the usual ones by another run on this machine.
full="127.0.$((RANDOM % 200 + 20)).$((RANDOM % 200 + 20))"
net_peers_start "$out" "$full:7400:full"
trap 'net_peers_stop; wine_stop' EXIT
port=$(grep '^HTTP_PORT=' "$out/net-state" | cut -d= -f2)
# One server from the first case to the last: each case's clients start as the last
# one's end, seconds apart under the emulator (see hold_server).
hold_server "$out/holder" 'C:\tests\waits'

for kase in sleep geturl risolvi killed; do
    marker="waiter-$kase-$$-$RANDOM"
    rm -f "$out/net-state.release"
    run_vbs "$out/$kase-other" waits.vbs other "$kase" 'C:\tests\waits' >/dev/null &
    other=$!
    wait_for_file "$work/ready-$kase" 60
    # The marker early on the line: the process list shows a Wine process's command line
    # cut to the length of the one that started it.
    run_vbs "$out/$kase-waiter" waits.vbs waiter "$kase" 'C:\tests\waits' "$marker" "$port" "$full" \
        >/dev/null &
    waiter=$!
    wait_for_file "$work/begun-$kase" 60
    if [ "$kase" = killed ]; then
        echo "a client killed on purpose: Wine never reclaims a dead client's references" >"$out/lingering-exempt"
        sleep 1 # well inside its call by now
        victim=$(pgrep -f "$marker")
        if [ -n "$victim" ]; then
            kill -KILL $victim
            ok=$((ok + 1))
        else
            echo "FAILED: the waiting client to be killed was not found"
            pgrep -af waits.vbs
            bad=$((bad + 1))
        fi
    fi
    touch "$work/go-$kase"
    wait "$other"
    tally "$out/$kase-other/waits.log"
    touch "$out/net-state.release" # the held transfer answers now
    wait "$waiter"
    [ "$kase" = killed ] || tally "$out/$kase-waiter/waits.log"
done
release_server
echo "$ok passed, $bad failed"
