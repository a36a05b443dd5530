#!/usr/bin/env bash
# Builds every part: the native tests (build/native), the x86_64 server with its Wine
# tests and benchmarks (build/win64, what runs here) and the i686 product Ondrik.exe
# (build/win32). Installs what is missing first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
jobs=$(nproc)
configure() { cmake -S "$root" -B "$root/build/$1" "${@:2}" >/dev/null; }
configure native -DCMAKE_BUILD_TYPE=Debug
cmake --build "$root/build/native" -j "$jobs" >/dev/null
configure win64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake"
cmake --build "$root/build/win64" -j "$jobs" >/dev/null
configure win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
cmake --build "$root/build/win32" --target Ondrik -j "$jobs" >/dev/null
