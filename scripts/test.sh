#!/usr/bin/env bash
# The README's test command: installs what is missing, builds, runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build=${BREVANTIS_BUILD_DIR:-$root/build}
cd "$build"
ctest --output-on-failure -j "$(nproc)"
