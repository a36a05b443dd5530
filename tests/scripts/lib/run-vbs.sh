# Sourced by the scenario scripts: runs a VBScript or JScript client (NAME.vbs or NAME.js,
# with the checks library of its language, check.vbs or check.js, in front of it) in the
# test prefix. Usage: run_vbs OUTDIR NAME.vbs|NAME.js [ARGS...]; prints its output.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../../scripts/wine-env.sh"
# A scenario starts after the previous one's wine_stop: its commands share one wineserver.
wine_server_up
SCRIPTS_WIN='C:\tests'
SCRIPTS_DIR="$WINEPREFIX/drive_c/tests"

run_vbs() {
    local outdir=$1 script=$2
    shift 2
    local name=${script%.*} language=${script##*.}
    name=$(basename "$name")
    mkdir -p "$outdir" "$SCRIPTS_DIR"
    # Each run reads a copy of its own: Wine's script host sometimes fails to read a
    # script that another process opens at the same moment, and then runs nothing and
    # ends with exit code 0 ("Could not get script text"), as clients started together do.
    local copy="$name-$BASHPID.$language"
    cat "$here/check.$language" "$here/../$script" >"$SCRIPTS_DIR/$copy"
    # The standard error goes to a file of its own: a server that this client's activation
    # starts inherits it, and what that process prints (under the emulator, a fault as the
    # i686 process ends) would otherwise land after the client's summary. A client that
    # did not end by itself with exit code 0 says so on its last line instead.
    # The script host's own complaints go there too: Wine's reports a script it cannot
    # read or parse, and an error the script raises, only as a FIXME of its channel, and
    # ends with exit code 0 all the same (the summary missing).
    (cd "$outdir" && WINEDEBUG=-all,fixme+wscript "$WINE" "$CSCRIPT" //nologo "$SCRIPTS_WIN\\$copy" "$@" >"$outdir/$name.txt" 2>"$outdir/$name.err"
        echo "exit code $?" >"$outdir/exit-code")
    grep -qx 'exit code 0' "$outdir/exit-code" || echo "the client ended with $(cat "$outdir/exit-code")" >>"$outdir/$name.txt"
    rm -f "$SCRIPTS_DIR/$copy"
    tr -d "\r" <"$outdir/$name.txt" | tee "$outdir/$name.log"
}

# Keeps this prefix's server running while a scenario's clients come and go, until
# release_server: a client of its own (hold_server.exe) holding a Global. Under Wine a
# client whose activation meets the server's end fails (429): the server refuses it with
# CO_E_SERVER_STOPPING, for which Windows' SCM starts a fresh server ("Out-of-Process
# Server Implementation Helpers") and Wine does not. Clients that follow one another a
# few seconds apart, as under the emulator, meet that moment now and then: relay.sh is
# the test of it, not the scenarios that hold.
# Usage: hold_server OUTDIR FOLDER, FOLDER as Windows names it, inside the prefix's C:.
hold_server() {
    holder_out=$1
    holder_flags="$WINEPREFIX/drive_c/$(echo "${2:3}" | tr '\\' /)"
    mkdir -p "$holder_out" "$holder_flags"
    rm -f "$holder_flags/held" "$holder_flags/release"
    (cd "$holder_out" && "$WINE" "$BUILD/hold_server.exe" "$2" 2>"$holder_out/holder.err" | tr -d '\r' >"$holder_out/holder.log") &
    holder_pid=$!
    wait_for_file "$holder_flags/held" 120 || echo "FAILED: the holder client did not reach the server"
}
release_server() {
    touch "$holder_flags/release"
    wait "$holder_pid"
    tally "$holder_out/holder.log"
}

# Waits until a file exists, at most the given seconds; fails when it does not by then.
# The bound is generous: under emulation on a busy machine, a client's first start of Wine
# and of the server in a prefix whose processes were ended takes many times its usual time,
# and a client started meanwhile would race it in activating the server.
wait_for_file() {
    local i
    for i in $(seq 1 $(($2 * 10))); do
        [ -f "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

# Adds up the summary lines of several runs (their .log files) into the variables ok and
# bad; a run without a summary (a script that ended early) counts as one failure, and
# makes the status 1.
ok=0
bad=0
tally() {
    local line status=0
    for file in "$@"; do
        line=$(tail -n 1 "$file" 2>/dev/null)
        if [[ "$line" =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
            ok=$((ok + BASH_REMATCH[1]))
            bad=$((bad + BASH_REMATCH[2]))
        else
            bad=$((bad + 1))
            status=1
        fi
    done
    return $status
}

# Runs CLIENTS copies of a client script at once against one server and tallies them.
# Usage: run_crowd OUTDIR NAME.vbs CLIENTS WORKDIR [ARGS...]; client I runs as
# "client I WINWORKDIR ARGS...", and client 1 writes WORKDIR/started once it has reached the
# server: the others join a running server, as a suite's applications do (Wine's
# activation may start a second server when several clients start one at the same moment).
run_crowd() {
    local outdir=$1 script=$2 clients=$3 work=$4
    shift 4
    local name pids=() i
    name=$(basename "$script" .vbs)
    for i in $(seq 1 "$clients"); do
        run_vbs "$outdir/client-$i" "$script" client "$i" "$@" >/dev/null &
        pids+=($!)
        [ "$i" -ne 1 ] || wait_for_file "$work/started" 120
    done
    wait "${pids[@]}"
    for i in $(seq 1 "$clients"); do
        # A client that ended without its summary: what is known of how far it came.
        if ! tally "$outdir/client-$i/$name.log"; then
            echo "client $i ended without its summary: $(cat "$outdir/client-$i/exit-code" 2>/dev/null)," \
                "$([ -f "$work/begun-$i" ] && echo "reached the server" || echo "never reached the server")"
        fi
    done
}
