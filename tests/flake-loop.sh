#!/usr/bin/env bash
# Runs client scenarios again and again against one build, optionally with a busy loop on
# every core beside them (so that the timing differs from a quiet machine), and counts the
# runs that failed and those that left their server running after their last client. A
# failed run is a fault to find, never noise: its output stays.
#
#   bash tests/flake-loop.sh [--hog] ARCH RUNS [SCENARIO...]
#
# ARCH is win32 (the i686 product), win64 (its x86_64 twin) or wow64 (the i686 product
# with 64-bit clients); the scenarios are names of scripts below tests/scripts, without
# .sh (by default many-clients and crowded-ticks; wow64/mixed-clients for example). Outputs go to
# build/flake-loop/ARCH/SCENARIO-RUN. Builds first.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
hog=false
if [ "${1:-}" = --hog ]; then
    hog=true
    shift
fi
[ $# -ge 2 ] || { sed -n '6p' "$0"; exit 2; }
export ONDRIK_ARCH=$1
runs=$2
shift 2
scenarios=("$@")
[ ${#scenarios[@]} -gt 0 ] || scenarios=(many-clients crowded-ticks)
bash "$root/scripts/build.sh" || exit 1
[ "$ONDRIK_ARCH" = win64 ] || bash "$root/scripts/wine32-setup.sh" >/dev/null || exit 1
source "$root/scripts/wine-env.sh"
source "$root/scripts/test-counts.sh"
out="$root/build/flake-loop/$ONDRIK_ARCH"
rm -rf "$out"
mkdir -p "$out"

hogs=()
stop_all() {
    [ ${#hogs[@]} -eq 0 ] || kill "${hogs[@]}" 2>/dev/null
    wine_stop
}
wine_stop
wine_start
# After wine_start, whose own trap would replace this one and leave the busy loops running.
trap stop_all EXIT
if $hog; then
    for _ in $(seq 1 "$(nproc)"); do
        bash -c 'while :; do :; done' &
        hogs+=($!)
    done
fi

declare -A green red lingered stranded
for run in $(seq 1 "$runs"); do
    for scenario in "${scenarios[@]}"; do
        dir="$out/$scenario-$run"
        mkdir -p "$(dirname "$dir")"
        started=$SECONDS
        run_within 900 bash "$root/tests/scripts/$scenario.sh" "$dir" >"$dir.txt" 2>&1
        # As the test command checks: the server ended with its last client (the package
        # scenario checks its own prefix's installed server itself).
        if [ ! -f "$dir/lingering-exempt" ] && ! left=$(servers_end_within 15); then
            lingered[$scenario]=$((${lingered[$scenario]:-0} + 1))
            echo "run $run of $scenario: its server still ran 15 s after its last client: $left"
        fi
        # The emulator's stranded forks (scripts/wine-env.sh, end_stranded), found by the
        # scenario's own stops or by this one.
        wine_stop 2>"$dir.stranded"
        if grep -h '^EMULATOR FAULT' "$dir.txt" "$dir.stranded" | sed "s/^/run $run of $scenario: /" | grep .; then
            stranded[$scenario]=$((${stranded[$scenario]:-0} + 1))
        fi
        line=$(tail -n 1 "$dir.txt" | tr -d '\r')
        if [[ "$line" =~ ^[0-9]+\ passed,\ 0\ failed$ ]]; then
            green[$scenario]=$((${green[$scenario]:-0} + 1))
        else
            red[$scenario]=$((${red[$scenario]:-0} + 1))
            echo "run $run of $scenario FAILED: $line (see $dir.txt)"
            show_failures "$dir.txt" "$dir"
        fi
        echo "run $run of $scenario: $line in $((SECONDS - started)) s"
    done
done
status=0
for scenario in "${scenarios[@]}"; do
    echo "$scenario on $ONDRIK_ARCH$($hog && echo ", cores busy"): ${green[$scenario]:-0} of $runs runs green," \
        "${red[$scenario]:-0} failed, ${lingered[$scenario]:-0} left a server running," \
        "${stranded[$scenario]:-0} left an emulator process stranded in a fork"
    [ "${red[$scenario]:-0}" -eq 0 ] && [ "${lingered[$scenario]:-0}" -eq 0 ] || status=1
done
exit $status
