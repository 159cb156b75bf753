#!/usr/bin/env bash
# Runs Velmora under Wine as its users get it, beside a stand-in taskbar, in a fresh private 64-bit
# Wine prefix whose start menu holds a few of Wine's own programs: the release package's Velmora.exe
# (32-bit) with Velmora64.exe beside it, which Velmora.exe starts on 64-bit Windows. Where this
# machine cannot run 32-bit programs (scripts/runs-i386.sh), the 64-bit build runs instead. The
# first line says which.
#   With a display (DISPLAY set): interactive. Click "Start" at the bottom-left; choose
#     "Velmora beenden" in the menu to end the demo.
#   Without one (or with VELMORA_HEADLESS=1): on a private Xvfb display the demo opens the menu and
#     the about window by itself, takes screenshots into build/screenshots/ and ends.
# VELMORA_DPI=120 or 144 runs the prefix at 125 % or 150 % (96 DPI, 100 %, by default); the
# screenshots' names then end in "-120dpi" or "-144dpi".
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}
stage=$build/demo/Velmora

if [ "${1:-}" != "--inside" ]; then
  "$root/scripts/install-deps.sh"
  mkdir -p "$build/demo"
  # The stand-in taskbar comes from the 64-bit test build.
  "$root/scripts/configure.sh" "$build/x64" x64 -DVELMORA_TESTS=ON
  rm -rf "$stage"
  if no_i386=$("$root/scripts/runs-i386.sh"); then
    cmake --build "$build/x64" -j "$(nproc)" --target fake_shell >/dev/null
    # Velmora as users download it: the release package, unpacked.
    "$root/scripts/release.sh" >"$build/demo/release.log" 2>&1 || { cat "$build/demo/release.log" >&2; exit 1; }
    (cd "$build/demo" && cmake -E tar xf "$(ls "$build"/release/Velmora-*.zip)")
    echo "Demo: the release's Velmora.exe (32-bit) with Velmora64.exe beside it, in a 64-bit prefix"
  else
    # Velmora as a user has it: the program and its Grafiken folder, nothing else.
    cmake --build "$build/x64" -j "$(nproc)" --target Velmora fake_shell >/dev/null
    mkdir -p "$stage"
    cp "$build/x64/bin/Velmora.exe" "$stage/"
    cp -r "$root/Grafiken" "$stage/"
    echo "Demo: the 64-bit build's Velmora.exe, in a 64-bit prefix ($no_i386)"
  fi

  options=()
  if [ -n "${DISPLAY:-}" ] && [ "${VELMORA_HEADLESS:-0}" != "1" ]; then
    options=(--display)
  fi
  [ -z "${VELMORA_DPI:-}" ] || options+=(--dpi "$VELMORA_DPI")
  exec "$root/scripts/with-wine.sh" "${options[@]}" "$build/demo/wine" -- "$0" --inside
fi

# Inside the Wine session.
bin=$build/x64/bin
shots=$build/screenshots
headless=0
[ -s "$build/demo/wine/display" ] && headless=1  # with-wine.sh started a private Xvfb
# The 32-bit Velmora.exe of the release runs with the 32-bit loader; it starts Velmora64.exe itself.
loader=$WINE
[ -f "$stage/Velmora64.exe" ] && loader=$WINE32

