#!/usr/bin/env bash
# Captures the tool's windows as PNG files under a virtual X server, against a demo of its
# own (scripts/demo/run.sh with its folder in <build>/screenshots/demo: dictionaries, a live
# server, the lock holders of holders.conf and a copy of the tool with its ads.ini): the
# identification window (also with its caps-lock balloon), the main window identified, the
# main window after a cancelled identification, the converter, the main window's lock search
# (after a search, after the lookup of a lock's record, "no locks" and the window it leaves),
# the specific-record window
# with a lock owner found and with "Pas de Lock trouvé", and, with the copy's ads.ini taken
# away, the missing-file error and the main window it leaves; last, the lock monitor opened
# from "Menu Outils" (with locks, with its threshold passed, and after the server was
# killed, and its "Historique" tab with the chart of an hour of locks), its settings and its
# lock history in a private folder. Whatever lies beside
# <build>/bin/Brevantis is neither read nor touched. A shot that cannot be taken stops the
# script with an error naming the window. Builds what is needed. Output: <build>/screenshots/*.png.
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

# Starts the tool and gives the identification window its password.
start_identified() {
  local gate
  start_tool
  gate=$(window Identification)
  xdotool windowfocus --sync "$gate"
  xdotool type --delay 50 qv73
  xdotool key Return
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

# Run 2: caps lock switched on in the password edit shows the balloon, a window of its own
# (the shot is the screen around the gate); then the identification is cancelled.
start_tool
gate=$(window Identification)
xdotool windowfocus --sync "$gate"
xdotool key Caps_Lock
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$gate")"
import -window root -crop "$((WIDTH + 280))x$((HEIGHT + 40))+$((X - 20))+$((Y - 20))" \
  "$out/identification-caps-lock.png"
echo "$out/identification-caps-lock.png"
xdotool key Caps_Lock
xdotool key Escape
main=$(window "Des Locks par table")
shoot "$main" main-not-identified.png
stop_tool

# Run 3: the specific-record window, on the demo's Compta, whose record 3 of Clients (code
# C00003) a holder locks and record 4 nobody does. Places are the window's own layout.
start_identified
main=$(window "Des Locks par table")
# "Menu Outils", then its first item "Chercher par enregistrement spécifique".
xdotool mousemove --window "$main" 40 10 click 1
sleep 0.5
xdotool mousemove --window "$main" 60 35 click 1
record=$(window "Trouver le lock d'un enregistrement spécifique")
xdotool windowfocus --sync "$record"
xdotool mousemove --window "$record" 20 85 click 1          # the dictionary Compta
sleep 0.5
xdotool mousemove --window "$record" 360 35 click 1         # the table list: Clients
xdotool key F4
sleep 0.3
xdotool key Down Return
sleep 0.3
xdotool mousemove --window "$record" 590 61 click 1         # the value, then Return
xdotool type --delay 50 "'C00003'"
xdotool key Return
shoot "$record" record-owner-found.png
xdotool key ctrl+a
xdotool type --delay 50 "'C00004'"
xdotool key Return
# "Pas de Lock trouvé" blinks: wait for a frame that shows its red text.
for attempt in 1 2 3 4 5 6; do
  sleep 0.5
  import -window "$record" "$out/record-no-lock.png"
  red=$(convert "$out/record-no-lock.png" -crop 110x18+770+26 +repage -fill black +opaque red \
    -format '%[fx:mean>0]' info:)
  [ "$red" = 1 ] && break
  [ "$attempt" = 6 ] && { echo 'screenshots: "Pas de Lock trouvé" never showed' >&2; exit 1; }
done
echo "$out/record-no-lock.png"
stop_tool

# Run 4: the lock search on the demo's Compta, whose Clients and Factures holders of
# holders.conf hold locks and whose Fournisseurs nobody locks. Places are the window's own
# layout under its menu bar.
start_identified
main=$(window "Des Locks par table")
xdotool mousemove --window "$main" 22 138 click 1          # the dictionary Compta
sleep 0.5
xdotool mousemove --window "$main" 745 62 click 1          # Chercher des locks / Rafraîchir
shoot "$main" main-search.png
xdotool mousemove --window "$main" 638 511 click 1         # the first lock's record
shoot "$main" main-record.png
xdotool mousemove --window "$main" 614 62 click 1          # the table list: Fournisseurs
sleep 0.5
xdotool key Down Down Down Return
sleep 0.3
xdotool mousemove --window "$main" 745 62 click 1
message=$(window Informations)
shoot "$message" main-no-locks-message.png
xdotool windowfocus --sync "$message"
xdotool key Return
shoot "$main" main-no-locks.png
stop_tool

# Last run: the file is missing (put back on exit).
mv "$ini" "$ini.aside"
start_identified
error=$(window Erreur)
shoot "$error" ads-ini-missing.png
xdotool windowfocus --sync "$error"
xdotool key Return
main=$(window "Des Locks par table")
shoot "$main" main-without-ads-ini.png
stop_tool
mv "$ini.aside" "$ini"

# Last run, since it kills the demo's server: the lock monitor, refreshed every 2 s with a
# threshold of 5 s, its settings kept in a folder of the shots' own.
export XDG_CONFIG_HOME=$out/demo/config
mkdir -p "$XDG_CONFIG_HOME/Brevantis"
history=$out/demo/historique-locks.sqlite
rm -f "$history" "$history"-*
printf '[SurveillanceLocks]\nintervalle=2\nseuil=5\n[Historique]\nEmplacement=%s\n' "$history" \
  >"$XDG_CONFIG_HOME/Brevantis/Brevantis.ini"
start_identified
main=$(window "Des Locks par table")
# "Menu Outils", then its last item "Surveiller les locks", after the separator.
xdotool mousemove --window "$main" 40 10 click 1
sleep 0.5
xdotool key Up Return
monitor=$(window "Surveillance des locks")
sleep 1.5
shoot "$monitor" monitor-locks.png
sleep 6
shoot "$monitor" monitor-threshold.png
# The hour before, as the monitor would have recorded it: three workstations taking locks
# of a few minutes each, beside the demo's own episodes just recorded.
now=$(date +%s%3N)
{
  echo ".timeout 10000"
  echo "BEGIN;"
  for i in $(seq 0 39); do
    case $((i % 3)) in
      0) who="'PC-COMPTA-01','mmartin','Facturation.exe'" ;;
      1) who="'PC-DIRECTION','pmoreau','TableauDeBord.exe'" ;;
      *) who="'PORTABLE-JDUPONT','jdupont','GestCom.exe'" ;;
    esac
    first=$((now - (58 - i) * 90000))
    echo "INSERT INTO lock_episodes (dictionary, table_name, record_no, row_id, user_name," \
      "os_login, application, lock_type, first_seen, last_seen, is_open, since_at_least)" \
      "VALUES ('Compta', 'Factures', $((100 + i)), '', $who, 'Record Lock', $first," \
      "$((first + (i % 7 + 2) * 60000)), 0, 0);"
  done
  echo "COMMIT;"
} | sqlite3 "$history" >/dev/null
# The tab after "Par application", then the splitter raised to give it room.
xdotool mousemove --window "$monitor" 455 470 click 1
sleep 1
xdotool mousemove --window "$monitor" 550 453 mousedown 1 sleep 0.3 \
  mousemove --window "$monitor" 550 150 sleep 0.3 mouseup 1
sleep 1
# The last hour, stacked by user.
xdotool mousemove --window "$monitor" 143 236 click 1 sleep 0.5 key Home Return
sleep 0.5
xdotool mousemove --window "$monitor" 932 236 click 1 sleep 0.5 key Down Return
sleep 1.5
shoot "$monitor" monitor-history.png
kill "$(cat "$BREVANTIS_DEMO_DIR/run/enginesrv.pid")"
sleep 4
shoot "$monitor" monitor-server-lost.png
stop_tool
