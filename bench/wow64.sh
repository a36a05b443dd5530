#!/usr/bin/env bash
# A 64-bit client's round trip to the i686 server against a 32-bit client's, in the same
# run: the i686 Ondrik.exe in the 64-bit prefix with its 32-bit side (the wow64
# configuration of scripts/wine-env.sh), Sessioni.Count through the vtable and through
# IDispatch, by bench_calls of the x86_64 build (under wine64) and of the i686 build (under
# the emulator), each also against the i686 do-nothing server. The 32-bit client runs
# emulated, so only the ratio of the two means anything. Each client runs twice, in turn;
# its better run counts. Usage: bench/wow64.sh [CALLS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
calls=${1:-2000}
bash "$root/scripts/build.sh"
bash "$root/scripts/wine32-setup.sh"
export ONDRIK_ARCH=wow64
source "$root/scripts/wine-env.sh"
wine_start
"$WINE" "$SERVER_BUILD/bench_null_server.exe" /regserver
out="$root/build/bench-wow64"
mkdir -p "$out"
# Microseconds per call of the real server, through the vtable and through IDispatch: the
# better of the runs so far.
declare -A best
for round in 1 2; do
    for bits in 32 64; do
        build=$([ "$bits" = 32 ] && echo "$root/build/win32" || echo "$root/build/win64")
        "$WINE" "$build/bench_calls.exe" "$calls" | tr -d '\r' >"$out/client$bits-$round.txt"
        for way in vtable IDispatch; do
            us=$(awk -v w="$way" '$0 ~ "through (the )?" w { print $(NF - 2) }' "$out/client$bits-$round.txt")
            prior=${best[$bits$way]:-}
            if [ -z "$prior" ] || awk "BEGIN { exit !($us < $prior) }"; then best[$bits$way]=$us; fi
        done
    done
done
echo "Sessioni.Count of the i686 server in a 64-bit prefix, $calls calls (the better of two runs)"
cat "$out/client32-1.txt" | sed 's/^/  32-bit client, first run: /' | head -n 3
cat "$out/client64-1.txt" | sed 's/^/  64-bit client, first run: /' | head -n 3
printf '%-28s %14s %14s %8s\n' "" "32-bit us" "64-bit us" "64/32"
for way in vtable IDispatch; do
    printf '%-28s %14s %14s %8s\n' "through $([ "$way" = vtable ] && echo "the vtable" || echo IDispatch)" "${best[32$way]}" "${best[64$way]}" \
        "$(awk "BEGIN { printf \"%.2f\", ${best[64$way]} / ${best[32$way]} }")"
done
