#!/usr/bin/env bash
# Runs the benchmarks under Wine: the out-of-process call cost of the server against a
# do-nothing server built from the same dispatch kit, measured in the same run; what the
# time limit on reading a client's object costs against reading it directly; ParseCommand's
# cost per token against merely walking the line, in-process; and, where Wine's 32-bit side
# is set up, a 64-bit client's round trip to the i686 server against a 32-bit client's
# (bench/wow64.sh); the server's private memory per round of each kind of work over a
# long run (bench/server-memory.sh), and what a stub of COM's marshalling keeps for one
# fresh object used from another apartment, outside the server (bench/bench_stub_heap.cpp).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"
source "$root/scripts/wine-env.sh"
wine_start
"$WINE" "$BUILD/bench_null_server.exe" /regserver
cd "$root/build"
"$WINE" "$BUILD/bench_parse.exe" >"$root/build/bench-parse.txt" 2>&1 || true
tr -d '\r' <"$root/build/bench-parse.txt"
"$WINE" "$BUILD/bench_calls.exe" 2000 | tr -d '\r'
"$WINE" "$BUILD/bench_bounded_call.exe" 300 | tr -d '\r'
mkdir -p "$WINEPREFIX/drive_c/bench"
cp "$root/bench/vbscript-read.vbs" "$WINEPREFIX/drive_c/bench/"
"$WINE" "$CSCRIPT" //nologo 'C:\bench\vbscript-read.vbs' >"$root/build/bench-vbs.txt" 2>&1 || true
tr -d '\r' <"$root/build/bench-vbs.txt"
echo
"$WINE" "$BUILD/bench_registers.exe" | tr -d '\r'
echo
"$WINE" "$BUILD/bench_stub_heap.exe" 300 | tr -d '\r'
echo
wine_stop
bash "$root/bench/server-memory.sh"
echo
if bash "$root/scripts/wine32-setup.sh" >/dev/null; then bash "$root/bench/wow64.sh"; fi
