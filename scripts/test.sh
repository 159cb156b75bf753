#!/usr/bin/env bash
# Builds Velmora and runs every test, on a fresh Debian 12 machine or a developer's:
#   1. the 64-bit Windows build (program, fixtures, tests) with mingw-w64;
#   2. the 32-bit Windows release build, which must compile and link without a warning and import
#      nothing that Windows XP SP3 lacks (scripts/check-imports.sh);
#   3. the logic that needs no Windows, natively with AddressSanitizer and UBSan, and its tests;
#   4. the same logic under clang's libFuzzer, each harness of tests/fuzz for a bounded time
#      (VELMORA_FUZZ_SECONDS, 20 by default; 0 skips the step), from its seeds in tests/fuzz/corpus;
#   5. every Windows test under Wine, in a fresh prefix on a private Xvfb display.
# Build folders: build/ below the project (VELMORA_BUILD_DIR overrides). A fault that a fuzzer
# finds stops the run; the input that shows it is kept in build/fuzz/crashes/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
jobs=$(nproc)
fuzz_seconds=${VELMORA_FUZZ_SECONDS:-20}

"$root/scripts/install-deps.sh"

step() { printf '\n== %s (at %d s)\n' "$*" "$SECONDS"; }
configure() {  # <folder> <cmake arguments...>
  local folder=$1
  shift
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

step "64-bit Windows build"
configure "$build/x64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake"
cmake --build "$build/x64" -j "$jobs"

step "32-bit Windows release build"
configure "$build/x86" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake" -DVELMORA_TESTS=OFF
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

step "Tests under Wine"
"$root/scripts/with-wine.sh" "$build/x64/wine" -- \
  ctest --test-dir "$build/x64" --output-on-failure --no-tests=error --timeout 300 -j "$jobs"

printf '\n== Every step passed, in %d s\n' "$SECONDS"
