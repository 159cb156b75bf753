#!/usr/bin/env bash
# Runs a command inside a private Wine session and tears the session down afterwards:
#   scripts/with-wine.sh [--display] <state folder> -- <command> [arguments...]
# The state folder receives a fresh HOME and WINEPREFIX (anything there before is removed), so the
# run never touches ~/.wine or the user's files. An Xvfb server is started on a free display unless
# --display is given and DISPLAY is set, in which case that display is used. Afterwards the prefix's
# wineserver (with every Windows process of the prefix) and the Xvfb server are stopped; nothing
# else on the machine is touched. The exit code is the command's.
set -euo pipefail

use_display=0
if [ "${1:-}" = "--display" ]; then
  use_display=1
  shift
fi
[ $# -ge 3 ] && [ "$2" = "--" ] || { echo "usage: $0 [--display] <state folder> -- <command...>" >&2; exit 2; }
state=$1
shift 2

wine_dir=/usr/lib/wine
export WINE=$wine_dir/wine64
export WINESERVER=$wine_dir/wineserver

rm -rf "$state"
mkdir -p "$state/home"
state=$(cd "$state" && pwd)
export HOME=$state/home
export WINEPREFIX=$state/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export XDG_CACHE_HOME=$state/home/.cache XDG_CONFIG_HOME=$state/home/.config XDG_DATA_HOME=$state/home/.local/share

xvfb_pid=""
cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ $use_display -eq 0 ] || [ -z "${DISPLAY:-}" ]; then
  display_file=$state/display
  : > "$display_file"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do
    [ -s "$display_file" ] && break
    sleep 0.1
  done
  [ -s "$display_file" ] || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(head -n 1 "$display_file")"
fi

# A fresh prefix, its services settled, and a persistent primed wineserver so that each Windows
# program of the command starts in a fraction of a second.
"$WINE" wineboot -i >/dev/null 2>&1
"$WINESERVER" -w
"$WINESERVER" -p
"$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true

set +e
"$@"
status=$?
set -e
exit $status
