#!/usr/bin/env bash
# packaging_test.sh: builds the two Debian packages from a built tree, checks them with
# lintian, unpacks them into a scratch root and runs what they install: the launcher, the
# desktop entry and the icon; the tool under a virtual X server against the packaged engine
# and its demo data, up to its main window; and, as root, the machine-wide server as the
# unit runs it, reached by another user's client with no address set.
#
#   packaging_test.sh BUILD_DIR
#
# Exit 77 (skipped) only when a tool it needs is not installed (scripts/setup.sh installs them).
set -euo pipefail
build=$(cd "${1:?usage: packaging_test.sh BUILD_DIR}" && pwd)

for tool in cpack dpkg-deb dpkg-shlibdeps lintian desktop-file-validate xmllint xvfb-run xdotool \
    systemd-analyze; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/setup.sh)"; exit 77; }
done

scratch=$(mktemp -d /tmp/brevantis-packaging.XXXXXX)
chmod 0755 "$scratch"
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$scratch"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# Waits up to $2 tenths of a second for the file $1.
wait_for() {
  local n=0
  until [ -e "$1" ]; do
    n=$((n + 1))
    [ "$n" -gt "$2" ] && return 1
    sleep 0.1
  done
}

echo "== packages"
(cd "$scratch" && cpack -G DEB -B "$scratch/debs" --config "$build/CPackConfig.cmake" >cpack.log 2>&1) ||
  { cat "$scratch/cpack.log"; fail "cpack failed"; }
tool_deb=$(ls "$scratch"/debs/brevantis_*.deb)
engine_deb=$(ls "$scratch"/debs/brevantis-engine_*.deb)

depends_of() { dpkg-deb -f "$1" Depends; }
for wanted in qt6-translations-l10n libqt6widgets6; do
  [[ $(depends_of "$tool_deb") == *"$wanted"* ]] || fail "brevantis does not depend on $wanted"
done
for wanted in libsodium23 adduser; do
  [[ $(depends_of "$engine_deb") == *"$wanted"* ]] || fail "brevantis-engine does not depend on $wanted"
done
dpkg-deb --info "$tool_deb" conffiles | grep -qx /etc/brevantis/ads.ini ||
  fail "ads.ini is not a configuration file of brevantis"

echo "== lintian"
lintian --fail-on error --suppress-tags no-manual-page "$tool_deb" "$engine_deb" ||
  fail "lintian reports errors"

echo "== unpacked"
root=$scratch/root
dpkg -x "$tool_deb" "$root"
dpkg -x "$engine_deb" "$root"
[ -x "$root/usr/bin/brevantis" ] || fail "no launcher /usr/bin/brevantis"
desktop-file-validate "$root/usr/share/applications/brevantis.desktop" || fail "desktop entry"
grep -qx 'Categories=Development;Database;' "$root/usr/share/applications/brevantis.desktop" ||
  fail "desktop entry categories"
icon=$root/usr/share/icons/hicolor/scalable/apps/brevantis.svg
[ "$(xmllint --xpath 'local-name(/*)' "$icon")" = svg ] || fail "the icon is not an SVG image"
[ "$(readlink "$root/opt/brevantis/bin/ads.ini")" = /etc/brevantis/ads.ini ] ||
  fail "ads.ini beside the tool does not lead to /etc/brevantis/ads.ini"

echo "== the service unit"
# systemd's own reading of the unit, its program taken from the scratch root: any complaint
# fails, and its exposure must stay at 1.0 or below ("SAFE") on systemd's scale of 0 to 10.
unit=$scratch/brevantis-engine.service
sed "s|^ExecStart=/|ExecStart=$root/|" "$root/lib/systemd/system/brevantis-engine.service" >"$unit"
complaints=$(cd "$scratch" && systemd-analyze verify --man=no "$unit" 2>&1) ||
  fail "systemd refuses the unit: $complaints"
[ -z "$complaints" ] || fail "systemd complains about the unit: $complaints"
systemd-analyze security --offline=yes --threshold=10 "$unit" >"$scratch/exposure.txt" 2>&1 ||
  { cat "$scratch/exposure.txt"; fail "the unit gives the server more rights than it needs"; }
grep 'Overall exposure level' "$scratch/exposure.txt"

