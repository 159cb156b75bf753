#!/usr/bin/env bash
# Configures one build folder of Velmora, the same way for every script that builds:
#   scripts/configure.sh <folder> <x64|x86|native|fuzz> [cmake arguments...]
# x64 and x86 are the Windows builds with the toolchain files of the release (mingw-w64, Win32 thread
# model, the C++ runtime linked statically); native is the Windows-free logic with the machine's
# compiler; fuzz is that logic under clang's libFuzzer. Always a Release build.
#
# A folder that CMake cannot configure again as asked is made afresh, and the script says why: CMake
# keeps the compilers a folder was first made with, so a folder made with other compilers than its
# kind now names (an older toolchain file, clang against g++) would stop with an error or, worse,
# build something else than the release.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

[ $# -ge 2 ] || { echo "usage: $0 <folder> <x64|x86|native|fuzz> [cmake arguments...]" >&2; exit 2; }
folder=$1
kind=$2
shift 2

arguments=(-DCMAKE_BUILD_TYPE=Release)
case $kind in
  x64) arguments+=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake") ;;
  x86) arguments+=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake") ;;
  native) ;;
  fuzz) arguments+=(-DVELMORA_FUZZ=ON -DVELMORA_TESTS=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  *) echo "$0: unknown kind of build: $kind" >&2; exit 2 ;;
esac
arguments+=("$@")

if [ -f "$folder/CMakeCache.txt" ]; then
  if errors=$(cmake -S "$root" -B "$folder" "${arguments[@]}" 2>&1 >/dev/null); then
    exit 0
  fi
  # CMake's own words: the lines after its "CMake Error at ..." line.
  reason=$(grep -m 1 -A 3 'CMake Error' <<<"$errors" | tail -n +2 | grep -v '^$' | sed 's/^ *//' | paste -sd ' ' || true)
  echo "$folder cannot be configured again as a $kind build (${reason:-cmake failed}): making it afresh"
  rm -rf "$folder"
fi
cmake -S "$root" -B "$folder" "${arguments[@]}" >/dev/null
