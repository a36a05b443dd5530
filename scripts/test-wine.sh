#!/usr/bin/env bash
# Runs the tests under Wine against one build: the Wine test client (in-process and
# out-of-process) and every client scenario of tests/scripts (VBScript and JScript clients,
# the early-bound example, the reference's examples). Usage: test-wine.sh ARCH OUTDIR,
# ARCH being win32 (the i686 product, 32-bit Wine under emulation), win64 (the x86_64
# twin) or wow64 (the i686 product in a 64-bit prefix with its 32-bit side, serving 64-bit
# clients: scripts/wine-env.sh). Ends with one summary line.
set -uo pipefail
export ONDRIK_ARCH=$1
out=$2
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
source "$root/scripts/test-counts.sh"
mkdir -p "$out"

# After each run of clients: their server ended by itself, at most 15 s after the last of
# them (a server that outlives its clients keeps Ondrik.exe in use and hides leaks of its
# references). A scenario that kills a client on purpose says so in OUTDIR/lingering-exempt
# and is not checked: Wine never reclaims a dead client's references, so its server stays.
check_server_ended() {
    local name=$1 dir=$2 left
    if [ -f "$dir/lingering-exempt" ]; then
        echo "$name: not checked for a lingering server: $(cat "$dir/lingering-exempt")"
    elif left=$(servers_end_within 15); then
        passed=$((passed + 1))
    else
        echo "$name: FAILED: its server still ran 15 s after its last client: $left"
        failed=$((failed + 1))
    fi
}

# The configurations' own parts. wow64 runs what differs when a 64-bit client calls the
# i686 server: the Wine test client's out-of-process tests, the client scenarios of the
# members that cross the boundary, the package for 64-bit Windows, and its own scenarios
# (tests/scripts/wow64: both registry views, 32-bit and 64-bit clients at once, the
# folders a 64-bit client is told). What the server does whoever calls it (crowds, waits,
# dying clients, re-entrancy, the in-process tests) the other two prove, and the
# permissions it registers too (Security reads them through the class key, which a 64-bit
# client does not see: registry-views checks where they stand).
gtest_args=()
scenarios=("$root"/tests/scripts/*.sh)
if [ "$ONDRIK_ARCH" = wow64 ]; then
    gtest_args=(--gtest_filter='Server.*:SuiteServer.*:ServerEnvironment.*:ApplicationRegister.*:Network.*:BadInput.*')
    scenarios=()
    for name in sessions applications parse-command folders shell-link network jscript early-bound package; do
        scenarios+=("$root/tests/scripts/$name.sh")
    done
    scenarios+=("$root"/tests/scripts/wow64/*.sh)
fi

wine_stop
wine_start

echo "== $ONDRIK_ARCH: Wine test client"
source "$root/tests/net/peers.sh"
trap 'net_peers_stop; wine_stop' EXIT
net_peers_start "$out"
(cd "$out" && run_within 1800 "$WINE" "$BUILD/ondrik_wine_tests.exe" "${gtest_args[@]}" >"$out/wine.txt" 2>&1)
net_peers_stop
count_gtest "$out/wine.txt"
check_server_ended "Wine test client" "$out"
grep -A1 -E ': Skipped' "$out/wine.txt" | grep -v -E ': Skipped|^--' | tr -d '\r' | sort | uniq -c | sed 's/^ */skipped: /' || true
wine_stop

echo "== $ONDRIK_ARCH: client scenarios (VBScript, JScript, early-bound C++, the reference's examples)"
for scenario in "${scenarios[@]}"; do
    name=$(basename "$scenario" .sh)
    run_within 900 bash "$scenario" "$out/$name" >"$out/$name.txt" 2>&1
    count_summary "$out/$name.txt" "$name" "$out/$name" || show_failures "$out/$name.txt" "$out/$name"
    # What a scenario could not check under Wine (what Windows enforces and Wine does not).
    grep -h '^NOT CHECKED' "$out/$name.txt" | sed "s/^/$name: /"
    check_server_ended "$name" "$out/$name"
    wine_stop
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
