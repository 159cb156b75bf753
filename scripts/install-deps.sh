#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, test, fuzz, run and package Velmora: the
# mingw-w64 cross compilers, CMake, GoogleTest's sources, Wine (64-bit), Xvfb, ImageMagick for
# screenshots and xdotool for the headless demo's clicks and keys, clang with its libFuzzer runtime, and zip for the release package. Does nothing when
# everything is there; quiet otherwise.
set -euo pipefail

packages=(
  cmake make g++ googletest
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-win32
  wine wine64 xvfb xauth imagemagick xdotool
  clang libclang-rt-14-dev
  zip
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
