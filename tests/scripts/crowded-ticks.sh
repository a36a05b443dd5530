# Several clients at once crowding the tick source: each opens hundreds of unshared
# sessions as fast as it can and holds them, and registers applications, each with a
# session of its own, closing every second one. No ID may come twice, and the registers
# must hold exactly what the clients left.
source "$(dirname "$0")/lib/run-vbs.sh"
out=$1
# The emulated server is about a hundred times slower: a smaller crowd there.
if [ "$ONDRIK_ARCH" = win32 ]; then defaults=(6 60 10); else defaults=(8 300 40); fi
clients=${ONDRIK_CLIENTS:-${defaults[0]}}
sessions=${ONDRIK_SESSIONS:-${defaults[1]}}
applications=${ONDRIK_APPLICATIONS:-${defaults[2]}}
work="$WINEPREFIX/drive_c/tests/crowded-ticks"
rm -rf "$work"
mkdir -p "$work" "$out"
run_crowd "$out" crowded-ticks.vbs "$clients" "$work" 'C:\tests\crowded-ticks' "$sessions" "$applications" "$clients"
grep -h 'sessions held' "$out/client-1/crowded-ticks.log" || true
echo "$ok passed, $bad failed"
