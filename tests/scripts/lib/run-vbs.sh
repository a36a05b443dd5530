# Sourced by the scenario scripts: runs a VBScript client (the checks library in front
# of it) in the test prefix. Usage: run_vbs OUTDIR NAME.vbs [ARGS...]; prints its output.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../../scripts/wine-env.sh"
SCRIPTS_WIN='C:\tests'
SCRIPTS_DIR="$WINEPREFIX/drive_c/tests"

run_vbs() {
    local outdir=$1 script=$2
    shift 2
    local name
    name=$(basename "$script" .vbs)
    mkdir -p "$outdir" "$SCRIPTS_DIR"
    # Written aside and renamed into place: clients started together would otherwise empty
    # the script under a cscript that is reading it, which then runs nothing and ends
    # without a word (and with exit code 0).
    # (The name is fixed here: a redirection's expansions happen in the forked command.)
    local aside="$SCRIPTS_DIR/$name.vbs.$BASHPID"
    cat "$here/check.vbs" "$here/../$script" >"$aside"
    mv -f "$aside" "$SCRIPTS_DIR/$name.vbs"
    (cd "$outdir" && "$WINE" cscript //nologo "$SCRIPTS_WIN\\$name.vbs" "$@" >"$outdir/$name.txt" 2>&1
        echo "exit code $?" >"$outdir/exit-code")
    tr -d "\r" <"$outdir/$name.txt" | tee "$outdir/$name.log"
}

# Adds up the summary lines of several runs (their .log files) into the variables ok and
# bad; a run without a summary (a script that ended early) counts as one failure.
ok=0
bad=0
tally() {
    local line
    for file in "$@"; do
        line=$(tail -n 1 "$file" 2>/dev/null)
        if [[ "$line" =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
            ok=$((ok + BASH_REMATCH[1]))
            bad=$((bad + BASH_REMATCH[2]))
        else
            bad=$((bad + 1))
        fi
    done
}
