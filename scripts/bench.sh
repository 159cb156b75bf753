#!/usr/bin/env bash
# Runs the benchmarks under Wine, for both widths, and gathers their figures:
#   scripts/bench.sh
# Every benchmark of the 64-bit build runs in a fresh 64-bit prefix; the click, rebuild and
# start-to-first-menu benchmarks of the 32-bit build (the release's compilers and options) run in a
# fresh 32-bit Windows 7 prefix, where the 32-bit build serves its users itself (on 64-bit Windows
# it hands over to the 64-bit one). Each session is private, on its own display
# (scripts/with-wine.sh), and the builds are brought up to date first. A benchmark prints result
# lines
#   BENCH<TAB>name<TAB>value<TAB>unit
# and anything else it likes; everything is shown as it comes. At the end one Markdown table sums
# up the figures that matter most side by side (64-bit | 32-bit), with the machine they were
# measured on, followed by the figures of all benchmarks; both are also saved to build/bench.md.
# Where this machine cannot run 32-bit programs (scripts/runs-i386.sh), the 32-bit column says so.
# Environment: VELMORA_SKIP_LONG_RUN=1 leaves out the 10-minute idle run of soak_bench (the table
# says so); VELMORA_LONG_RUN_SECONDS sets its length; VELMORA_BENCH_ONLY="idle_bench click_bench"
# runs only those benchmarks and builds the table with the figures saved by earlier runs.
# The exit code is 1 when a benchmark failed or none exists.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
x64=$build/x64
x86=$build/x86
wine_dir=/usr/lib/wine
# The benchmarks of the 32-bit build.
benches_32="click_bench rebuild_bench startup_bench"

