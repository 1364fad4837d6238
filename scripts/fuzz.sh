#!/usr/bin/env bash
# fuzz.sh: builds the fuzz targets (SQL, expressions, table files) with clang and runs each for a
# bounded time.
#
#   scripts/fuzz.sh [seconds-per-target]     (default 60)
#
# Builds into build-fuzz/ (ASan + UBSan + libFuzzer), keeps each target's corpus in
# build-fuzz/fuzz-corpus/<target> (seeded from engine/fuzz/seeds) and writes any crashing
# input to build-fuzz/fuzz-artifacts/. Exits non-zero when a target finds a crash.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BREVANTIS_FUZZ_BUILD:-$root/build-fuzz}
seconds=${1:-60}
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DBREVANTIS_GUI=OFF -DBREVANTIS_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" --target fuzz_sql fuzz_expr fuzz_table -j2

status=0
mkdir -p "$build/fuzz-artifacts"
for target in sql expr table; do
    corpus=$build/fuzz-corpus/$target
    mkdir -p "$corpus"
    cp -n "$root/engine/fuzz/seeds/$target/"* "$corpus/" 2>/dev/null || true
    echo "== fuzz_$target for ${seconds}s"
    dict=()
    [ -f "$root/engine/fuzz/$target.dict" ] && dict=(-dict="$root/engine/fuzz/$target.dict")
    if ! "$build/bin/fuzz_$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 "${dict[@]}" \
        -artifact_prefix="$build/fuzz-artifacts/$target-" "$corpus"; then
        echo "fuzz_$target found a failing input: see $build/fuzz-artifacts/" >&2
        status=1
    fi
done
exit $status
