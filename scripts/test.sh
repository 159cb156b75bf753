#!/usr/bin/env bash
# Builds Velmora and runs every test, on a fresh Debian 12 machine or a developer's:
#   1. the 64-bit Windows build (program, fixtures, tests, benchmarks) with mingw-w64;
#   2. the 32-bit Windows build with the release's compilers and options, its tests included; it
#      must compile and link without a warning and import nothing that Windows XP SP3 lacks
#      (scripts/check-imports.sh);
#   3. the logic that needs no Windows, natively with AddressSanitizer and UBSan, and its tests;
#   4. the same logic under clang's libFuzzer, each harness of tests/fuzz for a bounded time
#      (VELMORA_FUZZ_SECONDS, 20 by default; 0 skips the step), from its seeds in tests/fuzz/corpus;
#   5. the 64-bit build's tests in a 64-bit Windows 7 prefix (Wine's 64-bit loader);
#   6. the 32-bit build's tests in a 32-bit Windows 7 prefix (Wine's 32-bit loader);
#   7. the 32-bit build's tests of the two roads, the two widths and single instance in a 64-bit
#      prefix, under WOW64 (the 32-bit loader; the 64-bit build's programs beside it);
#   8. the 32-bit build's refusal of Windows XP in a 32-bit prefix set to Windows XP.
# Every Wine step gets a fresh prefix on a private Xvfb display (scripts/with-wine.sh). Where the
# machine cannot run 32-bit Windows programs (scripts/runs-i386.sh), steps 6 to 8 say so and why,
# and so does the last line. Build folders: build/ below the project (VELMORA_BUILD_DIR overrides).
# A fault that a fuzzer finds stops the run; the input that shows it is kept in build/fuzz/crashes/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
jobs=$(nproc)
fuzz_seconds=${VELMORA_FUZZ_SECONDS:-20}

"$root/scripts/install-deps.sh"

# Each step prints the seconds since the start; the last lines sum up the seconds of each step.
step_names=()
step_starts=()
step() {
  printf '\n== %s (at %d s)\n' "$*" "$SECONDS"
  step_names+=("$*")
  step_starts+=("$SECONDS")
}
step_times() {
  local i end
  for i in "${!step_names[@]}"; do
    end=${step_starts[$((i + 1))]:-$SECONDS}
    printf '%6d s  %s\n' $((end - step_starts[i])) "${step_names[$i]}"
  done
}
configure() {  # <folder> <cmake arguments...>
  local folder=$1
  shift
  # A folder that no longer configures (made with other compilers than the toolchain file now
  # names, say) is made afresh.
  if [ -f "$folder/CMakeCache.txt" ] && cmake -S "$root" -B "$folder" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null 2>&1; then
    return 0
  fi
  rm -rf "$folder"
  cmake -S "$root" -B "$folder" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
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

# A Wine step: wine_tests <session name> <with-wine.sh options...> -- <build folder> <ctest arguments...>
# runs the build's tests in a fresh session whose prefix and home are build/wine/<session name>.
wine_tests() {
  local name=$1 options=()
  shift
  while [ "$1" != "--" ]; do options+=("$1"); shift; done
  local folder=$2
  shift 2
  "$root/scripts/with-wine.sh" "${options[@]}" "$build/wine/$name" -- \
    ctest --test-dir "$folder" --output-on-failure --no-tests=error --timeout 300 -j "$jobs" "$@"
}

step "64-bit Windows build"
configure "$build/x64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake" -DVELMORA_TESTS=ON
cmake --build "$build/x64" -j "$jobs"

step "32-bit Windows build, with the release's compilers and options"
configure "$build/x86" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake" -DVELMORA_TESTS=ON \
  -DVELMORA_PARTNER_BIN="$build/x64/bin"
cmake --build "$build/x86" -j "$jobs"
"$root/scripts/check-imports.sh" "$build/x86/bin/Velmora.exe"

step "Native build of the Windows-free logic, with sanitizers"
configure "$build/native" -DVELMORA_SANITIZE=ON
cmake --build "$build/native" -j "$jobs"
ctest --test-dir "$build/native" --output-on-failure --no-tests=error --timeout 120 -j "$jobs"

step "Fuzzing the Windows-free logic, $fuzz_seconds s per harness"
if [ "$fuzz_seconds" = 0 ]; then
  echo "skipped: VELMORA_FUZZ_SECONDS=0"
elif ! fuzzer_available; then
  echo "skipped: clang with its libFuzzer runtime is not available here (scripts/install-deps.sh installs it)"
else
  configure "$build/fuzz" -DVELMORA_FUZZ=ON -DVELMORA_TESTS=OFF \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
  cmake --build "$build/fuzz" -j "$jobs"
  harnesses=("$build"/fuzz/bin/*_fuzz)
  [ -x "${harnesses[0]}" ] || { echo "no fuzz harness was built" >&2; exit 1; }
  for harness in "${harnesses[@]}"; do
    fuzz "$harness"
  done
fi

# Tests that need a prefix of another Windows carry its label and run only there.
other_windows=windows_xp

step "Tests under Wine: the 64-bit build in a 64-bit Windows 7 prefix"
wine_tests x64-win7-64 -- "$build/x64" -LE "$other_windows"

step "Tests under Wine: the 32-bit build in a 32-bit Windows 7 prefix"
if [ -n "$no_i386" ]; then
  echo "$no_i386"
else
  wine_tests x86-win7-32 --arch win32 -- "$build/x86" -LE "$other_windows"
fi

step "Tests under Wine: the 32-bit build in a 64-bit Windows 7 prefix (WOW64), the roads, both widths, single instance"
if [ -n "$no_i386" ]; then
  echo "$no_i386"
else
  wine_tests x86-win7-wow64 --arch win64 -- "$build/x86" -LE "$other_windows" -R '^(Roads|Widths|SingleInstance)\.'
fi

step "Tests under Wine: the 32-bit build in a 32-bit Windows XP prefix, the refusal"
if [ -n "$no_i386" ]; then
  echo "$no_i386"
else
  wine_tests x86-winxp-32 --arch win32 --windows winxp -- "$build/x86" -L windows_xp
fi

printf '\n== Seconds per step\n'
step_times
if [ -n "$no_i386" ]; then
  printf '\n== Every step that ran passed, in %d s; %s\n' "$SECONDS" "$no_i386"
else
  printf '\n== Every step passed, in %d s\n' "$SECONDS"
fi
