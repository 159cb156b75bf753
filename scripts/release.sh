#!/usr/bin/env bash
# Builds the release of Velmora, both widths, and packs it for its users:
#   scripts/release.sh
# The result, build/release/Velmora-<version>.zip, holds one folder "Velmora" with Velmora.exe (the
# 32-bit build, the program users start), Velmora64.exe beside it (the 64-bit build, which
# Velmora.exe starts on 64-bit Windows), the Grafiken folder and LIESMICH.txt, the German read-me
# (Windows-1252 with CRLF line ends, made from packaging/LIESMICH.txt). Each width is built in a
# release folder of its own (build/release-x86, build/release-x64) with the toolchain file that the
# tests use (Win32 thread model, the C++ runtime linked statically).
#
# The package is reproducible: the same commit gives the same bytes. SOURCE_DATE_EPOCH, by default
# the time of the last commit, is the program's build date, the time stamp in the file header of
# both programs and the time of every file in the archive; the files go in in a fixed order,
# without owner, extra attributes or time zone. The packed programs are stripped of their symbols.
#
# Afterwards the archive is checked: its listing; that Velmora.exe is a 32-bit and Velmora64.exe a
# 64-bit Windows GUI program, each stamped with SOURCE_DATE_EPOCH and importing nothing but
# Windows' own DLLs; and that Velmora.exe imports nothing that Windows XP SP3 lacks.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"

fail() { echo "release: $*" >&2; exit 1; }

version=$(sed -n 's/^project(Velmora VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || fail "no version in CMakeLists.txt"
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null) ||
    fail "not a git checkout: set SOURCE_DATE_EPOCH to the release's time (seconds since 1970)"
fi
export SOURCE_DATE_EPOCH

# Both release builds. The build date is stamped anew, from SOURCE_DATE_EPOCH.
release_build() {  # <folder> <x86|x64>
  "$root/scripts/configure.sh" "$1" "$2" -DVELMORA_TESTS=OFF
  rm -f "$1/generated/build_date.cpp"
  cmake --build "$1" -j "$(nproc)" --target Velmora
}
x86=$build/release-x86
x64=$build/release-x64
release_build "$x86" x86
release_build "$x64" x64

# The package's folder: everything with the same time and plain permissions.
out=$build/release
stage=$out/stage
folder=Velmora
rm -rf "$stage"
mkdir -p "$stage/$folder/Grafiken"
# strip writes SOURCE_DATE_EPOCH as the header's time stamp, where the linker wrote the time of the link.
i686-w64-mingw32-strip --strip-all -o "$stage/$folder/Velmora.exe" "$x86/bin/Velmora.exe"
x86_64-w64-mingw32-strip --strip-all -o "$stage/$folder/Velmora64.exe" "$x64/bin/Velmora.exe"
cp "$root"/Grafiken/* "$stage/$folder/Grafiken/"
iconv -f UTF-8 -t CP1252 "$root/packaging/LIESMICH.txt" | sed 's/$/\r/' >"$stage/$folder/LIESMICH.txt"
find "$stage" -type d -exec chmod 0755 {} +
find "$stage" -type f -exec chmod 0644 {} +
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

# Files only, sorted bytewise; times as UTC; no extra fields (owner, access and change times).
zip_file=$out/Velmora-$version.zip
(cd "$stage" && find "$folder" -type f | LC_ALL=C sort) >"$out/listing.expected"
rm -f "$zip_file"
(cd "$stage" && TZ=UTC zip -X -D -9 -q "$zip_file" -@ <"$out/listing.expected")

# Checks of what was packed, read back from the archive.
cmake -E tar tf "$zip_file" >"$out/listing.actual"
diff -u "$out/listing.expected" "$out/listing.actual" >&2 || fail "the archive's listing differs from the package folder"

check=$out/check
rm -rf "$check"
mkdir -p "$check"
(cd "$check" && cmake -E tar xf "$zip_file")
stamp=$(TZ=UTC date -d "@$SOURCE_DATE_EPOCH" '+%a %b %e %H:%M:%S %Y')
# Every DLL that a bare Windows 7 has in its system folder and that Velmora may use.
windows_dlls=" advapi32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll shell32.dll user32.dll "
# check_program <file> <objdump file format> <what it must be>: prints the DLLs it imports.
check_program() {
  local name headers imports dll
  name=$(basename "$1")
  headers=$(TZ=UTC x86_64-w64-mingw32-objdump -p "$1")
  grep -q "file format $2\$" <<<"$headers" || fail "$name is not a $3 ($2)"
  grep -q '^Subsystem.*(Windows GUI)' <<<"$headers" || fail "$name is not a Windows GUI program"
  grep -q "^Time/Date[[:space:]]*$stamp\$" <<<"$headers" ||
    fail "the time stamp of $name is not SOURCE_DATE_EPOCH ($stamp)"
  imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | LC_ALL=C sort -u)
  [ -n "$imports" ] || fail "no imports found in $name"
  for dll in $imports; do
    [[ $windows_dlls == *" $dll "* ]] || fail "$name imports $dll, which Windows does not bring"
  done
  paste -sd ' ' <<<"$imports"
}
imports32=$(check_program "$check/$folder/Velmora.exe" pei-i386 "32-bit Windows program")
imports64=$(check_program "$check/$folder/Velmora64.exe" pei-x86-64 "64-bit Windows program")
"$root/scripts/check-imports.sh" "$check/$folder/Velmora.exe" >/dev/null || fail "Velmora.exe would not load on Windows XP"

echo
echo "Package: $zip_file"
echo "  $(sha256sum "$zip_file" | cut -d' ' -f1)  (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH)"
sed 's/^/  /' "$out/listing.actual"
echo "Velmora.exe: 32-bit Windows GUI program; imports $imports32"
echo "Velmora64.exe: 64-bit Windows GUI program; imports $imports64"
