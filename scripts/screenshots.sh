#!/usr/bin/env bash
# Captures the tool's windows as PNG files under a virtual X server, against a demo of its
# own (scripts/demo/run.sh with its folder in <build>/screenshots/demo: dictionaries, a live
# server, the lock holders of holders.conf and a copy of the tool with its ads.ini): the
# identification window, the main window identified, the main window after a cancelled
# identification, the converter, and, with the copy's ads.ini taken away, the missing-file
# error and the main window it leaves. Whatever lies beside <build>/bin/Brevantis is neither read nor
# touched. A shot that cannot be taken stops the script with an error naming the window.
# Builds what is needed. Output: <build>/screenshots/*.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BREVANTIS_BUILD_DIR:-$root/build}
out=$build/screenshots

# Re-run inside a private virtual display and a private demo.
if [ -z "${BREVANTIS_SHOTS_DISPLAY:-}" ]; then
  [ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" >/dev/null
  cmake --build "$build" --target Brevantis enginesrv engine demodata lockholder -j2
  mkdir -p "$out"
  exec xvfb-run -a -s "-screen 0 1280x800x24" \
    env BREVANTIS_SHOTS_DISPLAY=1 BREVANTIS_DEMO_DIR="$out/demo" \
    "$root/scripts/demo/run.sh" "$build" "$0" "$@"
fi

# From here on the demo's server and holders run; the tool is the demo's copy.
brevantis=${BREVANTIS_DEMO_TOOL:?run through scripts/demo/run.sh}
ini=$(dirname "$brevantis")/ads.ini
tool=
cleanup() {
  [ -n "$tool" ] && kill "$tool" 2>/dev/null && wait "$tool" 2>/dev/null
  [ -e "$ini.aside" ] && mv -f "$ini.aside" "$ini"
  return 0
}
trap cleanup EXIT

# Prints the id of the visible window titled $1, waiting up to 10 s for it.
window() {
  local id n=0
  until id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) && [ -n "$id" ]; do
    n=$((n + 1))
    [ "$n" -gt 100 ] && { echo "screenshots: no window \"$1\"" >&2; return 1; }
    sleep 0.1
  done
  echo "$id"
}

shoot() {  # window id, file name
  sleep 0.5
  import -window "$1" "$out/$2"
  echo "$out/$2"
}

start_tool() {
  "$brevantis" &
  tool=$!
}

stop_tool() {
  kill "$tool" 2>/dev/null || true
  wait "$tool" 2>/dev/null || true
  tool=
}

# Run 1: identification, then the identified main window and the converter.
start_tool
gate=$(window Identification)
shoot "$gate" identification.png
xdotool windowfocus --sync "$gate"
xdotool type --delay 50 qv73
xdotool key Return
main=$(window "Des Locks par table")
shoot "$main" main-identified.png
# "Menu Outils", then its second item "Convertisseur".
xdotool mousemove --window "$main" 40 10 click 1
sleep 0.5
xdotool mousemove --window "$main" 60 58 click 1
converter=$(window Convertisseur)
shoot "$converter" converter.png
stop_tool

# Run 2: the identification is cancelled.
start_tool
gate=$(window Identification)
xdotool windowfocus --sync "$gate"
xdotool key Escape
main=$(window "Des Locks par table")
shoot "$main" main-not-identified.png
stop_tool

# Last run: the file is missing (put back on exit).
mv "$ini" "$ini.aside"
start_tool
gate=$(window Identification)
xdotool windowfocus --sync "$gate"
xdotool type --delay 50 qv73
xdotool key Return
error=$(window Erreur)
shoot "$error" ads-ini-missing.png
xdotool windowfocus --sync "$error"
xdotool key Return
main=$(window "Des Locks par table")
shoot "$main" main-without-ads-ini.png
stop_tool
mv "$ini.aside" "$ini"
