#!/usr/bin/env bash
# Whether this machine runs 32-bit Windows programs under Wine: exits with 0 and says nothing when
# it does; otherwise prints why not, in one line, and exits with 1.
#   scripts/runs-i386.sh
# It needs a kernel that runs i386 programs (where it cannot, the i386 loader of libc6-i386 fails
# with "Exec format error") and Wine's 32-bit loader (package wine32:i386, which
# scripts/install-deps.sh installs only where the kernel runs i386 programs).
set -uo pipefail
i386_loader=/lib/ld-linux.so.2
wine32=/usr/lib/wine/wine

if [ ! -e "$i386_loader" ]; then
  echo "the i386 loader $i386_loader (package libc6-i386) is not installed, so it is not known whether the kernel runs i386 programs"
  exit 1
fi
if ! answer=$("$i386_loader" --version 2>&1 >/dev/null); then
  echo "the kernel does not run i386 programs ($i386_loader --version: ${answer##*: })"
  exit 1
fi
if [ ! -x "$wine32" ]; then
  echo "32-bit Wine is not installed ($wine32 is missing; package wine32:i386)"
  exit 1
fi
exit 0
