# Sourced by the scripts that run Wine: a private prefix inside the build tree, made on
# first use, with the null display driver and nothing written to the desktop.
#
# ONDRIK_ARCH chooses the build that runs:
#   win32  the i686 product (build/win32) in a 32-bit prefix (build/wineprefix32), under
#          Wine's 32-bit side in the qemu-user emulator (scripts/wine32, set up by
#          scripts/wine32-setup.sh): these hosts execute no 32-bit code themselves;
#   win64  its x86_64 twin (build/win64) in a 64-bit prefix (build/wineprefix) under wine64;
#   wow64  the i686 product (build/win32) in a 64-bit prefix with its 32-bit side
#          (build/wineprefix-wow64), as on 64-bit Windows: its clients are the 64-bit ones
#          of build/win64, under wine64, and 32-bit ones under the emulator; every process
#          runs in the emulator's namespace (scripts/wine-wow64).
# BUILD is the build of the clients (the Wine test client, the early-bound example, the
# benchmarks), SERVER_BUILD that of the server; only wow64 tells them apart.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export ONDRIK_ARCH="${ONDRIK_ARCH:-win64}"
export WINEDEBUG=-all
export WINESERVER=/usr/lib/wine/wineserver64
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY ftp_proxy no_proxy NO_PROXY all_proxy ALL_PROXY DISPLAY
if [ "$ONDRIK_ARCH" = win32 ]; then
    export WINEPREFIX="${ONDRIK_WINEPREFIX:-$root/build/wineprefix32}"
    export WINEARCH=win32
    export WINELOADER="$root/.cache/wine32/root/usr/lib/wine/wine"
    WINE="$root/scripts/wine32"
    BUILD="$root/build/win32"
else
    export WINEPREFIX="${ONDRIK_WINEPREFIX:-$root/build/wineprefix}"
    export WINEARCH=win64
    export WINELOADER=/usr/lib/wine/wine64
    WINE="$WINELOADER"
    BUILD="$root/build/win64"
fi
if [ "$ONDRIK_ARCH" = wow64 ]; then
    export WINEPREFIX="${ONDRIK_WINEPREFIX:-$root/build/wineprefix-wow64}"
    WINE="$root/scripts/wine-wow64"
    SERVER_BUILD="$root/build/win32"
else
    SERVER_BUILD="$BUILD"
fi
# The prefix's own programs (64-bit in a 64-bit prefix), named by their full path: Wine
# starts a bare name through start.exe, which starts the program in a process of its own
# (two process starts for one client), and reports a start that failed as "ShellExecuteEx
# failed: Internal error." (the new process ended before its start was done).
SYSTEM32='C:\windows\system32'
# The script host of the clients; a 32-bit client in the wow64 prefix runs
# C:\windows\syswow64\cscript.exe.
CSCRIPT="${CSCRIPT:-$SYSTEM32\cscript.exe}"
# Where the server is installed inside the prefix: a suite tree.
SERVER_DIR="$WINEPREFIX/drive_c/Suite/Eseguibili/Server"
SERVER_WIN='C:\Suite\Eseguibili\Server\Ondrik.exe'

# A configuration's prefix is booted once: the first is kept as it stood after its boot
# (build/prefix-template-ARCH), and every later fresh prefix of the configuration (the
# package scenario's own, or one that was removed) starts as a copy of it. A boot takes
# half a minute under the emulator; a prefix names no path of its own, so its copy works
# where it lies. A ready prefix's wineserver is started at once (wine_server_up).
wine_prefix_ready() {
    wine_prefix_make
    wine_server_up
}
wine_prefix_make() {
    local template="$root/build/prefix-template-$ONDRIK_ARCH"
    if [ ! -f "$WINEPREFIX/.ondrik-ready" ]; then
        rm -rf "$WINEPREFIX"
        mkdir -p "$(dirname "$WINEPREFIX")"
        if [ -f "$template/.ondrik-ready" ]; then
            cp -a "$template" "$WINEPREFIX"
            return
        fi
        local zlib="$root/.cache/wine32/root/usr/i686-w64-mingw32/lib/zlib1.dll"
        if [ "$ONDRIK_ARCH" = wow64 ]; then
            # wineboot fills syswow64 only when told where the 32-bit DLLs lie; every later
            # process runs without it (with it, wine64 runs 32-bit programs in its own
            # experimental mode, where the server does not start): the prefix's processes,
            # which inherit it, end with the boot.
            WINEDLLPATH="$root/.cache/wine32/root/usr/lib/i386-linux-gnu/wine" "$WINE" wineboot -i >/dev/null 2>&1 || true
            wine_stop
            cp "$zlib" "$WINEPREFIX/drive_c/windows/syswow64/"
        else
            "$WINE" wineboot -i >/dev/null 2>&1 || true
        fi
        # Debian's i386 user32.dll needs zlib, which its Wine does not ship.
        if [ "$ONDRIK_ARCH" = win32 ]; then
            cp "$zlib" "$WINEPREFIX/drive_c/windows/system32/"
        fi
        "$WINE" "$SYSTEM32\\reg.exe" add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        touch "$WINEPREFIX/.ondrik-ready"
        # Copied only once every process of the boot has ended: the wineserver writes the
        # registry as it ends.
        rm -rf "$template"
        wine_wait 120 && cp -a "$WINEPREFIX" "$template"
    fi
}

