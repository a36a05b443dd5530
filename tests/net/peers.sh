# Sourced by the test runner: starts the loopback peers of the network tests and exports
# where the tests find them (ONDRIK_NET_STATE, a Windows path; ONDRIK_LOW_PORTS=1 when
# ports below 1024 could be opened, which needs root). net_peers_stop ends them by PID.
# Listeners given after the folder replace the network tests' own.
net_peers_start() {
    local dir=$1 here
    here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
    local listeners=(127.0.0.3:7400 127.0.0.6:7400:full 127.0.0.7:7400)
    [ $# -gt 1 ] && listeners=("${@:2}")
    export ONDRIK_LOW_PORTS=0
    if [ $# -eq 1 ] && [ "$(id -u)" -eq 0 ]; then
        listeners+=(127.0.0.3:23 127.0.0.3:80 127.0.0.4:23 127.0.0.4:80 127.0.0.5:80)
        ONDRIK_LOW_PORTS=1
    fi
    rm -f "$dir/net-state"
    python3 "$here/loopback_server.py" "$dir/net-state" "${listeners[@]}" >"$dir/net-peers.log" 2>&1 &
    NET_PEERS_PID=$!
    for _ in $(seq 1 100); do
        [ -s "$dir/net-state" ] && break
        sleep 0.1
    done
    export ONDRIK_NET_STATE="Z:$(echo "$dir/net-state" | tr / '\\')"
}

net_peers_stop() {
    [ -n "${NET_PEERS_PID:-}" ] && kill "$NET_PEERS_PID" 2>/dev/null
    NET_PEERS_PID=
}
