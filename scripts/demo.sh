#!/usr/bin/env bash
# The README's demo command: installs what is missing, builds what the demo runs, then runs
# the demo (scripts/demo/run.sh): demo dictionaries, the engine server, lock holders posing
# as different users and applications, and the tool; everything stops when the tool closes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
# Only what the demo runs: neither the tests nor the benchmarks.
BREVANTIS_TARGETS="Brevantis engine enginesrv demodata lockholder" "$root/scripts/build.sh"
exec "$root/scripts/demo/run.sh" "${BREVANTIS_BUILD_DIR:-$root/build}"
