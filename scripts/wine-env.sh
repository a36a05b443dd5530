# Sourced by the scripts that run Wine: a private 64-bit prefix inside the build tree,
# made on first use, with the null display driver and nothing written to the desktop.
#
# The tests run the x86_64 build under wine64: the hosts these scripts run on execute
# 64-bit Linux code only, so Wine's 32-bit side (wine32) cannot start there.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${ONDRIK_WINEPREFIX:-$root/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG=-all
export WINELOADER=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY ftp_proxy no_proxy NO_PROXY all_proxy ALL_PROXY DISPLAY
WINE="$WINELOADER"
BUILD="$root/build/win64"
# Where the server is installed inside the prefix: a suite tree.
SERVER_DIR="$WINEPREFIX/drive_c/Suite/Eseguibili/Server"
SERVER_WIN='C:\Suite\Eseguibili\Server\Ondrik.exe'

wine_prefix_ready() {
    if [ ! -f "$WINEPREFIX/.ondrik-ready" ]; then
        rm -rf "$WINEPREFIX"
        mkdir -p "$(dirname "$WINEPREFIX")"
        "$WINE" wineboot -i >/dev/null 2>&1 || true
        "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        wine_server -w
        touch "$WINEPREFIX/.ondrik-ready"
    fi
}

# Copies the freshly built server into the suite tree of the prefix and registers it.
wine_install_server() {
    mkdir -p "$SERVER_DIR"
    cp "$BUILD/Ondrik.exe" "$SERVER_DIR/Ondrik.exe"
    "$WINE" "$SERVER_WIN" /regserver
}

# Makes the prefix, installs and registers the server, and ends the prefix's processes
# when the calling script exits, whatever happens.
wine_start() {
    trap wine_stop EXIT
    wine_prefix_ready
    wine_install_server
}

# Runs this prefix's wineserver with the given options (-w waits for its processes to end).
wine_server() { "$WINESERVER" "$@"; }

# Ends every process of this prefix (and only of this prefix).
wine_stop() { wine_server -k >/dev/null 2>&1 || true; }
