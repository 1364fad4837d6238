#!/usr/bin/env bash
# Configures and builds the project into build/ (or $BREVANTIS_BUILD_DIR); the arguments go
# to the configure step. $BREVANTIS_TARGETS, when set, names the only targets to build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BREVANTIS_BUILD_DIR:-$root/build}
# Ninja builds the demo's targets a sixth faster than make on two cores; a folder first
# configured with make keeps it, as CMake cannot change a folder's generator.
generator=()
[ -f "$build/CMakeCache.txt" ] || ! command -v ninja >/dev/null || generator=(-G Ninja)
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
targets=()
for target in ${BREVANTIS_TARGETS:-}; do targets+=(--target "$target"); done
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
