# Sourced by the test runners: adds up the counts of test runs into passed and failed.
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

# Adds the closing "N passed, N failed" line of a run's output file; a run without one
# counts as one failure. Usage: count_summary FILE NAME [WHERE-TO-LOOK]
count_summary() {
    local file=$1 name=$2 where=${3:-$1} line
    line=$(tail -n 1 "$file" 2>/dev/null | tr -d '\r')
    if [[ "$line" =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
        passed=$((passed + BASH_REMATCH[1]))
        failed=$((failed + BASH_REMATCH[2]))
        [ "${BASH_REMATCH[2]}" -eq 0 ] && return
        echo "$name: $line (see $where)"
    else
        echo "$name: no summary (see $where)"
        failed=$((failed + 1))
    fi
    return 1
}

# What a failed scenario left, so that a report shows its cause and not only its count: the
# failed checks, and each client run that ended without a summary, with its exit code (a
# victim killed on purpose is among them). At most 20 lines. Usage: show_failures FILE DIR
show_failures() {
    local file=$1 dir=$2 log last
    {
        grep -h '^FAILED' "$file"
        find "$dir" -name '*.log' | sort | while read -r log; do
            grep -h '^FAILED' "$log"
            last=$(tail -n 1 "$log" | tr -d '\r')
            [[ "$last" =~ ^[0-9]+\ passed,\ [0-9]+\ failed$ ]] ||
                echo "no summary from ${log#"$dir"/}: $(cat "$(dirname "$log")/exit-code" 2>/dev/null)${last:+; its last line: $last}$(
                    err=$(grep -hv -e '^\s*$' -e 'ignored L"nologo" switch' "${log%.log}.err" 2>/dev/null | head -n 2 | tr '\n' ' ')
                    echo "${err:+; its standard error: $err}")"
        done
    } 2>/dev/null | tr -d '\r' | awk '!seen[$0]++' | head -n 20 | sed 's/^/    /'
}
