# Clients killed while they hold sessions and records, while the server reads their
# application object, and in the middle of a for-each: the server keeps serving the
# others, and nothing of theirs is lost; and a server killed under its client. (Only this
# test's own victim processes are killed: a client found by a marker unique to this run,
# the server of this prefix by its identifier.)
source "$(dirname "$0")/lib/run-vbs.sh"
out=$1
work="$WINEPREFIX/drive_c/tests/dying"
mkdir -p "$out"
echo "clients killed on purpose: Wine never reclaims a dead client's references" >"$out/lingering-exempt"
for mode in holding reading enumerating; do
    rm -rf "$work"
    mkdir -p "$work" "$out/$mode"
    marker="victim-$mode-$$-$RANDOM"
    run_vbs "$out/$mode/victim" dying-clients.vbs victim "$mode" 'C:\tests\dying' "$marker" >/dev/null &
    wait_for_file "$work/victim-stalled" 120
    # While the victim stalls (in the server's read of its object, for one mode), another
    # client is served.
    run_vbs "$out/$mode" dying-clients.vbs observer before 'C:\tests\dying' >/dev/null
    tally "$out/$mode/dying-clients.log"
    victim=$(pgrep -f "$marker" | head -n 1)
    if [ -n "$victim" ] && [ -f "$work/victim-stalled" ]; then
        kill -KILL $(pgrep -f "$marker")
        ok=$((ok + 1))
    else
        echo "FAILED: the $mode victim did not reach its stall"
        bad=$((bad + 1))
    fi
    wait
    run_vbs "$out/$mode/after" dying-clients.vbs observer after 'C:\tests\dying' >/dev/null
    tally "$out/$mode/after/dying-clients.log"
    wine_stop # the dead client's references would keep this server for ever
done

# The server dies under a client (as when it is ended from Task Manager): the client's
# calls on its objects fail as the server being unavailable. Only this prefix's server is
# ended, by its process identifier. The client is told only once the process has ended
# (kill returns when the signal is sent, and a process of many threads under the emulator
# takes a while to die): its calls meet a server that is gone, not one that is ending.
ended_within() { # seconds pid...: each process gone or a zombie (its handles closed)
    local seconds=$1 pid
    shift
    for _ in $(seq 1 $((seconds * 10))); do
        for pid in "$@"; do
            [ -e "/proc/$pid" ] && ! grep -q '^State:[[:space:]]*Z' "/proc/$pid/status" 2>/dev/null && break
            pid=
        done
        [ -z "$pid" ] && return 0
        sleep 0.1
    done
    return 1
}
rm -rf "$work"
mkdir -p "$work"
run_vbs "$out/orphan" dying-clients.vbs orphan - 'C:\tests\dying' >/dev/null &
orphan=$!
if wait_for_file "$work/orphan-ready" 120 && server=$(server_pids) && [ -n "$server" ]; then
    kill -KILL $server
    if ended_within 60 $server; then
        ok=$((ok + 1))
    else
        echo "FAILED: the orphan client's server did not end within 60 s of its kill"
        bad=$((bad + 1))
    fi
else
    echo "FAILED: the orphan client's server was not found"
    bad=$((bad + 1))
fi
touch "$work/server-killed"
wait $orphan
tally "$out/orphan/dying-clients.log"
wine_stop # Wine keeps the dead server's class registration: no client could start another
echo "$ok passed, $bad failed"
