#!/usr/bin/env bash
# The server's private memory over a long run of one client, for each kind of work against
# a do-nothing round (one call that keeps nothing) in the same run: what each round leaves
# in the server for good. Usage: server-memory.sh [ROUNDS [STRETCHES [KIND...]]] (by
# default 150 rounds in each of 2 stretches, every kind: a few minutes for the twin on a
# quiet machine, 16 on one busy with four other builds).
# ONDRIK_ARCH chooses the build.
#
# The client (server-memory.vbs) sets a mark after each stretch and waits until this
# script has read the server's private bytes: what Wine counts as a process's private
# usage (PROCESS_MEMORY_COUNTERS_EX.PrivateUsage), the anonymous resident and swapped
# memory of the Linux process (RssAnon + VmSwap of /proc/PID/status). Under the emulator
# that process is the emulator's, whose own memory settles during the warm-up.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-150}
stretches=${2:-2}
shift $(($# < 2 ? $# : 2))
kinds=("$@")
[ ${#kinds[@]} -gt 0 ] || kinds=(idle sessions record putref parse folders shortcut idle)
source "$root/scripts/wine-env.sh"
wine_start
work="$WINEPREFIX/drive_c/bench"
mkdir -p "$work"
rm -f "$work/mark.txt" "$work/mark.txt.new"
cp "$root/bench/server-memory.vbs" "$work/"
out="$root/build/bench-server-memory-$ONDRIK_ARCH.txt"

private_kb() {
    awk '/^(RssAnon|VmSwap):/ { kb += $2 } END { print kb + 0 }' "/proc/$1/status"
}

(cd "$work" && "$WINE" "$CSCRIPT" //nologo 'C:\bench\server-memory.vbs' "$rounds" "$stretches" "${kinds[@]}" \
    >"$work/client.txt" 2>&1) &
client=$!
: >"$out.marks"
server=""
while :; do
    if [ -f "$work/mark.txt" ]; then
        [ -n "$server" ] && [ -d "/proc/$server" ] || server=$(server_pids | head -n 1)
        read -r kind stretch applications sessions <"$work/mark.txt" || true
        kind=${kind%$'\r'}
        echo "$kind $stretch $(private_kb "$server") $applications $sessions" >>"$out.marks"
        rm -f "$work/mark.txt"
        [ "$kind" != end ] || break
    elif ! kill -0 "$client" 2>/dev/null; then
        echo "the client ended before its last mark:" >&2
        cat "$work/client.txt" >&2
        exit 1
    fi
    sleep 0.05
done
wait "$client" || true

# One line per kind (a kind run twice, like idle, gets a line each time): the private
# bytes a round left, over the whole run and stretch by stretch, and beside the
# do-nothing round's.
echo "Server's private memory per round ($ONDRIK_ARCH, $rounds rounds x $stretches stretches; registers at marks: applications/sessions)"
awk -v rounds="$rounds" -v stretches="$stretches" '
    $1 == "end" { next }
    {
        if ($2 == 0) { n++; name[n] = $1; first[n] = $3; stretch[n] = "" }
        else { stretch[n] = stretch[n] sprintf(" %6.0f", ($3 - last[n]) * 1024 / rounds) }
        last[n] = $3; regs[n] = $4 "/" $5
    }
    END {
        for (i = 1; i <= n; i++) if (name[i] == "idle") { idle += last[i] - first[i]; idleRuns++ }
        base = idleRuns ? idle * 1024 / (rounds * stretches * idleRuns) : 0
        printf "%-10s %12s %12s %9s   %s\n", "work", "B/round", "minus idle", "registers", "B/round in each stretch"
        for (i = 1; i <= n; i++) {
            per = (last[i] - first[i]) * 1024 / (rounds * stretches)
            printf "%-10s %12.0f %12.0f %9s  %s\n", name[i], per, per - base, regs[i], stretch[i]
        }
    }' "$out.marks" | tee "$out"
