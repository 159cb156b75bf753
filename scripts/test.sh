#!/usr/bin/env bash
# Builds Velmora and runs every test, on a fresh Debian 12 machine or a developer's:
#   1. the 64-bit Windows build (program, fixtures, tests, benchmarks) with mingw-w64;
#   2. the 32-bit Windows build with the release's compilers and options, its tests included; it
#      must compile and link without a warning and import nothing that Windows XP SP3 lacks
#      (scripts/check-imports.sh);
#   3. the layers' includes (scripts/check-layers.sh), and the logic that needs no Windows, natively
#      with AddressSanitizer and UBSan, and its tests;
#   4. the same logic under clang's libFuzzer, each harness of tests/fuzz for a bounded time
#      (VELMORA_FUZZ_SECONDS, 20 by default; 0 skips the step), from its seeds in tests/fuzz/corpus;
#   5. the 64-bit build's tests in a 64-bit Windows 7 prefix (Wine's 64-bit loader);
#   6. the 32-bit build's tests in a 32-bit Windows 7 prefix (Wine's 32-bit loader);
#   7. the 32-bit build's tests labelled wow64 (the road, the widths, one copy per session) in a
#      64-bit prefix, under WOW64, with the 64-bit build's programs beside them;
#   8. the 64-bit build's tests labelled setups (the about window's layout, the menu's place, its
#      pictures and every text of the program) in a 64-bit prefix at 125 % (120 DPI) whose ANSI code
#      page is Russian (1251);
#   9. the 32-bit build's tests labelled setups in a 32-bit prefix at 150 % (144 DPI) whose ANSI code
#      page is Japanese (932).
# The Wine steps run side by side, each in a fresh prefix on a private Xvfb display of its own
# (scripts/with-wine.sh): steps 5 and 8 as soon as the 64-bit build is there, steps 6, 7 and 9 once
# the 32-bit build is, while steps 3 and 4 run. A Wine step's output is kept in build/logs/ and printed when
# the step has ended. Where the machine cannot run 32-bit Windows programs (scripts/runs-i386.sh),
# steps 6 and 7 say so and why, and so does the last line. Build folders: build/ below the project
# (VELMORA_BUILD_DIR overrides). A fault that a fuzzer finds stops the run; the input that shows it
# is kept in build/fuzz/crashes/. Every test program sets its tests' time limits itself.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
jobs=$(nproc)
fuzz_seconds=${VELMORA_FUZZ_SECONDS:-20}
logs=$build/logs

"$root/scripts/install-deps.sh"
rm -rf "$logs"
mkdir -p "$logs"