# Inside a Wine session, "--run-inside-wine <output folder> <bin folder> [names]": runs each benchmark
# of the bin folder (only the named ones when names are given) with the prefix's own loader and
# keeps its output.
if [ "${1:-}" = "--run-inside-wine" ]; then
  output=$2
  bin=$3
  names=${4:-}
  status=0
  ls "$bin"/*_bench.exe >/dev/null 2>&1 || { echo "no benchmark in $bin" >&2; exit 1; }
  for program in "$bin"/*_bench.exe; do
    name=$(basename "$program" .exe)
    if [ -n "$names" ] && [[ " $names " != *" $name "* ]]; then
      continue
    fi
    if [ -n "${VELMORA_BENCH_ONLY:-}" ] && [[ " $VELMORA_BENCH_ONLY " != *" $name "* ]]; then
      continue
    fi
    printf '\n== %s (%s)\n' "$name" "$(basename "$output")"
    if ! "$WINE" "$program" </dev/null 2>&1 | tr -d '\r' | tee "$output/$name.txt"; then
      echo "$name failed" >&2
      status=1
    fi
  done
  exit $status
fi

# Both builds with their benchmarks (which come with the tests), brought up to date.
"$root/scripts/configure.sh" "$x64" x64 -DVELMORA_TESTS=ON
cmake --build "$x64" -j "$(nproc)"
"$root/scripts/configure.sh" "$x86" x86 -DVELMORA_TESTS=ON -DVELMORA_PARTNER_BIN="$x64/bin"
cmake --build "$x86" -j "$(nproc)"

shopt -s nullglob
programs=("$x64"/bin/*_bench.exe)
if [ ${#programs[@]} -eq 0 ]; then
  echo "no benchmark in $x64/bin" >&2
  exit 1
fi
no_i386=$("$root/scripts/runs-i386.sh") || true

output=$build/bench-output
[ -n "${VELMORA_BENCH_ONLY:-}" ] || rm -rf "$output"
mkdir -p "$output/x64" "$output/x86"
status=0
"$root/scripts/with-wine.sh" "$build/wine/bench-64" -- "$0" --run-inside-wine "$output/x64" "$x64/bin" || status=1
if [ -z "$no_i386" ]; then
  "$root/scripts/with-wine.sh" --arch win32 "$build/wine/bench-32" -- \
    "$0" --run-inside-wine "$output/x86" "$x86/bin" "$benches_32" || status=1
else
  echo "The 32-bit benchmarks did not run: $no_i386"
fi

# The figures of one width, from the outputs of its benchmarks.
gather() {  # <output folder>
  local file
  for file in "$1"/*_bench.txt; do
    awk -F '\t' '$1 == "BENCH" && NF >= 4' "$file"
  done
}
figures64=$output/x64/all-figures.tsv
figures32=$output/x86/all-figures.tsv
gather "$output/x64" >"$figures64"
gather "$output/x86" >"$figures32"

# fig <name>: "<value> <unit>" of one figure of the width in $figures, or "-" when no benchmark
# printed it.
fig() {
  awk -F '\t' -v name="$1" '$2 == name { value = $3; unit = ($4 == "-" ? "" : " " $4) }
    END { if (value == "") print "-"; else print value unit }' "$figures"
}
# cell <names...>: the figures joined by " / "; "-" when none of them was measured.
cell() {
  local name value text="" measured=0
  for name; do
    value=$(fig "$name")
    [ "$value" = "-" ] || measured=1
    text+="${text:+ / }$value"
  done
  if [ $measured = 1 ]; then echo "$text"; else echo "-"; fi
}
idle_cpu() {
  if [ "$(fig 'idle 20 s: Velmora CPU')" = "-" ]; then echo "-"; else
    echo "$(fig 'idle 20 s: Velmora CPU') ($(fig 'idle 20 s: Velmora CPU share of one core'))"; fi
}
# row <figure> <function> [arguments...]: one line of the table, the 64-bit column then the 32-bit one.
row() {
  local label=$1 column32
  shift
  if [ -n "$no_i386" ]; then column32="not run"; else column32=$(figures=$figures32 "$@"); fi
  echo "| $label | $(figures=$figures64 "$@") | $column32 |"
}
bytes() {  # <file>: its size, or a note that it is missing
  if [ -f "$1" ]; then printf "%s bytes" "$(stat -c %s "$1")"; else printf "not built"; fi
}

table=$build/bench.md
{
  echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //'), $("$wine_dir/wine64" --version 2>/dev/null || echo 'Wine ?'), $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo
  echo "| figure | 64-bit | 32-bit |"
  echo "|---|---|---|"
  idle='click to menu, 1,000 entries, idle'
  busy='click to menu, 1,000 entries, rebuilds back to back'
  row "click to menu, 1,000 entries, idle: median / 95th percentile / worst of 50 clicks" cell "$idle: median" "$idle: 95th percentile" "$idle: worst"
  row "click to menu while rebuilds of 1,000 entries run back to back: median / 95th percentile / worst" cell "$busy: median" "$busy: 95th percentile" "$busy: worst"
  row "click to menu: worst during rebuilds against the idle 95th percentile (goal: at most 2)" cell 'click to menu: worst during rebuilds / idle 95th percentile'
  row "bare TrackPopupMenu of the same menu: median / 95th percentile" cell 'click to menu, bare TrackPopupMenu: median' 'click to menu, bare TrackPopupMenu: 95th percentile'
  row "the hook's look at the window under the cursor (WindowFromPoint and its root), per left press inside the button" cell 'hook: the window under the cursor and its root, per press in the button'
  row "start to first menu, no entries / 200 / 1,000 / 10,000 entries" cell start_to_first_menu_0 start_to_first_menu_200 start_to_first_menu_1000 start_to_first_menu_10000
  row "start to first menu beyond the start of a Wine process, 200 entries (goal: under 1 s) / 1,000 entries" cell start_to_first_menu_beyond_process_start_200 start_to_first_menu_beyond_process_start_1000
  row "start to pictured menu, 200 / 1,000 / 10,000 entries" cell start_to_pictured_menu_200 start_to_pictured_menu_1000 start_to_pictured_menu_10000
  row "start to first menu against start to pictured menu, 200 / 1,000 / 10,000 entries (goal: at most 0.3)" cell start_first_to_pictured_menu_200 start_first_to_pictured_menu_1000 start_first_to_pictured_menu_10000
  row "full rebuild (scan, icons, menu), 1,000 / 10,000 entries of 20 icons: to its plain menu / to its pictured menu" cell rebuild_whole_plain_menu_1000 rebuild_whole_1000 rebuild_whole_plain_menu_10000 rebuild_whole_10000
  row "full rebuild: 10,000 against 1,000 (goal: at most 11)" cell rebuild_whole_ratio_10000_to_1000
  row "rebuild after one shortcut added, 1,000 / 10,000 entries, against the full rebuild (goal: at most 0.1)" cell rebuild_one_added_1000 rebuild_one_added_against_first_build_1000 rebuild_one_added_10000 rebuild_one_added_against_first_build_10000
  row "rebuild after every shortcut changed, 1,000 / 10,000 entries: to its plain menu / to its pictured menu / against the full rebuild" cell rebuild_all_changed_plain_menu_1000 rebuild_all_changed_1000 rebuild_all_changed_against_first_build_1000 rebuild_all_changed_plain_menu_10000 rebuild_all_changed_10000 rebuild_all_changed_against_first_build_10000
  row "entries without a picture / live GDI objects after the 10,000-entry rebuild" cell entries_without_picture_10000 live_gdi_objects_10000
  row "longest wait of a message to the rebuilding thread, 1,000 entries (goal: under 100 ms) / without handling messages between entries" cell rebuild_message_wait_longest_1000 rebuild_message_wait_longest_unhandled_1000
  row "message handling during a rebuild of 1,000 entries: looks / their time / their share of the rebuild (goal: within 2 %)" cell rebuild_message_looks_1000 rebuild_message_look_time_1000 rebuild_message_look_share_1000
  row "rebuild of 1,000 entries handling messages / without: median of 9 each, taken in turns / their ratio / spread of the runs without" cell rebuild_with_messages_1000 rebuild_without_messages_1000 rebuild_messages_cost_ratio_1000 rebuild_without_messages_spread_1000
  row "the shell's small icon against its image-list index, by path / the index as the rebuild asks for it: median per shortcut" cell shell_icon_lookup_1000 shell_index_lookup_1000 fetch_entry_icon_1000
  row "about window: first opening / replacing an open one / replacing without Wine's wait for a window manager" cell about_window_first_open about_window_replace about_window_replace_unmanaged
  row "one watcher pass, 10,000 files" cell catalogue_watcher_pass_10000
  row "one watcher pass, 50,000 files" cell catalogue_watcher_pass_50000
  row "idle 20 s: CPU of Velmora (share of one core)" idle_cpu
  row "idle 20 s: CPU of the Wine server beside Velmora / beside a sleeping process" cell 'idle 20 s: wineserver CPU beside Velmora' 'idle 20 s: wineserver CPU beside the sleeper'
  row "live images after rebuild 2 / after rebuild 200 (same tree), entry pictures among them; questions to the shell per rebuild" cell '200 rebuilds: live images after rebuild 2' '200 rebuilds: live images after rebuild 200' '200 rebuilds: questions to the shell per rebuild'
  row "live start menus after rebuild 2 / after rebuild 200" cell '200 rebuilds: start menus alive after rebuild 2' '200 rebuilds: start menus alive after rebuild 200'
  row "live GDI objects after rebuild 2 / after rebuild 200" cell '200 rebuilds: live GDI objects after rebuild 2' '200 rebuilds: live GDI objects after rebuild 200'
  row "200 rebuilds: private memory growth / handle growth (recording build)" cell '200 rebuilds: private memory growth' '200 rebuilds: handle growth'
  row "long run: idle duration$( [ "${VELMORA_SKIP_LONG_RUN:-}" ] && echo ' (VELMORA_SKIP_LONG_RUN set)')" cell 'long run: duration'
  row "long run: private memory at start / at end / growth (under Wine: resident anonymous memory)" cell 'long run: private memory at start' 'long run: private memory at end' 'long run: private memory growth'
  row "long run: handles at start / at end / growth" cell 'long run: handles at start' 'long run: handles at end' 'long run: handle growth'
  echo "| Velmora.exe as built here (unstripped) | $(bytes "$x64/bin/Velmora.exe") | $(bytes "$x86/bin/Velmora.exe") |"
  echo "| as released, stripped: Velmora64.exe / Velmora.exe (scripts/release.sh) | $(bytes "$build/release/stage/Velmora/Velmora64.exe") | $(bytes "$build/release/stage/Velmora/Velmora.exe") |"
  echo
  if [ -n "$no_i386" ]; then
    echo "The 32-bit benchmarks did not run: $no_i386."
  else
    echo "The 32-bit column: the click, rebuild and start-to-first-menu benchmarks, in a 32-bit Windows 7 prefix; \"-\" marks what only the 64-bit run measures."
  fi
  echo
  echo "All figures:"
  echo
  echo "| benchmark | figure | unit | width |"
  echo "|---|---|---|---|"
  # A "|" inside a field would end the table cell.
  for width in 64 32; do
    figures_file=$figures64
    [ $width = 64 ] || figures_file=$figures32
    awk -F '\t' -v width="$width-bit" '{
      for (i = 2; i <= 4; ++i) gsub(/\|/, "\\|", $i)
      printf "| %s | %s | %s | %s |\n", $2, $3, $4, width
    }' "$figures_file"
  done
} > "$table"

printf '\n'
cat "$table"
printf '\n(saved to %s)\n' "$table"
exit $status
