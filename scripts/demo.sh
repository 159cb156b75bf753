#!/usr/bin/env bash
# Builds Velmora and runs it under Wine beside a stand-in taskbar, in a fresh private Wine prefix
# whose start menu holds a few of Wine's own programs.
#   With a display (DISPLAY set): interactive. Click "Start" at the bottom-left; choose
#     "Velmora beenden" in the menu to end the demo.
#   Without one (or with VELMORA_HEADLESS=1): on a private Xvfb display the demo opens the menu and
#     the about window by itself, takes screenshots into build/screenshots/ and ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$root/build}

if [ "${1:-}" != "--inside" ]; then
  "$root/scripts/install-deps.sh"
  cmake -S "$root" -B "$build/x64" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake" >/dev/null
  cmake --build "$build/x64" -j "$(nproc)" --target Velmora fake_shell velmora_driver

  # Velmora as a user has it: the program and its Grafiken folder, nothing else.
  stage=$build/demo/Velmora
  rm -rf "$stage"
  mkdir -p "$stage"
  cp "$build/x64/bin/Velmora.exe" "$stage/"
  cp -r "$root/Grafiken" "$stage/"

  display_option=()
  if [ -n "${DISPLAY:-}" ] && [ "${VELMORA_HEADLESS:-0}" != "1" ]; then
    display_option=(--display)
  fi
  exec "$root/scripts/with-wine.sh" "${display_option[@]}" "$build/demo/wine" -- "$0" --inside
fi

# Inside the Wine session.
bin=$build/x64/bin
stage=$build/demo/Velmora
shots=$build/screenshots
driver() { "$WINE" "$bin/velmora_driver.exe" "$@"; }
headless=0
[ -s "$build/demo/wine/display" ] && headless=1  # with-wine.sh started a private Xvfb

driver demo-start-menu
"$WINE" "$bin/fake_shell.exe" "$build/demo/shell.log" &
driver wait-window Shell_TrayWnd - 15000
(cd "$stage" && exec "$WINE" Velmora.exe) &
velmora=$!
driver wait-window WindowClass_0 "Velmora 1.0.0" 15000

if [ $headless -eq 0 ]; then
  echo "Velmora runs. Click \"Start\" at the bottom-left of the screen; \"Velmora beenden\" ends the demo."
  wait $velmora || true
  driver close Shell_TrayWnd - || true
  exit 0
fi

mkdir -p "$shots"
shoot() {  # <name> [crop geometry]
  import -window root -display "$DISPLAY" "$shots/$1-screen.png"
  if [ -n "${2:-}" ]; then
    convert "$shots/$1-screen.png" -crop "$2" +repage "$shots/$1.png"
  fi
  echo "screenshot: $shots/$1.png"
}

sleep 6  # the watcher builds the first menu right after start-up
driver click-start
driver wait-window "#32768" - 5000
driver keys down right down
sleep 1
shoot menu 420x330+0+438

driver keys escape escape escape
sleep 0.5
driver click-start
driver wait-window "#32768" - 5000
driver keys up up enter
driver wait-window WindowClass_1 Informationen 5000
sleep 1
shoot about 340x290+342+248

driver click-start
driver wait-window "#32768" - 5000
driver keys up enter
wait $velmora || true
driver close Shell_TrayWnd - || true
echo "Demo finished."