# Steps and their times: a step's start and end in seconds since the start of the command.
step_names=()
step_starts=()
step_ends=()
begin_step() {  # <name>: a step in the foreground
  [ ${#step_names[@]} -eq 0 ] || end_foreground_step
  printf '\n== %s (at %d s)\n' "$1" "$SECONDS"
  step_names+=("$1")
  step_starts+=("$SECONDS")
  step_ends+=("")
  foreground=$((${#step_names[@]} - 1))
}
foreground=""
end_foreground_step() {
  [ -z "$foreground" ] || step_ends[$foreground]=$SECONDS
  foreground=""
}

# Background steps: each runs in a process group of its own (so that an early end of this command
# ends it with everything it started), writes its output to a log and, at its end, its exit code
# and the time.
background_pids=()
background_steps=()
start_background_step() {  # <name> <command...>
  local name=$1 index=${#step_names[@]}
  shift
  printf '\n== %s: started at %d s, its output follows when it has ended\n' "$name" "$SECONDS"
  step_names+=("$name")
  step_starts+=("$SECONDS")
  step_ends+=("")
  # The step's shell leads its own process group and writes the group's number first.
  setsid bash -c 'echo $$ >"$1.group"; "${@:3}" >"$1" 2>&1; status=$?; echo "$status $(date +%s)" >"$2"; exit $status' \
    step "$logs/$index.log" "$logs/$index.end" "$@" &
  background_pids+=($!)
  background_steps+=("$index")
}
stop_background_steps() {
  local index group
  for index in "${background_steps[@]}"; do
    [ -f "$logs/$index.end" ] && continue
    group=$(cat "$logs/$index.log.group" 2>/dev/null) && kill -TERM -- "-$group" 2>/dev/null || true
  done
  wait 2>/dev/null || true
}
trap stop_background_steps EXIT
started_at=$(date +%s)
# Waits for every background step in the order they started, prints its output, and fails when
# one failed (after all have been printed).
finish_background_steps() {
  local i pid index status failed=()
  end_foreground_step
  for i in "${!background_pids[@]}"; do
    pid=${background_pids[$i]}
    index=${background_steps[$i]}
    status=0
    wait "$pid" || status=$?
    local ended
    ended=$(cut -d' ' -f2 "$logs/$index.end" 2>/dev/null || date +%s)
    step_ends[$index]=$((ended - started_at))
    printf '\n== %s (from %d s to %d s): %s\n' "${step_names[$index]}" "${step_starts[$index]}" \
      "${step_ends[$index]}" "$([ $status = 0 ] && echo passed || echo "FAILED with exit code $status")"
    cat "$logs/$index.log"
    [ $status = 0 ] || failed+=("${step_names[$index]}")
  done
  background_pids=()
  background_steps=()
  if [ ${#failed[@]} -gt 0 ]; then
    printf '\n== Failed: %s\n' "${failed[@]}" >&2
    exit 1
  fi
}
step_times() {
  local i
  for i in "${!step_names[@]}"; do
    printf '%6d s  %s (from %d s)\n' $((step_ends[i] - step_starts[i])) "${step_names[$i]}" "${step_starts[$i]}"
  done
}

# Whether clang can build and link a libFuzzer program with both sanitizers here.
fuzzer_available() {
  command -v clang++ >/dev/null 2>&1 || return 1
  local probe=$build/fuzz-probe
  mkdir -p "$probe"
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' \
    >"$probe/probe.cpp"
  clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" >/dev/null 2>&1
}

# Runs one harness over its seeds and what earlier runs found (build/fuzz/corpus/<name>).
fuzz() {  # <harness program>
  local program=$1 name
  name=$(basename "$program" _fuzz)
  local seeds=$root/tests/fuzz/corpus/$name work=$build/fuzz/corpus/$name log=$build/fuzz/$name.log
  local options=(-max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048
                 -artifact_prefix="$build/fuzz/crashes/$name-")
  [ -f "$root/tests/fuzz/$name.dict" ] && options+=(-dict="$root/tests/fuzz/$name.dict")
  mkdir -p "$work" "$build/fuzz/crashes"
  if "$program" "${options[@]}" "$work" "$seeds" >"$log" 2>&1; then
    printf '%-16s %s\n' "$name" "$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1)"
  else
    tail -n 40 "$log" >&2
    echo "$name: the fuzzer found a fault; its input is in $build/fuzz/crashes/" >&2
    return 1
  fi
}

# Whether 32-bit Windows programs run here; "" when they do, else why not.
no_i386=$("$root/scripts/runs-i386.sh") || true
[ -z "$no_i386" ] || no_i386="the 32-bit tests did not run: $no_i386"

# A Wine step in the background: wine_tests <step name> <session name> <with-wine.sh options...> --
# <build folder> <ctest arguments...> runs the build's tests in a fresh session whose prefix and
# home are build/wine/<session name>.
wine_tests() {
  local step_name=$1 name=$2 options=()
  shift 2
  while [ "$1" != "--" ]; do options+=("$1"); shift; done
  local folder=$2
  shift 2
  if [ -n "$no_i386" ] && [[ " ${options[*]} " == *" --arch win32 "* || $folder == *x86 ]]; then
    printf '\n== %s\n%s\n' "$step_name" "$no_i386"
    return 0
  fi
  start_background_step "$step_name" "$root/scripts/with-wine.sh" "${options[@]}" "$build/wine/$name" -- \
    ctest --test-dir "$folder" --output-on-failure --no-tests=error -j "$jobs" "$@"
}

begin_step "64-bit Windows build"
"$root/scripts/configure.sh" "$build/x64" x64 -DVELMORA_TESTS=ON
cmake --build "$build/x64" -j "$jobs"

wine_tests "Tests under Wine: the 64-bit build in a 64-bit Windows 7 prefix" x64-win7-64 -- "$build/x64"
wine_tests "Tests under Wine: the 64-bit build at 125 % with code page 1251, the tests labelled setups" \
  x64-win7-120dpi-1251 --dpi 120 --locale ru_RU.UTF-8 -- "$build/x64" -L setups

begin_step "32-bit Windows build, with the release's compilers and options"
"$root/scripts/configure.sh" "$build/x86" x86 -DVELMORA_TESTS=ON -DVELMORA_PARTNER_BIN="$build/x64/bin"
cmake --build "$build/x86" -j "$jobs"
"$root/scripts/check-imports.sh" "$build/x86/bin/Velmora.exe"
end_foreground_step

wine_tests "Tests under Wine: the 32-bit build in a 32-bit Windows 7 prefix" x86-win7-32 --arch win32 -- "$build/x86"
# Tests labelled wow64 run in the Windows 7 prefixes and, in addition, under WOW64.
wine_tests "Tests under Wine: the 32-bit build in a 64-bit Windows 7 prefix (WOW64), the tests labelled wow64" \
  x86-win7-wow64 --arch win64 -- "$build/x86" -L wow64
wine_tests "Tests under Wine: the 32-bit build at 150 % with code page 932, the tests labelled setups" \
  x86-win7-144dpi-932 --arch win32 --dpi 144 --locale ja_JP.UTF-8 -- "$build/x86" -L setups

begin_step "Native build of the Windows-free logic, with sanitizers"
"$root/scripts/check-layers.sh"
"$root/scripts/configure.sh" "$build/native" native -DVELMORA_SANITIZE=ON
cmake --build "$build/native" -j "$jobs"
ctest --test-dir "$build/native" --output-on-failure --no-tests=error -j "$jobs"

begin_step "Fuzzing the Windows-free logic, $fuzz_seconds s per harness"
if [ "$fuzz_seconds" = 0 ]; then
  echo "skipped: VELMORA_FUZZ_SECONDS=0"
elif ! fuzzer_available; then
  echo "skipped: clang with its libFuzzer runtime is not available here (scripts/install-deps.sh installs it)"
else
  "$root/scripts/configure.sh" "$build/fuzz" fuzz
  cmake --build "$build/fuzz" -j "$jobs"
  harnesses=("$build"/fuzz/bin/*_fuzz)
  [ -x "${harnesses[0]}" ] || { echo "no fuzz harness was built" >&2; exit 1; }
  for harness in "${harnesses[@]}"; do
    fuzz "$harness"
  done
fi

finish_background_steps

printf '\n== Seconds per step (the Wine steps ran beside the others)\n'
step_times
if [ -n "$no_i386" ]; then
  printf '\n== Every step that ran passed, in %d s; %s\n' "$SECONDS" "$no_i386"
else
  printf '\n== Every step passed, in %d s\n' "$SECONDS"
fi