# Waits up to 30 s for a line of a log, or for a visible window of Velmora's with that title (its
# menu has none).
wait_for_line() { for _ in $(seq 300); do grep -qa "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done; return 1; }
wait_for_window() {  # <title> [tries of 0.1 s, 300 by default]
  for _ in $(seq "${2:-300}"); do
    for window in $(xdotool search --onlyvisible --class '^velmora(64)?\.exe$' 2>/dev/null); do
      [ "$(xdotool getwindowname "$window")" = "$1" ] && return 0
    done
    sleep 0.1
  done
  return 1
}

"$WINE" cscript.exe //nologo "Z:${root//\//\\}\\scripts\\demo-start-menu.vbs" >/dev/null
rm -f "$build/demo/shell.log"
"$WINE" "$bin/fake_shell.exe" "$build/demo/shell.log" &
shell=$!
wait_for_line "$build/demo/shell.log" ready
# Whether a Velmora process of this prefix runs: Velmora.exe hands over to Velmora64.exe and ends.
velmora_runs() {
  local process
  for process in /proc/[0-9]*; do
    tr '\0' '\n' <"$process/cmdline" 2>/dev/null | grep -qiE '(^|[\\/])velmora(64)?\.exe$' &&
      tr '\0' '\n' <"$process/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}
# Until no Velmora process runs; at most <seconds> when given.
wait_for_velmora_end() {
  local waited=0
  while velmora_runs; do
    [ -z "${1:-}" ] || [ $waited -lt $(($1 * 2)) ] || return 1
    sleep 0.5
    waited=$((waited + 1))
  done
}

(cd "$stage" && exec "$loader" Velmora.exe) &
velmora=$!

if [ $headless -eq 0 ]; then
  echo "Velmora runs. Click \"Start\" at the bottom-left of the screen; \"Velmora beenden\" ends the demo."
  wait $velmora || true
  wait_for_velmora_end
  kill $shell 2>/dev/null || true
  exit 0
fi

mkdir -p "$shots"
suffix=${VELMORA_DPI:+-${VELMORA_DPI}dpi}
shoot() {  # <name> <crop geometry>
  local name=$1$suffix
  import -window root -display "$DISPLAY" "$shots/$name-screen.png"
  convert "$shots/$name-screen.png" -crop "$2" +repage "$shots/$name.png"
  echo "screenshot: $shots/$name.png"
}
# The crop geometry around Velmora's visible windows of that title ("" for its menus), 10 pixels
# wider on every side; with "down", down to the bottom of the screen and from its left edge, so
# that the taskbar's button is in the picture too.
around_windows() {  # <title> [down]
  local window X Y WIDTH HEIGHT left=100000 top=100000 right=0 bottom=0
  for window in $(xdotool search --onlyvisible --class '^velmora(64)?\.exe$' 2>/dev/null); do
    [ "$(xdotool getwindowname "$window")" = "$1" ] || continue
    eval "$(xdotool getwindowgeometry --shell "$window")"
    left=$((X < left ? X : left)) top=$((Y < top ? Y : top))
    right=$((X + WIDTH > right ? X + WIDTH : right)) bottom=$((Y + HEIGHT > bottom ? Y + HEIGHT : bottom))
  done
  left=$((left > 10 ? left - 10 : 0)) top=$((top > 10 ? top - 10 : 0)) right=$((right + 10)) bottom=$((bottom + 10))
  if [ "${2:-}" = down ]; then
    left=0 bottom=$screen_height
  fi
  echo "$((right - left))x$((bottom - top))+$left+$top"
}
# The Start button is the left end of the stand-in taskbar, 64 x 30 pixels at the bottom.
read -r _ screen_height < <(xdotool getdisplaygeometry)
# Without a window manager the X server sends the keys to the window under the pointer: after the
# click the pointer goes to the menu's top-left corner, its border, where it selects no item.
# Until Velmora has its first menu on offer, the press goes on to the stand-in's button, which logs
# it: then the click is made again.
shell_presses() { grep -caE 'button WM_LBUTTON(DOWN|DBLCLK)' "$build/demo/shell.log" || true; }
click_start() {
  local presses attempt
  for attempt in $(seq 30); do
    presses=$(shell_presses)
    xdotool mousemove 32 $((screen_height - 15)) click 1
    for _ in $(seq 300); do
      [ "$(shell_presses)" -gt "$presses" ] && break
      wait_for_window "" 1 && break 2
    done
    sleep 1
  done
  local window X Y
  for window in $(xdotool search --onlyvisible --class '^velmora(64)?\.exe$' 2>/dev/null); do
    [ -z "$(xdotool getwindowname "$window")" ] || continue
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove $((X + 1)) $((Y + 1))
  done
  sleep 0.5
}
keys() { for key in "$@"; do xdotool key "$key"; sleep 0.15; done; }

click_start
keys Down Right Down
sleep 1
shoot menu "$(around_windows "" down)"

keys Escape Escape Escape
sleep 0.5
click_start
keys Up Up Return
wait_for_window Informationen
sleep 1
shoot about "$(around_windows Informationen)"

click_start
keys Up Return
wait $velmora || true
wait_for_velmora_end 60 || { echo "Velmora did not end after \"Velmora beenden\"" >&2; exit 1; }
kill $shell 2>/dev/null || true
echo "Demo finished."
