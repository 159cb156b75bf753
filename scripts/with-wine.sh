#!/usr/bin/env bash
# Runs a command inside a private Wine session and tears the session down afterwards:
#   scripts/with-wine.sh [--display] [--arch win64|win32] [--dpi N] [--locale L] <state folder> -- <command...>
# The state folder receives a fresh HOME and WINEPREFIX (anything there before is removed), so the
# run never touches ~/.wine or the user's files. Because it is emptied, it must lie below the build
# folder (build/ of the project, or VELMORA_BUILD_DIR), and a folder that is already there must be
# one this script made (it leaves a mark in it): any other folder is refused, nothing is removed. An Xvfb server is started on a free display unless
# --display is given and DISPLAY is set, in which case that display is used. Afterwards the prefix's
# wineserver (with every Windows process of the prefix) and the Xvfb server are stopped; nothing
# else on the machine is touched. The exit code is the command's.
#
# --arch win64 (the default) makes a 64-bit Windows prefix; with 32-bit Wine installed it runs
# 32-bit programs too, under WOW64. --arch win32 makes a 32-bit Windows prefix, which runs 32-bit
# programs only. A fresh prefix reports Windows 7.
# --dpi 120 or 144 sets the prefix's DPI (Windows' 125 % and 150 %; 96 by default) before the command
# runs; --locale ru_RU.UTF-8 (or ja_JP.UTF-8, ...) runs the session in that locale, from which Wine
# takes the ANSI code page (1251, 932, ...; 1252 by default).
# The command finds in its environment:
#   WINE        the loader of the prefix's own width, for wineboot, cmd and programs of that width
#               (/usr/lib/wine/wine64 in a 64-bit prefix, /usr/lib/wine/wine in a 32-bit one)
#   WINE32      the 32-bit loader, for 32-bit programs in either prefix (unset without 32-bit Wine)
#   WINESERVER  the prefix's server; WINEPREFIX, WINEARCH, HOME, DISPLAY
set -euo pipefail

usage() {
  echo "usage: $0 [--display] [--arch win64|win32] [--dpi N] [--locale L] <state folder> -- <command...>" >&2
  exit 2
}
use_display=0
arch=win64
dpi=""
locale=""
while [ $# -gt 0 ]; do
  case $1 in
    --display) use_display=1; shift ;;
    --arch) [ $# -ge 2 ] || usage; arch=$2; shift 2 ;;
    --dpi) [ $# -ge 2 ] && [[ $2 =~ ^[0-9]+$ ]] || usage; dpi=$2; shift 2 ;;
    --locale) [ $# -ge 2 ] || usage; locale=$2; shift 2 ;;
    *) break ;;
  esac
done
[ $# -ge 3 ] && [ "$2" = "--" ] || usage
state=$1
shift 2

wine_dir=/usr/lib/wine
export WINESERVER=$wine_dir/wineserver
unset WINE32
[ -x "$wine_dir/wine" ] && export WINE32=$wine_dir/wine
case $arch in
  win64) export WINE=$wine_dir/wine64 ;;
  win32)
    [ -n "${WINE32:-}" ] || { echo "with-wine.sh: a 32-bit prefix needs 32-bit Wine ($wine_dir/wine)" >&2; exit 1; }
    export WINE=$WINE32 ;;
  *) usage ;;
esac
export WINEARCH=$arch

root=$(cd "$(dirname "$0")/.." && pwd)
mark=.velmora-wine-session
refuse() { echo "with-wine.sh: refusing $state: $*; nothing was removed" >&2; exit 2; }
# The absolute path, also of a folder that does not exist yet, without symbolic links.
absolute=$(realpath -m -- "$state")
allowed=""
for build in "$root/build" ${VELMORA_BUILD_DIR:+"$VELMORA_BUILD_DIR"}; do
  build=$(realpath -m -- "$build")
  [[ $absolute == "$build"/?* ]] && allowed=1
done
[ -n "$allowed" ] || refuse "it does not lie below the build folder ($root/build or VELMORA_BUILD_DIR)"
# Sessions made before the mark existed are known by their prefix and home folder.
if [ -e "$absolute" ] && [ ! -e "$absolute/$mark" ] && [ -n "$(ls -A -- "$absolute" 2>/dev/null)" ] &&
   ! { [ -d "$absolute/prefix" ] && [ -d "$absolute/home" ]; }; then
  refuse "it holds files, and this script did not make it"
fi
rm -rf -- "$absolute"
mkdir -p "$absolute/home"
: >"$absolute/$mark"
state=$absolute
export HOME=$state/home
export WINEPREFIX=$state/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine takes the ANSI code page from the locale variables, even where Linux lacks that locale.
if [ -n "$locale" ]; then
  export LANG=$locale LC_ALL=$locale
fi
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

# A fresh prefix of the asked width, its services settled, and a persistent primed wineserver so
# that each Windows program of the command starts in a fraction of a second.
"$WINE" wineboot -i >/dev/null 2>&1
"$WINESERVER" -w
# The DPI is read when the session starts: set, then the session begun anew.
if [ -n "$dpi" ]; then
  "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f </dev/null >/dev/null 2>&1
  "$WINESERVER" -k
  "$WINESERVER" -w
fi
"$WINESERVER" -p
# A program that crashes ends at once, with Wine's backtrace on its output, instead of waiting for
# an answer to Wine's crash dialog that nobody gives on a private display (which kept a crashed test
# until its time limit, and the Velmora it had started running into the next tests). This also
# starts the primed server's first program.
"$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
  </dev/null >/dev/null 2>&1 || true
# Under WOW64 the 32-bit side of the prefix is primed too.
if [ "$arch" = win64 ] && [ -n "${WINE32:-}" ]; then
  "$WINE32" cmd /c exit </dev/null >/dev/null 2>&1 || true
fi

set +e
"$@"
status=$?
set -e
exit $status
