#!/usr/bin/env bash
# Builds every libFuzzer target (AddressSanitizer and UndefinedBehaviorSanitizer) and
# runs each in turn, one at a time.
#   fuzz/run.sh [SECONDS]              each target for SECONDS (default 60)
#   fuzz/run.sh --executions N         each target until it has run N inputs
#   --max-seconds S                    with --executions: stop a target after S seconds
#   --target NAME (repeatable)         only these targets
# FUZZ_OUT (default build/fuzz) is where the binaries, corpora and logs go.
# Prints, per target, the executions and executions per second of libFuzzer's final
# statistics, then one summary line. Corpora grow in build/fuzz/<target>/corpus; a
# failing input is left as build/fuzz/<target>/crash-* (or leak-*, timeout-*), with the
# run's log beside it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="${FUZZ_OUT:-$root/build/fuzz}"

# Each target: its fuzz/<name>_fuzz.cpp, the portable sources it exercises, its
# dictionary (or -) and the longest input it is given.
declare -A sources=(
    [parse_command]="src/cmdline/command_parser.cpp src/automation/text_fold_native.cpp"
    [path_names]="src/files/path_names.cpp src/shell/shortcut_name.cpp"
    [folder_plan]="src/files/folder_plan.cpp src/files/suite_layout.cpp src/files/path_names.cpp"
    [keyed_list]="src/automation/text_fold_native.cpp"
    [record_keys]="src/automation/decimal.cpp src/sessions/session_key.cpp src/applications/application_key.cpp"
    [books]="src/automation/text_fold_native.cpp"
)
declare -A dicts=([parse_command]=command.dict [path_names]=names.dict [folder_plan]=names.dict
    [keyed_list]=- [record_keys]=keys.dict [books]=-)
declare -A maxlen=([parse_command]=512 [path_names]=512 [folder_plan]=512 [keyed_list]=256
    [record_keys]=64 [books]=256)
# The keyed list's input is a program of operations, not text compared with constants:
# tracing comparisons would only slow it down.
declare -A flags=([keyed_list]=-fno-sanitize-coverage=trace-cmp [books]=-fno-sanitize-coverage=trace-cmp)
all=(parse_command path_names folder_plan keyed_list record_keys books)

seconds=60
runs=
cap=
chosen=()
while [ $# -gt 0 ]; do
    case $1 in
    --executions) runs=$2; shift 2 ;;
    --max-seconds) cap=$2; shift 2 ;;
    --target) chosen+=("$2"); shift 2 ;;
    [0-9]*) seconds=$1; shift ;;
    *) echo "usage: fuzz/run.sh [SECONDS] [--executions N [--max-seconds S]] [--target NAME]..." >&2; exit 2 ;;
    esac
done
[ ${#chosen[@]} -gt 0 ] || chosen=("${all[@]}")
for t in "${chosen[@]}"; do
    [ -n "${sources[$t]:-}" ] || { echo "no fuzz target $t (have: ${all[*]})" >&2; exit 2; }
done

build() { # target
    local t=$1 bin="$out/$1/$1_fuzz" stale=0 f
    local files=("$root/fuzz/$1_fuzz.cpp")
    for f in ${sources[$t]}; do files+=("$root/$f"); done
    [ -x "$bin" ] || stale=1
    for f in "${files[@]}" "$root"/fuzz/*.h "$root"/src/*/*.h; do [ "$f" -nt "$bin" ] && stale=1; done
    [ "$stale" -eq 0 ] && return 0
    clang++ -std=c++20 -O2 -g -Wall -Wextra -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        ${flags[$t]:-} -I"$root/src" -I"$root/fuzz" "${files[@]}" -o "$bin"
}

# The quarantine holds freed memory back from reuse so that a use after free is caught;
# 8 MB is many times what one input allocates, and reusing memory sooner spares most of
# the page faults that otherwise slow the allocating targets down.
export ASAN_OPTIONS="quarantine_size_mb=8${ASAN_OPTIONS:+:$ASAN_OPTIONS}"

total=0
passed=0
failed=0
for t in "${chosen[@]}"; do
    dir="$out/$t"
    mkdir -p "$dir/corpus"
    rm -rf "$dir/seeds"
    bash "$root/fuzz/seeds.sh" "$dir/seeds" >/dev/null
    if ! build "$t" >"$dir/build.log" 2>&1; then
        cat "$dir/build.log"
        echo "$t: build failed"
        failed=$((failed + 1))
        continue
    fi
    limit=(-max_total_time="$seconds")
    [ -n "$runs" ] && limit=(-runs="$runs")
    [ -n "$runs" ] && [ -n "$cap" ] && limit+=(-max_total_time="$cap")
    dict=()
    [ "${dicts[$t]}" != - ] && dict=(-dict="$root/fuzz/${dicts[$t]}")
    started=$(date +%s)
    set +e
    (cd "$dir" && "./${t}_fuzz" "${limit[@]}" "${dict[@]}" -max_len="${maxlen[$t]}" -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$dir/" corpus "seeds/$t" >"$dir/fuzz.log" 2>&1)
    status=$?
    set -e
    elapsed=$(($(date +%s) - started))
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/fuzz.log" | tail -n 1)
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$dir/fuzz.log" | tail -n 1)
    if [ "$status" -ne 0 ] || [ -z "$executions" ]; then
        tail -n 30 "$dir/fuzz.log"
        echo "$t: FAILED after ${executions:-?} executions (log: $dir/fuzz.log)"
        failed=$((failed + 1))
        continue
    fi
    short=
    [ -n "$runs" ] && [ "$executions" -lt "$runs" ] && short=" (time limit reached before $runs)"
    echo "$t: $executions executions$short, $speed exec/s, ${elapsed} s, corpus $(ls "$dir/corpus" | wc -l) inputs"
    total=$((total + executions))
    passed=$((passed + 1))
done
echo "fuzzing: $passed targets passed, $failed failed, $total executions in all"
[ "$failed" -eq 0 ]
