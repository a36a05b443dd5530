# One client bound early: examples/early-bound.cpp, built from the files dist/ gives
# clients alone, with warnings as errors (CMakeLists.txt), walks a suite application's
# sequence through the vtables. Its output, with the session's number, the dates and the
# temporary folder masked, must be the transcript below, line for line.
source "$(dirname "$0")/lib/run-vbs.sh"
out=$1
mkdir -p "$out"
# One server for both clients: the second starts a few seconds after the first has ended,
# under the emulator as the server's grace ends (see hold_server).
hold_server "$out/holder" 'C:\tests\early-bound'
peers=
trap 'kill $peers 2>/dev/null; release_server >/dev/null' EXIT
(cd "$out" && "$WINE" "$BUILD/early-bound.exe" >"$out/early-bound.txt" 2>"$out/early-bound.err"; echo "exit code $?" >>"$out/early-bound.txt")
tr -d '\r' <"$out/early-bound.txt" |
    sed -E 's/K-?[0-9]+/K<id>/g; s/, opened .*/, opened <date>/; s/^(  temporary: +).*/\1<folder>/' >"$out/actual.txt"
cat >"$out/expected.txt" <<'TRANSCRIPT'
At start
  sessions: 0
  applications: 0
Opened the shared session of company AZ01: K<id>
Registered as Contab|4194304|1234, working in session K<id>
While running
  sessions: 1
    K<id>  company AZ01, user mario.rossi, shared True, opened <date>
  applications: 1
    Contab|4194304|1234  Contabilita 2.0.7
Folders of the suite
  base:        C:\Suite
  executables: C:\Suite\Eseguibili\Contab  (installed: False)
  data:        C:\Suite\Dati\Contab
  user:        C:\Suite\Dati\Utenti\mario.rossi
  temporary:   <folder>
Command line: contab.exe ditta01 -u mario.rossi /D archivio 2024 -a
  item 1: [contab.exe]
  item 2: [ditta01]
  item 3: [mario.rossi]
  item 4: [archivio 2024]
  item 5: [-A]
  switch -U = [mario.rossi]
  switch -A = [-A]
  switch /D = [archivio 2024]
Closed the application
At the end
  sessions: 0
  applications: 0
exit code 0
TRANSCRIPT
# Each expected line in its place is one check; each line missing or out of place, and
# each line too many, a failure.
diff "$out/expected.txt" "$out/actual.txt" >"$out/diff.txt"
cat "$out/diff.txt"
missing=$(grep -c '^<' "$out/diff.txt")
extra=$(grep -c '^>' "$out/diff.txt")
passed=$(($(wc -l <"$out/expected.txt") - missing)) failed=$((missing + extra))

# With -porta, the page of a loopback HTTP server (a port of its own choosing: "/" is not
# found there), the response's first header line with it.
rm -f "$out/net-state" # a former run's would name a port nobody serves now
python3 "$(dirname "$0")/../net/loopback_server.py" "$out/net-state" >"$out/net-peers.log" 2>&1 &
peers=$!
for _ in $(seq 1 100); do
    [ -s "$out/net-state" ] && break
    sleep 0.1
done
port=$(grep '^HTTP_PORT=' "$out/net-state" | cut -d= -f2)
(cd "$out" && "$WINE" "$BUILD/early-bound.exe" -porta "$port" >"$out/download.txt" 2>"$out/download.err"; echo "exit code $?" >>"$out/download.txt")
if tr -d '\r' <"$out/download.txt" | tail -n 2 | tr '\n' '/' |
    grep -qE "^Downloaded 11 characters from port $port; the response began: HTTP/1\.[01] 404 [^/]*/exit code 0/$"; then
    passed=$((passed + 1))
else
    failed=$((failed + 1))
    echo "FAILED: the download with -porta $port (see $out/download.txt)"
fi
kill $peers 2>/dev/null
trap - EXIT
release_server
echo "$((passed + ok)) passed, $((failed + bad)) failed"
