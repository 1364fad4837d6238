#!/usr/bin/env bash
# The README's demo command: installs what is missing, builds, puts ads.ini beside the
# executable and runs the tool.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
bin=${BREVANTIS_BUILD_DIR:-$root/build}/bin
cp "$root/scripts/demo/ads.ini" "$bin/ads.ini"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: running under a virtual X server (xvfb-run); close with Ctrl+C." >&2
  exec xvfb-run -a "$bin/Brevantis"
fi
exec "$bin/Brevantis"
