#!/usr/bin/env bash
# Runs every test: the native unit tests, a short run of every fuzz target, the checks of
# the built images, the reference's coverage of the type library, and under Wine, against
# the i686 product (32-bit Wine under the qemu-user emulator, set up on first use), against
# its x86_64 twin (wine64) and against the i686 product serving 64-bit clients (a 64-bit
# prefix with its 32-bit side), the Wine test client and the client scenarios (VBScript,
# JScript, the early-bound example, the reference's examples; scripts/test-wine.sh).
# Prints each configuration's count and ends with one summary line.
#
# Most of a Wine run is waiting (a process starting, a round trip, a bounded wait), so the
# runs go side by side: the twin in one lane, the two configurations of the emulated
# product one after the other in another, and the portable tests beside them. Each lane
# has a network of its own (scripts/lane.sh), since the network tests and the reference's
# examples listen on fixed loopback ports.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" || { echo "0 passed, 1 failed"; exit 1; }
source "$root/scripts/test-counts.sh"
out="$root/build/test-output"
rm -rf "$out"
mkdir -p "$out"
started=$SECONDS

# One configuration under Wine; its time goes beside its output.
wine_run() {
    local arch=$1 from=$SECONDS
    bash "$root/scripts/lane.sh" bash "$root/scripts/test-wine.sh" "$arch" "$out/$arch" >"$out/$arch.txt" 2>&1
    echo $((SECONDS - from)) >"$out/$arch.seconds"
}
emulated_lane() {
    local from=$SECONDS
    bash "$root/scripts/wine32-setup.sh" >"$out/wine32-setup.txt" 2>&1
    echo "$? $((SECONDS - from))" >"$out/wine32-setup.status"
    if grep -q '^0 ' "$out/wine32-setup.status"; then
        wine_run win32
        wine_run wow64
    fi
}
lanes=()
if bash "$root/scripts/lane.sh" --check; then
    wine_run win64 &
    lanes+=($!)
    emulated_lane &
    lanes+=($!)
else
    echo "(no network namespace here: the Wine configurations run one after the other)"
fi

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

echo "== the images: machine, subsystem, ASLR, DEP, terminal-server flag, stack guard, imports, version, manifest"
python3 "$root/tests/image/image_facts.py" "$root/build/win32/Ondrik.exe" i686-w64-mingw32-objdump i386 \
    >"$out/image-win32.txt" 2>&1
count_summary "$out/image-win32.txt" "i686 image"
python3 "$root/tests/image/image_facts.py" "$root/build/win64/Ondrik.exe" x86_64-w64-mingw32-objdump x86-64 \
    >"$out/image-win64.txt" 2>&1
count_summary "$out/image-win64.txt" "x86_64 image"

echo "== the reference: a whole entry for every class and member of the type library"
python3 "$root/tests/docs/reference_test.py" >"$out/reference.txt" 2>&1
count_summary "$out/reference.txt" "reference"

echo "== the layers: the include check refuses a wait reached from a register's rules"
python3 "$root/tests/build/layers_test.py" >"$out/layers.txt" 2>&1
count_summary "$out/layers.txt" "layers"

echo "(portable tests in $((SECONDS - started)) s; waiting for Wine)"
if [ ${#lanes[@]} -gt 0 ]; then
    wait "${lanes[@]}"
else
    wine_run win64
    emulated_lane
fi
read -r setup_status setup_seconds <"$out/wine32-setup.status"
builds=(win32 win64 wow64)
if [ "$setup_status" -ne 0 ]; then
    tail -n 1 "$out/wine32-setup.txt"
    echo "the i686 product is not run under Wine here; running the x86_64 twin alone"
    builds=(win64)
fi
echo "(32-bit Wine ready in $setup_seconds s)"
# Under Wine: the product first, then its twin, then the product with 64-bit clients.
declare -A label=([win32]="i686 product" [win64]="x86_64 twin" [wow64]="i686 product, 64-bit clients")
for arch in "${builds[@]}"; do
    grep -v -E '^[0-9]+ passed, [0-9]+ failed$' "$out/$arch.txt" | grep -v '^== ' || true
    before_ok=$passed before_bad=$failed
    count_summary "$out/$arch.txt" "$arch" "$out/$arch"
    echo "$arch (${label[$arch]}): $((passed - before_ok)) passed, $((failed - before_bad)) failed" \
        "in $(cat "$out/$arch.seconds" 2>/dev/null || echo "?") s"
done

echo "(all tests in $((SECONDS - started)) s)"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
