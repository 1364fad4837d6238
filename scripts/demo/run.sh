#!/usr/bin/env bash
# Runs the demo from a build folder. Everything it writes lies in the demo folder
# (BUILD_DIR/demo, or $BREVANTIS_DEMO_DIR): the dictionaries in data/, a copy of the tool with
# the demo's ads.ini beside it in bin/, the server's socket and the logs in run/; nothing is
# written beside BUILD_DIR/bin/Brevantis. It starts enginesrv and the lock holders of
# holders.conf plus a few simulated users, runs the tool's copy (or COMMAND, which finds that
# copy in $BREVANTIS_DEMO_TOOL and the server in $BREVANTIS_ENGINE_ADDRESS), and stops every
# process it started when that ends or when this script is interrupted.
#   usage: run.sh BUILD_DIR [COMMAND [ARG...]]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: run.sh BUILD_DIR [COMMAND [ARG...]]}" && pwd)
shift
bin=$build/bin
demo=${BREVANTIS_DEMO_DIR:-$build/demo}
data=$demo/data
run=$demo/run
# The tool reads ads.ini and loads libengine.so from its own folder: the demo runs a copy.
tool_bin=$demo/bin

pids=()
tool_pid=
stop_all() {
  # The tool first (with the virtual X server, if any: its whole process group), then the
  # lock holders, newest first, and the server last.
  local i
  if [ -n "$tool_pid" ]; then kill -TERM -- "-$tool_pid" 2>/dev/null || true; fi
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill -TERM "${pids[i]}" 2>/dev/null || true; done
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do wait "${pids[i]}" 2>/dev/null || true; done
  pids=()
}
trap stop_all EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Waits up to $2 tenths of a second for the file $1.
wait_for() {
  local n=0
  until [ -e "$1" ]; do
    n=$((n + 1))
    if [ "$n" -gt "$2" ]; then echo "demo: gave up waiting for $1" >&2; return 1; fi
    sleep 0.1
  done
}

rm -rf "$data" "$run" "$tool_bin"
mkdir -p "$data" "$run" "$tool_bin"
cp "$bin/Brevantis" "$bin/libengine.so" "$tool_bin/"
"$bin/demodata" --out "$data" --ini "$tool_bin/ads.ini" >/dev/null
export BREVANTIS_DEMO_TOOL=$tool_bin/Brevantis

# The server and every client of libengine.so started below find each other through this.
socket=$run/enginesrv.sock
export BREVANTIS_ENGINE_ADDRESS="unix:$socket"
"$bin/enginesrv" --socket "$socket" 2>"$run/enginesrv.log" &
pids+=($!)
echo "$!" >"$run/enginesrv.pid"
wait_for "$socket" 100

n=0
while read -r dict table what workstation login app user password; do
  case "$dict" in '' | '#'*) continue ;; esac
  n=$((n + 1))
  if [[ $what == share=* ]]; then sel=(--share "${what#share=}"); else sel=(--records "$what"); fi
  "$bin/lockholder" --dict "$data/$dict/$dict.add" --table "$table" "${sel[@]}" \
    --workstation "$workstation" --oslogin "$login" --app "$app" \
    --user "${user:-adssys}" --password "${password:-kor5382}" --seed "$n" \
    --ready "$run/holder$n.ready" >>"$run/holders.log" 2>&1 &
  pids+=($!)
done <"$here/holders.conf"
# Simulated users come and go on the sales tables while the tool runs.
"$bin/lockholder" --workload --dict "$data/Ventes/Ventes.add" --tables Commandes,LignesCommande \
  --users 4 --hold-ms 3000-20000 --ready "$run/workload.ready" >>"$run/holders.log" 2>&1 &
pids+=($!)
# A holder that could not take its locks has said why in holders.log; the demo goes on.
for ((i = 1; i <= n; i++)); do wait_for "$run/holder$i.ready" 100 || true; done
wait_for "$run/workload.ready" 100 || true
echo "demo: server on $BREVANTIS_ENGINE_ADDRESS, $n lock holders and 4 simulated users;" \
  "ads.ini in $tool_bin, logs in $run. Password of the tool: qv73." >&2

if [ $# -gt 0 ]; then
  tool=("$@")
else
  tool=("$BREVANTIS_DEMO_TOOL")
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: running under a virtual X server (xvfb-run); close with Ctrl+C." >&2
    tool=(xvfb-run -a "$BREVANTIS_DEMO_TOOL")
  fi
fi
# In the background so that a signal reaches the traps at once instead of after the tool, and
# in a process group of its own so that stopping it also stops what it started.
setsid "${tool[@]}" &
tool_pid=$!
pids+=("$tool_pid")
echo "$tool_pid" >"$run/tool.pid"
status=0
wait "$tool_pid" || status=$?
exit "$status"
