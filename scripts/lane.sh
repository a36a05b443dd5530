#!/usr/bin/env bash
# Runs a command with a network of its own: a fresh network namespace whose loopback
# interface is up, so that runs side by side can each listen on the same loopback
# addresses and ports (the network tests' peers, the reference's examples' web server).
# Where no namespace can be made (not root, no iproute2), the command runs as it is:
# "bash scripts/lane.sh --check" fails then, and the caller runs one lane at a time.
#   bash scripts/lane.sh COMMAND [ARGS...]
#   bash scripts/lane.sh --check
isolated() {
    [ "$(id -u)" -eq 0 ] && command -v ip >/dev/null && unshare --net ip link set lo up 2>/dev/null
}
if [ "${1:-}" = --check ]; then
    isolated
elif isolated; then
    exec unshare --net sh -c 'ip link set lo up && exec "$@"' lane "$@"
else
    exec "$@"
fi
