#!/usr/bin/env bash
# Runs one Windows test program for ctest: scripts/wine-test.sh <Wine loader> <program> [arguments...]
# The toolchain files name it as the emulator of the Windows builds. The program's output goes to a
# file and is passed on when the program has ended. Wine starts its desktop process (explorer.exe)
# from the first program that needs the desktop, and that process inherits the program's standard
# output: had it been ctest's pipe, ctest would wait for its end until the desktop is idle, which in
# a run of tests side by side may be never, and count a test that passed as timed out.
set -u
loader=$1
shift
output=$(mktemp "${TMPDIR:-/tmp}/velmora-test.XXXXXX")
"$loader" "$@" >"$output" 2>&1 </dev/null
status=$?
cat "$output"
# A crash ends the program through Wine's debugger, which may leave the exit code 0.
if [ $status -eq 0 ] && grep -q '^wine: Unhandled ' "$output"; then
  echo "wine-test.sh: the program crashed" >&2
  status=1
fi
rm -f "$output"
exit $status
