#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, test, fuzz, run and package Velmora: the
# mingw-w64 cross compilers for both widths (Win32 thread model), CMake, GoogleTest's sources, Wine,
# Xvfb, ImageMagick for screenshots and xdotool for the headless demo's clicks and keys, clang with
# its libFuzzer runtime, and zip for the release package; and 32-bit Wine (wine32:i386, with the
# i386 architecture) where the kernel runs i386 programs, which the i386 loader of libc6-i386 shows;
# and the Russian and Japanese UTF-8 locales, in which the tests of other code pages run.
# Does nothing when everything is there; quiet otherwise.
set -euo pipefail

packages=(
  cmake make g++ googletest
  g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32
  wine wine64 xvfb xauth imagemagick xdotool
  clang libclang-rt-14-dev
  zip libc6-i386 locales
)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
install() {
  echo "Installing: $*"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] || install "${missing[@]}"

# 32-bit Wine runs the 32-bit build's tests. Only where the kernel runs i386 programs: elsewhere the
# architecture would only add packages that cannot run (scripts/runs-i386.sh then says why).
if ! installed wine32:i386 && /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
  install wine32:i386
fi

# Wine takes the ANSI code page from the locale variables, but names files on the Unix side in the
# locale's own character set, which is UTF-8 only where the locale has been generated.
for locale in ru_RU ja_JP; do
  locale -a 2>/dev/null | grep -qix "$locale.utf-\?8" || $sudo localedef -i "$locale" -f UTF-8 "$locale.UTF-8"
done
