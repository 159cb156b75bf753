#!/usr/bin/env bash
# Runs every benchmark of the 64-bit Windows build under Wine and gathers their figures:
#   scripts/bench.sh
# The build is configured and brought up to date first. All benchmarks share one fresh Wine
# prefix on a private display (scripts/with-wine.sh). A benchmark prints result lines
#   BENCH<TAB>name<TAB>value<TAB>unit
# and anything else it likes; everything is shown as it comes. At the end the figures of all
# benchmarks are printed as one Markdown table, which is also saved to build/bench.md.
# The exit code is 1 when a benchmark failed or none exists.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
x64=$build/x64

# Inside the Wine session: run each benchmark, keep its output beside the build.
if [ "${1:-}" = "--run-inside-wine" ]; then
  output=$2
  status=0
  for program in "$x64"/bin/*_bench.exe; do
    name=$(basename "$program" .exe)
    printf '\n== %s\n' "$name"
    if ! "$WINE" "$program" </dev/null 2>&1 | tr -d '\r' | tee "$output/$name.txt"; then
      echo "$name failed" >&2
      status=1
    fi
  done
  exit $status
fi

if [ ! -f "$x64/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$x64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake" >/dev/null
fi
cmake --build "$x64" -j2

shopt -s nullglob
programs=("$x64"/bin/*_bench.exe)
if [ ${#programs[@]} -eq 0 ]; then
  echo "no benchmark in $x64/bin" >&2
  exit 1
fi

output=$build/bench-output
rm -rf "$output"
mkdir -p "$output"
status=0
"$root/scripts/with-wine.sh" "$build/bench-wine" -- "$0" --run-inside-wine "$output" || status=1

table=$build/bench.md
{
  echo "| benchmark | figure | unit |"
  echo "|---|---|---|"
  for program in "${programs[@]}"; do
    name=$(basename "$program" .exe)
    [ -f "$output/$name.txt" ] || continue
    # A "|" inside a field would end the table cell.
    awk -F '\t' '$1 == "BENCH" && NF >= 4 {
      for (i = 2; i <= 4; ++i) gsub(/\|/, "\\|", $i)
      printf "| %s | %s | %s |\n", $2, $3, $4
    }' "$output/$name.txt"
  done
} > "$table"

printf '\n'
cat "$table"
printf '\n(saved to %s)\n' "$table"
exit $status