echo "== the tool against the packaged engine"
engine_bin=$root/opt/brevantis-engine/bin
demo=$scratch/demo
mkdir -p "$demo/run"
# The scratch root's ads.ini lists the demo's dictionaries, as an administrator's would.
rm "$root/opt/brevantis/bin/ads.ini"
"$engine_bin/demodata" --out "$demo/data" --ini "$root/opt/brevantis/bin/ads.ini" >/dev/null
export BREVANTIS_ENGINE_ADDRESS=unix:$demo/run/engine.sock
"$engine_bin/enginesrv" --socket "$demo/run/engine.sock" 2>"$demo/run/enginesrv.log" &
pids+=($!)
wait_for "$demo/run/engine.sock" 100 || fail "the packaged enginesrv did not start"
"$engine_bin/lockholder" --dict "$demo/data/Compta/Compta.add" --table Clients --records 3 \
  --seconds 120 --ready "$demo/run/holder.ready" 2>"$demo/run/holder.log" &
pids+=($!)
wait_for "$demo/run/holder.ready" 200 || { cat "$demo/run/holder.log"; fail "lockholder took no lock"; }

# Under a private X server: the identification window, its password, then the main window
# with no error box.
cat >"$demo/session.sh" <<'EOF'
set -u
"$1" & tool=$!
trap 'kill $tool 2>/dev/null; wait $tool 2>/dev/null' EXIT
window() { timeout 60 xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }
gate=$(window Identification)
[ -n "$gate" ] || { echo "no identification window"; exit 1; }
xdotool windowfocus --sync "$gate"
xdotool type --delay 50 qv73
xdotool key Return
[ -n "$(window 'Des Locks par table')" ] || { echo "no main window"; exit 1; }
sleep 1
if xdotool search --onlyvisible --name '^Erreur$' >/dev/null 2>&1; then
  echo "an error box came up"; exit 1
fi
EOF
timeout 150 xvfb-run -a -s "-screen 0 1280x800x24" bash "$demo/session.sh" "$root/usr/bin/brevantis" ||
  fail "the installed tool did not come up"
unset BREVANTIS_ENGINE_ADDRESS

echo "== the machine-wide server"
if [ "$(id -u)" -ne 0 ] || ! unshare -m true 2>/dev/null || ! command -v setpriv >/dev/null; then
  echo "not checked: needs root, unshare and setpriv"
else
  # In a mount namespace of its own, with a /run of its own: the service's folder belongs to
  # the account the service runs as (daemon here); a client run by another user (nobody)
  # finds the server without any address and trusts it.
  system=$scratch/system
  mkdir -p "$system/ready"
  chmod 1777 "$system/ready"
  chown daemon:daemon "$system"
  exec_start=$(sed -n 's|^ExecStart=/|/|p' "$root/lib/systemd/system/brevantis-engine.service")
  unshare -m bash -eu -c '
    root=$1 system=$2 exec_start=$3
    mount -t tmpfs -o mode=0755 tmpfs /run
    install -d -o daemon -g daemon -m 0755 /run/brevantis-engine
    as_daemon=(setpriv --reuid=daemon --regid=daemon --clear-groups)
    as_nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    "${as_daemon[@]}" "$root/opt/brevantis-engine/bin/demodata" --out "$system/data" >/dev/null
    (umask 0000 && exec "${as_daemon[@]}" $root$exec_start) 2>"$system/enginesrv.log" &
    server=$!
    trap "kill $server; wait $server" EXIT
    for i in $(seq 100); do [ -S /run/brevantis-engine/engine.sock ] && break; sleep 0.1; done
    env -u BREVANTIS_ENGINE_ADDRESS -u XDG_RUNTIME_DIR "${as_nobody[@]}" \
      "$root/opt/brevantis-engine/bin/lockholder" --dict "$system/data/Compta/Compta.add" \
      --table Clients --records 2 --seconds 1 --ready "$system/ready/holder" \
      2>"$system/ready/holder.log" || { cat "$system/ready/holder.log" >&2; exit 1; }
    [ -e "$system/ready/holder" ]
  ' bash "$root" "$system" "$exec_start" || fail "another user's client could not use the machine-wide server"
fi
