#!/usr/bin/env bash
# Checks that a 32-bit Velmora.exe would load on Windows XP SP3, where it must start far enough to
# refuse the system with its own message: every function it imports must be on the list of
# functions that XP SP3's system DLLs export (packaging/xp-imports.txt). The loader of an older
# Windows refuses an exe that imports anything else before a line of the program runs.
#   scripts/check-imports.sh <Velmora.exe> [list]
# Prints every import that is not on the list and exits with 1 then; 0 when all are known.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$1
list=${2:-$root/packaging/xp-imports.txt}

# In the import tables, "DLL Name: KERNEL32.dll" starts a DLL's block and each line
# "<vma> <hint> <name>" of the block names a function. DLL names are compared without regard to
# case, as the loader does.
imports=$(i686-w64-mingw32-objdump -p "$exe" |
  awk '/^The Import Tables/ { tables = 1; next }
       /^The / { tables = 0 }
       tables && /^[[:space:]]*DLL Name:/ { dll = toupper($3); next }
       tables && dll != "" && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll " " $3 }' |
  LC_ALL=C sort -u)
[ -n "$imports" ] || { echo "check-imports: no imported functions found in $exe" >&2; exit 1; }
known=$(grep -v -E '^[[:space:]]*(#|$)' "$list" | awk '{ print toupper($1) " " $2 }' | LC_ALL=C sort -u)

unknown=$(LC_ALL=C comm -23 <(printf '%s\n' "$imports") <(printf '%s\n' "$known"))
if [ -n "$unknown" ]; then
  echo "Velmora.exe imports functions that Windows XP SP3 is not known to export:" >&2
  sed 's/^/  /' <<<"$unknown" >&2
  echo "(add one to $list only after checking that XP SP3 has it)" >&2
  exit 1
fi
echo "Velmora.exe: all $(wc -l <<<"$imports") imported functions exist in Windows XP SP3"
