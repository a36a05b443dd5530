#!/usr/bin/env bash
# Builds the command-line fuzz target with clang's libFuzzer (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it. Usage: fuzz/run.sh [SECONDS] (default 60).
# The corpus grows in build/fuzz/corpus; a crashing input is left in build/fuzz.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
out="$root/build/fuzz"
mkdir -p "$out/corpus"
bin="$out/parse_command_fuzz"
sources=("$root/fuzz/parse_command_fuzz.cpp" "$root/src/cmdline/command_parser.cpp"
    "$root/src/automation/text_fold_native.cpp")
headers=("$root/fuzz/literal_parser.h" "$root/src/cmdline/command_parser.h" "$root/src/automation/text_fold.h")
stale=0
[ -x "$bin" ] || stale=1
for f in "${sources[@]}" "${headers[@]}"; do [ "$f" -nt "$bin" ] && stale=1; done
if [ "$stale" -eq 1 ]; then
    clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        -I"$root/src" -I"$root/fuzz" "${sources[@]}" -o "$bin"
fi
# Seeds: the typical shapes (fields split by U+0001: line, delimiter, switches).
seed() { printf '%s' "$2" | iconv -f UTF-8 -t UTF-16LE >"$out/corpus/$1"; }
seed rows $'/u mario /D archivio\x01 \x01/U\x01/D\x01/A'
seed repeat $'/U a /D b /U c\x01 \x01/U\x01/D\x01/A'
seed comma $'/U, x,y\x01,\x01/U'
seed spaces $'/U  a  b\x01 \x01/U'
cd "$out"
"$bin" -max_total_time="$seconds" -max_len=512 -print_final_stats=1 corpus >"$out/fuzz.log" 2>&1 || {
    tail -n 30 "$out/fuzz.log"
    echo "fuzzing failed"
    exit 1
}
grep -E '^stat::number_of_executed_units' "$out/fuzz.log" || true
echo "fuzzing passed"
