#!/usr/bin/env bash
# Builds every part: the native tests (build/native), the i686 product Ondrik.exe
# (build/win32) and its x86_64 twin (build/win64), each Windows build with its Wine test
# client and benchmarks. Installs what is missing first. Names of configurations (native,
# win64, win32) build those alone; --target NAME builds one target of them (Ondrik).
# The images' link time is the commit's (SOURCE_DATE_EPOCH, unless already set), so that
# one commit builds the same bytes wherever it is built (scripts/check-reproducible.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && commit_time=$(git -C "$root" log -1 --format=%ct 2>/dev/null); then
    export SOURCE_DATE_EPOCH=$commit_time
fi
jobs=$(nproc)
configs=()
targets=()
while [ $# -gt 0 ]; do
    if [ "$1" = --target ]; then targets+=(--target "$2"); shift 2; else configs+=("$1"); shift; fi
done
[ ${#configs[@]} -gt 0 ] || configs=(native win64 win32)
for config in "${configs[@]}"; do
    case $config in
        native) options=(-DCMAKE_BUILD_TYPE=Debug) ;;
        win64) options=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake") ;;
        win32) options=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake") ;;
        *) echo "build.sh: no configuration $config (native, win64, win32)" >&2; exit 2 ;;
    esac
    cmake -S "$root" -B "$root/build/$config" "${options[@]}" >/dev/null
    cmake --build "$root/build/$config" -j "$jobs" "${targets[@]}" >/dev/null
done
