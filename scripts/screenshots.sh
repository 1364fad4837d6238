#!/usr/bin/env bash
# Captures the tool's windows as PNG files under a virtual X server: the identification
# window, the main window identified, the main window after a cancelled identification, the
# converter and, when no ads.ini lies beside the executable, the missing-file error and the
# main window it leaves. Builds the tool when needed. Output: <build>/screenshots/*.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BREVANTIS_BUILD_DIR:-$root/build}

# Re-run inside a private virtual display when none is given.
if [ -z "${BREVANTIS_SHOTS_DISPLAY:-}" ]; then
  if [ ! -x "$build/bin/Brevantis" ]; then
    [ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" >/dev/null
    cmake --build "$build" --target Brevantis -j2
  fi
  exec xvfb-run -a -s "-screen 0 1280x800x24" env BREVANTIS_SHOTS_DISPLAY=1 "$0" "$@"
fi

bin=$build/bin
out=$build/screenshots
mkdir -p "$out"

# Sample aliases when no ads.ini lies beside the executable; removed again at the end.
made_ini=
if [ ! -e "$bin/ads.ini" ]; then
  made_ini=$bin/ads.ini
  printf '[Databases]\r\nCompta=/srv/base/Compta/Compta.add;A\r\nVentes=/srv/base/Ventes/Ventes.add;A\r\nARCHIVE_X_2019=/srv/archives/Archive.add;A\r\nPaie=/srv/base/Paie/Paie.add;A\r\n' >"$made_ini"
fi
tool=
cleanup() {
  [ -n "$tool" ] && kill "$tool" 2>/dev/null && wait "$tool" 2>/dev/null
  [ -n "$made_ini" ] && rm -f "$made_ini"
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
  "$bin/Brevantis" &
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

# Run 3, only when the sample ads.ini was ours to take away: the file is missing.
if [ -n "$made_ini" ]; then
  rm -f "$made_ini"
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
fi
