#!/usr/bin/env bash
# The README's test command: installs what is missing, builds everything with warnings as
# errors, runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" -DBREVANTIS_WERROR=ON
build=${BREVANTIS_BUILD_DIR:-$root/build}
(cd "$build" && ctest --output-on-failure -j "$(nproc)")

# The engine once more with clang, whose -Wthread-safety checks that the state several
# threads share is touched with its mutex held (engine/base/thread_annotations.h): built
# without optimisation and not run, the engine's libraries and programs only.
clang_build=${BREVANTIS_CLANG_BUILD_DIR:-$root/build-clang}
CC=clang CXX=clang++ cmake -S "$root" -B "$clang_build" -DCMAKE_BUILD_TYPE=Debug \
    -DBREVANTIS_GUI=OFF -DBREVANTIS_THREAD_SAFETY=ON >/dev/null
cmake --build "$clang_build" -j "$(nproc)" --target engine enginesrv engine_inprocess demodata lockholder
