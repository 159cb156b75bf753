#!/usr/bin/env bash
# Runs every benchmark of the 64-bit Windows build under Wine and gathers their figures:
#   scripts/bench.sh
# The build is configured and brought up to date first. All benchmarks share one fresh Wine
# prefix on a private display (scripts/with-wine.sh). A benchmark prints result lines
#   BENCH<TAB>name<TAB>value<TAB>unit
# and anything else it likes; everything is shown as it comes. At the end one Markdown table sums
# up the figures that matter most, with the machine they were measured on, followed by the
# figures of all benchmarks; both are also saved to build/bench.md.
# Environment: VELMORA_SKIP_LONG_RUN=1 leaves out the 10-minute idle run of soak_bench (the table
# says so); VELMORA_LONG_RUN_SECONDS sets its length; VELMORA_BENCH_ONLY="idle_bench click_bench"
# runs only those benchmarks and builds the table with the figures saved by earlier runs.
# The exit code is 1 when a benchmark failed or none exists.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
x64=$build/x64
wine_dir=/usr/lib/wine

# Inside the Wine session: run each benchmark, keep its output beside the build.
if [ "${1:-}" = "--run-inside-wine" ]; then
  output=$2
  status=0
  for program in "$x64"/bin/*_bench.exe; do
    name=$(basename "$program" .exe)
    if [ -n "${VELMORA_BENCH_ONLY:-}" ] && [[ " $VELMORA_BENCH_ONLY " != *" $name "* ]]; then
      continue
    fi
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
[ -n "${VELMORA_BENCH_ONLY:-}" ] || rm -rf "$output"
mkdir -p "$output"
status=0
"$root/scripts/with-wine.sh" "$build/bench-wine" -- "$0" --run-inside-wine "$output" || status=1

figures=$output/all-figures.tsv
for program in "${programs[@]}"; do
  name=$(basename "$program" .exe)
  [ -f "$output/$name.txt" ] || continue
  awk -F '\t' '$1 == "BENCH" && NF >= 4' "$output/$name.txt"
done > "$figures"

# fig <name>: "<value> <unit>" of one figure, or "-" when no benchmark printed it.
fig() {
  awk -F '\t' -v name="$1" '$2 == name { value = $3; unit = ($4 == "-" ? "" : " " $4) }
    END { if (value == "") print "-"; else print value unit }' "$figures"
}
bytes() {  # <file>: its size, or a note that it is missing
  if [ -f "$1" ]; then printf "%s bytes" "$(stat -c %s "$1")"; else printf "no such build"; fi
}

table=$build/bench.md
{
  echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //'), $("$wine_dir/wine64" --version 2>/dev/null || echo 'Wine ?'), $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo
  echo "| figure | value |"
  echo "|---|---|"
  idle='click to menu, 1,000 entries, idle'
  busy='click to menu, 1,000 entries, rebuilds back to back'
  echo "| click to menu, 1,000 entries, idle: median / 95th percentile / worst of 50 clicks | $(fig "$idle: median") / $(fig "$idle: 95th percentile") / $(fig "$idle: worst") |"
  echo "| click to menu while rebuilds of 1,000 entries run back to back: median / 95th percentile / worst | $(fig "$busy: median") / $(fig "$busy: 95th percentile") / $(fig "$busy: worst") |"
  echo "| click to menu: worst during rebuilds against the idle 95th percentile (goal: at most 2) | $(fig 'click to menu: worst during rebuilds / idle 95th percentile') |"
  echo "| bare TrackPopupMenu of the same menu: median / 95th percentile | $(fig 'click to menu, bare TrackPopupMenu: median') / $(fig 'click to menu, bare TrackPopupMenu: 95th percentile') |"
  echo "| start to first menu, no entries / 200 / 1,000 entries | $(fig start_to_first_menu_0) / $(fig start_to_first_menu_200) / $(fig start_to_first_menu_1000) |"
  echo "| start to first menu beyond the start of a Wine process, 200 entries (goal: under 1 s) / 1,000 entries | $(fig start_to_first_menu_beyond_process_start_200) / $(fig start_to_first_menu_beyond_process_start_1000) |"
  echo "| full rebuild (scan, icons, menu), 1,000 / 10,000 entries of 20 icons | $(fig rebuild_whole_1000) / $(fig rebuild_whole_10000) |"
  echo "| full rebuild: 10,000 against 1,000 (goal: at most 11) | $(fig rebuild_whole_ratio_10000_to_1000) |"
  echo "| entries without a picture / live GDI objects after the 10,000-entry rebuild | $(fig entries_without_picture_10000) / $(fig live_gdi_objects_10000) |"
  echo "| the shell's small icon against its image-list index, by path / the index as the rebuild asks for it: median per shortcut | $(fig shell_icon_lookup_1000) / $(fig shell_index_lookup_1000) / $(fig fetch_entry_icon_1000) |"
  echo "| about window: first opening / replacing an open one / replacing without Wine's wait for a window manager | $(fig about_window_first_open) / $(fig about_window_replace) / $(fig about_window_replace_unmanaged) |"
  echo "| one watcher pass, 10,000 files | $(fig catalogue_watcher_pass_10000) |"
  echo "| one watcher pass, 50,000 files | $(fig catalogue_watcher_pass_50000) |"
  echo "| idle 20 s: CPU of Velmora (share of one core) | $(fig 'idle 20 s: Velmora CPU') ($(fig 'idle 20 s: Velmora CPU share of one core')) |"
  echo "| idle 20 s: CPU of the Wine server beside Velmora / beside a sleeping process | $(fig 'idle 20 s: wineserver CPU beside Velmora') / $(fig 'idle 20 s: wineserver CPU beside the sleeper') |"
  echo "| live images after rebuild 2 / after rebuild 200 (same tree) | $(fig '200 rebuilds: live images after rebuild 2') / $(fig '200 rebuilds: live images after rebuild 200') |"
  echo "| live start menus after rebuild 2 / after rebuild 200 | $(fig '200 rebuilds: start menus alive after rebuild 2') / $(fig '200 rebuilds: start menus alive after rebuild 200') |"
  echo "| live GDI objects after rebuild 2 / after rebuild 200 | $(fig '200 rebuilds: live GDI objects after rebuild 2') / $(fig '200 rebuilds: live GDI objects after rebuild 200') |"
  echo "| 200 rebuilds: private memory growth / handle growth (recording build) | $(fig '200 rebuilds: private memory growth') / $(fig '200 rebuilds: handle growth') |"
  echo "| long run: idle duration | $(fig 'long run: duration')$( [ "${VELMORA_SKIP_LONG_RUN:-}" ] && echo ' (VELMORA_SKIP_LONG_RUN set)') |"
  echo "| long run: private memory at start / at end / growth (under Wine: resident anonymous memory) | $(fig 'long run: private memory at start') / $(fig 'long run: private memory at end') / $(fig 'long run: private memory growth') |"
  echo "| long run: handles at start / at end / growth | $(fig 'long run: handles at start') / $(fig 'long run: handles at end') / $(fig 'long run: handle growth') |"
  echo "| Velmora.exe, 64-bit build here | $(bytes "$x64/bin/Velmora.exe") |"
  echo "| Velmora.exe, 32-bit release build | $(bytes "$build/x86/bin/Velmora.exe") |"
  echo
  echo "All figures:"
  echo
  echo "| benchmark | figure | unit |"
  echo "|---|---|---|"
  # A "|" inside a field would end the table cell.
  awk -F '\t' '{
    for (i = 2; i <= 4; ++i) gsub(/\|/, "\\|", $i)
    printf "| %s | %s | %s |\n", $2, $3, $4
  }' "$figures"
} > "$table"

printf '\n'
cat "$table"
printf '\n(saved to %s)\n' "$table"
exit $status
