#!/usr/bin/env bash
# Runs every test: the native unit tests, a short run of every fuzz target,
# the Wine test client (in-process and out-of-process) and the VBScript client
# scenarios. Ends with one summary line.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" || { echo "0 passed, 1 failed"; exit 1; }
source "$root/scripts/wine-env.sh"
out="$root/build/test-output"
rm -rf "$out"
mkdir -p "$out"
passed=0
failed=0

# Adds the counts of a GoogleTest run (its output file); a run that printed no summary
# (a crash) counts as one failure.
count_gtest() {
    local file=$1 ok bad
    ok=$(grep -oE '^\[  PASSED  \] [0-9]+' "$file" | grep -oE '[0-9]+$' || true)
    bad=$(grep -oE '^\[  FAILED  \] [0-9]+ tests?,' "$file" | grep -oE '[0-9]+' || true)
    if [ -z "$ok" ] && [ -z "$bad" ]; then
        echo "no summary from $(basename "$file"): counted as a failure"
        failed=$((failed + 1))
        return
    fi
    passed=$((passed + ${ok:-0}))
    failed=$((failed + ${bad:-0}))
    grep -E '^\[  FAILED  \] [A-Za-z]' "$file" | sort -u || true
}

echo "== native unit tests"
"$root/build/native/ondrik_native_tests" >"$out/native.txt" 2>&1
count_gtest "$out/native.txt"

echo "== fuzzing: every target for a few seconds"
bash "$root/fuzz/run.sh" 4 >"$out/fuzz.txt" 2>&1
# One count per target; no summary line (a build or script failure) counts as a failure.
summary=$(grep -E '^fuzzing: [0-9]+ targets passed, [0-9]+ failed' "$out/fuzz.txt" || true)
if [ -n "$summary" ]; then
    passed=$((passed + $(echo "$summary" | grep -oE '[0-9]+ targets passed' | grep -oE '[0-9]+')))
    failed=$((failed + $(echo "$summary" | grep -oE '[0-9]+ failed' | grep -oE '[0-9]+')))
else
    failed=$((failed + 1))
fi
tail -n 40 "$out/fuzz.txt"

wine_stop
wine_start

echo "== Wine test client"
source "$root/tests/net/peers.sh"
trap 'net_peers_stop; wine_stop' EXIT
net_peers_start "$out"
(cd "$out" && "$WINE" "$BUILD/ondrik_wine_tests.exe" >"$out/wine.txt" 2>&1)
net_peers_stop
count_gtest "$out/wine.txt"
wine_stop

echo "== VBScript client scenarios"
for scenario in "$root"/tests/scripts/*.sh; do
    name=$(basename "$scenario" .sh)
    result=$(bash "$scenario" "$out/$name" 2>&1 | tail -n 1)
    if [[ "$result" =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
        passed=$((passed + BASH_REMATCH[1]))
        failed=$((failed + BASH_REMATCH[2]))
        [ "${BASH_REMATCH[2]}" -eq 0 ] || echo "$name: $result (see $out/$name)"
    else
        echo "$name: no summary (see $out/$name)"
        failed=$((failed + 1))
    fi
    wine_stop
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