# Copies the freshly built server into the suite tree of the prefix and registers it.
wine_install_server() {
    mkdir -p "$SERVER_DIR"
    cp "$SERVER_BUILD/Ondrik.exe" "$SERVER_DIR/Ondrik.exe"
    "$WINE" "$SERVER_WIN" /regserver
}

# Makes the prefix, installs and registers the server, and ends the prefix's processes
# when the calling script exits, whatever happens.
wine_start() {
    trap wine_stop EXIT
    wine_prefix_ready
    wine_install_server
}

# Runs this prefix's wineserver with the given options (-w waits for its processes to end);
# the 32-bit processes' one runs in their namespace, where they look for it.
wine_server() {
    if [ "$ONDRIK_ARCH" = win64 ]; then "$WINESERVER" "$@"; else "$WINE" --exec "$WINESERVER" "$@"; fi
}

# Starts this prefix's wineserver, unless one runs, with Wine's own default persistence of
# 3 s. Wine starts its server itself through the wineserver beside its loader, which on
# Debian is a script that passes -p0: such a server begins to end the instant the
# prefix's last program has ended. It closes its socket, tells the system processes to
# quit and exits 4 s later, whatever runs then. A program that connected in that instant
# is cut off before it runs ("wine client error:0: recvmsg: Connection reset by peer"),
# as a command of the package scenario once was, started right after the one before it;
# one that comes a moment later waits for a fresh server and its system processes. With
# the persistence, commands that follow one another share one server, as under upstream
# Wine. A server started so ends 3 s after the last program that ran; until one has run,
# it waits (wine_stop ends it).
wine_server_up() {
    [ -f "$WINEPREFIX/.ondrik-ready" ] || return 0
    wine_server -p3 >/dev/null 2>&1 # ends at once, status 2, when one runs already
    return 0
}

# Waits until every process of this prefix has ended, and its wineserver with them (3 s
# later: wine_server_up), at most the given seconds: under Wine a server whose client
# ended without letting go of its objects runs for ever. Fails when they have not ended
# by then.
wine_wait() {
    if [ "$ONDRIK_ARCH" = win64 ]; then
        timeout "$1" "$WINESERVER" -w
    else
        timeout "$1" "$WINE" --exec "$WINESERVER" -w
    fi
}

# Ends every process of this prefix (and only of this prefix), and waits until its
# wineserver has gone: "wineserver -k" returns while that server still ends, and a
# process started meanwhile attaches to it and is cut off as it leaves ("wine client
# error", or nothing run and exit code 1).
wine_stop() {
    wine_server -k >/dev/null 2>&1 || true
    wine_wait 30 >/dev/null 2>&1 && end_stranded
    return 0
}

# Under the emulator, the child of a fork in a process of many threads can deadlock before
# it runs its program: its thread waits for ever on a lock inside qemu-i386 itself (in its
# own data, not the guest's), which another thread of the parent held at the fork. Seen in
# services.exe starting a service during a prefix's boot: the boot, and every client
# waiting for it, never went on. Wine never learns of such a child, so "wineserver -k"
# leaves it running: once the wineserver has gone, an emulator process of this prefix
# left is one. Ends them, and names them on the standard error.
end_stranded() {
    [ "$ONDRIK_ARCH" = win64 ] && return 0
    local pid stranded=()
    for pid in $(pgrep -f -- "$root/.cache/wine32/qemu-i386 "); do
        tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && stranded+=("$pid")
    done
    [ ${#stranded[@]} -eq 0 ] && return 0
    for pid in "${stranded[@]}"; do
        echo "EMULATOR FAULT: process $pid ($(tr '\0' ' ' 2>/dev/null <"/proc/$pid/cmdline" | sed 's/.*\\//')) was left by a fork that deadlocked in qemu-i386 before its program ran; ended" >&2
    done
    kill -KILL "${stranded[@]}" 2>/dev/null
    return 0
}

# Runs a command (a scenario, a test program) for at most the given seconds; past that,
# ends it with every process of its process group (timeout's own), says so on the
# standard output and fails. A start that never completes (as end_stranded describes)
# would otherwise hold the test command for ever. It reads nothing: in a process group of
# its own, a process that touched the terminal would be stopped.
run_within() {
    local limit=$1 started=$SECONDS status
    shift
    timeout -k 10 "$limit" "$@" </dev/null
    status=$?
    if [ $status -eq 124 ] || { [ $status -eq 137 ] && [ $((SECONDS - started)) -ge "$limit" ]; }; then
        echo "FAILED: did not end within $limit s: $*"
    fi
    return $status
}

# The process IDs of this prefix's running servers (Ondrik.exe), told apart from other
# prefixes' by the prefix in their environment.
server_pids() {
    local pid
    for pid in $(pgrep -f 'Ondrik\.exe'); do
        tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
    done
    return 0 # whether or not the last process looked at was one of ours
}

# Waits until no server of this prefix runs, at most the given seconds: a server ends by
# itself once its last client has let go of it. Fails when one still runs then, and prints
# what runs.
servers_end_within() {
    local left
    for _ in $(seq 0 $(($1 * 10))); do
        left=$(server_pids)
        [ -z "$left" ] && return 0
        sleep 0.1
    done
    for pid in $left; do echo "$pid: $(tr '\0' ' ' 2>/dev/null <"/proc/$pid/cmdline")"; done
    return 1
}
