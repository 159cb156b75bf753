#!/usr/bin/env bash
# Builds Velmora and runs every test, on a fresh Debian 12 machine or a developer's:
#   1. the 64-bit Windows build (program, fixtures, tests) with mingw-w64;
#   2. the 32-bit Windows release build, which must compile and link without a warning;
#   3. the logic that needs no Windows, natively with AddressSanitizer and UBSan, and its tests;
#   4. every Windows test under Wine, in a fresh prefix on a private Xvfb display.
# Build folders: build/ below the project (VELMORA_BUILD_DIR overrides).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
jobs=$(nproc)

"$root/scripts/install-deps.sh"

step() { printf '\n== %s\n' "$*"; }
configure() {  # <folder> <cmake arguments...>
  local folder=$1
  shift
  cmake -S "$root" -B "$folder" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
}

step "64-bit Windows build"
configure "$build/x64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake"
cmake --build "$build/x64" -j "$jobs"

step "32-bit Windows release build"
configure "$build/x86" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake" -DVELMORA_TESTS=OFF
cmake --build "$build/x86" -j "$jobs"

step "Native build of the Windows-free logic, with sanitizers"
configure "$build/native" -DVELMORA_SANITIZE=ON
cmake --build "$build/native" -j "$jobs"
ctest --test-dir "$build/native" --output-on-failure --timeout 120 -j "$jobs"

step "Tests under Wine"
"$root/scripts/with-wine.sh" "$build/x64/wine" -- \
  ctest --test-dir "$build/x64" --output-on-failure --timeout 300 -j "$jobs"
