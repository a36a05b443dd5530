#!/usr/bin/env bash
# Builds every part: the native tests (build/native), the i686 product Ondrik.exe
# (build/win32) and its x86_64 twin (build/win64), each Windows build with its Wine test
# client and benchmarks. Installs what is missing first.
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
cmake --build "$root/build/win32" -j "$jobs" >/dev/null
