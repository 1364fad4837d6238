#!/usr/bin/env bash
# Runs the real tool without its engine library, on a virtual display: the runtime's error
# box must come first and alone (the identification window never appears), and closing it
# must end the program with a failure status.
set -euo pipefail
exe=$1
work=$(mktemp -d)
xvfb_pid= app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cp "$exe" "$work/Brevantis"
printf '[Databases]\nCompta=/nulle/part/Compta.add;A\n' > "$work/ads.ini"

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
# A loaded machine (a parallel build, say) can take seconds to bring the server up.
for _ in $(seq 300); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "the virtual display did not start"; exit 1; }
export DISPLAY=":$(cat "$work/display")"

"$work/Brevantis" 2>"$work/stderr" &
app_pid=$!

box=
for _ in $(seq 300); do
  box=$(xdotool search --onlyvisible --name '^Erreur$' 2>/dev/null | head -1) || true
  [ -n "$box" ] && break
  sleep 0.1
done
[ -n "$box" ] || { echo "no error box appeared"; cat "$work/stderr"; exit 1; }

if xdotool search --name '^Identification$' >/dev/null 2>&1; then
  echo "the identification window appeared"; exit 1
fi

# The box takes the keyboard focus once it is mapped, which a loaded machine delays: press
# Return on it until the program ends.
for _ in $(seq 60); do
  kill -0 "$app_pid" 2>/dev/null || break
  xdotool windowfocus "$box" 2>/dev/null || true
  xdotool key Return 2>/dev/null || true
  sleep 0.5
done
status=0
wait "$app_pid" || status=$?
app_pid=
[ "$status" -eq 1 ] || { echo "exit status $status, expected 1"; exit 1; }
echo "error box first and alone; program ended with status 1"
