# Every example of docs/reference.md (VBScript, JScript, C++) runs against the server, and
# what it prints must be the output written beside it, line for line. One server serves
# them all: a holder client keeps it running from the first example to the last (a server
# start costs a second or more under emulation). The C++ examples are built with the
# server (CMakeLists.txt); the network examples talk to tests/docs/example_peers.py.
source "$(dirname "$0")/lib/run-vbs.sh"
out=$1
docs="$root/tests/docs"
examples="$WINEPREFIX/drive_c/esempi"
rm -rf "$out" "$examples"
mkdir -p "$out" "$examples"
# Wine's code page and date formats follow the locale.
export LC_ALL=C.UTF-8
python3 "$docs/examples.py" extract "$root/docs/reference.md" "$examples" vbscript javascript cpp

python3 "$docs/example_peers.py" "$out/peers-ready" >"$out/peers.log" 2>&1 &
peers=$!
hold_server "$out/holder" 'C:\esempi'
trap 'release_server >/dev/null; kill $peers 2>/dev/null' EXIT
wait_for_file "$out/peers-ready" 300 || echo "FAILED: the examples' network peers did not start: $(cat "$out/peers.log")"

# The script examples run in one host process, each in an engine of its own
# (tests/docs/example_host.cpp): a process start costs a second or more, many more under
# the emulator. Each writes NAME.out beside itself; the C++ examples are programs of their
# own.
scripts=()
for expected in "$examples"/[0-9]*.expected; do
    name=$(basename "$expected" .expected)
    for language in vbs js; do
        [ -f "$examples/$name.$language" ] && scripts+=("C:\\esempi\\$name.$language")
    done
done
cp "$BUILD/example_host.exe" "$examples/"
(cd "$examples" && timeout 600 "$WINE" 'C:\esempi\example_host.exe' "${scripts[@]}" >"$out/host.txt" 2>&1)

passed=0 failed=0
for expected in "$examples"/[0-9]*.expected; do
    name=$(basename "$expected" .expected)
    if [ -f "$examples/$name.cpp" ]; then
        (cd "$examples" && timeout 180 "$WINE" "$BUILD/reference-examples/$name.exe" >"$examples/$name.out" 2>&1)
    fi
    tr -d '\r' <"$examples/$name.out" >"$out/$name.actual" 2>/dev/null
    if diff "$expected" "$out/$name.actual" >"$out/$name.diff"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: example $name prints other than the reference says (< written, > printed):"
        sed 's/^/    /' "$out/$name.diff"
        grep -F "$name" "$out/host.txt" | sed 's/^/    /'
    fi
done
echo "$passed passed, $failed failed"
