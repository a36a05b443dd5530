#!/usr/bin/env bash
# Proves the README's two commands on a fresh Debian 12 machine: makes a clean root with
# debootstrap (from the host's own Debian mirror), copies in a clean clone of this
# repository's committed HEAD, and runs there, as a new user would,
#
#   bash scripts/run-example.sh
#   bash scripts/test.sh
#
# The root gets a mount and PID namespace of its own with a real root directory
# (pivot_root, not chroot: a chrooted process may not make the user namespaces that the
# 32-bit Wine needs), fresh /proc, /dev/shm and /tmp, and the host's /dev. Every process
# started inside ends with it. Prints the last lines of both commands; exits non-zero if
# either fails. Needs root. Slow (debootstrap, packages, two builds, the whole suite).
#
# Usage: scripts/fresh-machine.sh [FOLDER]   (default build/fresh-machine; emptied first)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-$root/build/fresh-machine}
[ "$(id -u)" -eq 0 ] || { echo "fresh-machine.sh needs root (debootstrap, namespaces)"; exit 2; }
if ! command -v debootstrap >/dev/null || ! command -v ip >/dev/null; then
    apt-get -o DPkg::Lock::Timeout=600 update -qq
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq debootstrap iproute2 >/dev/null
fi

source "$root/scripts/debian-mirror.sh"
mirror=$(debian_mirror)
fresh="$work/root"
rm -rf "$work"
mkdir -p "$work"
started=$SECONDS
echo "debootstrap bookworm from $mirror into $fresh"
debootstrap --variant=minbase bookworm "$fresh" "$mirror" >"$work/debootstrap.log" 2>&1 ||
    { tail -n 5 "$work/debootstrap.log"; exit 1; }
echo "(root made in $((SECONDS - started)) s)"
git clone -q --no-hardlinks "$root" "$fresh/root/ondrik"
cp /etc/resolv.conf "$fresh/etc/resolv.conf" 2>/dev/null || true

# Runs a command line as root of the fresh machine, in the project's clone there; its
# output goes to a file of the work folder. With "own-network" first, it gets a network
# of its own with only a loopback: the tests' peers listen on fixed loopback ports, which
# another test run on this host may hold (everything the tests need is installed by then).
inside() {
    local network=()
    if [ "$1" = own-network ]; then
        network=(--net)
        shift
    fi
    local log=$1 command=$2
    unshare --mount --pid --fork --propagation private "${network[@]}" bash -c '
        set -e
        r=$1
        ip link set lo up
        mount --bind "$r" "$r"
        mount -t proc proc "$r/proc"
        mount --rbind /dev "$r/dev"
        mount -t tmpfs tmpfs "$r/dev/shm"
        mount -t tmpfs tmpfs "$r/tmp"
        cd "$r"
        mkdir -p .host
        pivot_root . .host
        umount -l /.host
        rmdir /.host
        cd /root/ondrik
        exec env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin bash -c "$2"
    ' inside "$fresh" "$command" >"$log" 2>&1
}

status=0
for step in "run-example.sh" "test.sh"; do
    step_started=$SECONDS
    rc=0
    if [ "$step" = test.sh ]; then
        inside own-network "$work/$step.log" "bash scripts/$step" || rc=$?
    else
        inside "$work/$step.log" "bash scripts/$step" || rc=$?
    fi
    echo
    echo "== bash scripts/$step: exit code $rc, $((SECONDS - step_started)) s; its last lines:"
    tail -n 12 "$work/$step.log"
    [ "$rc" -eq 0 ] || status=1
done
# The suite's own verdict, as CI reads it.
tail -n 1 "$work/test.sh.log" | grep -qE '^[0-9]+ passed, 0 failed$' || status=1
echo
echo "fresh machine: $([ "$status" -eq 0 ] && echo "both commands passed" || echo "FAILED") in $((SECONDS - started)) s"
exit "$status"
