# GetURL and RisolviIndirizzo from VBScript, against loopback peers of its own.
source "$(dirname "$0")/lib/run-vbs.sh"
source "$(dirname "$0")/../net/peers.sh"
mkdir -p "$1"
net_peers_start "$1"
trap net_peers_stop EXIT
port=$(grep '^HTTP_PORT=' "$1/net-state" | cut -d= -f2)
run_vbs "$1" network.vbs "$port"
