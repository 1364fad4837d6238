// engine_check.h: a benchmark's engine calls either succeed or end it with the engine's
// error. Header only: the benchmarks that include it link the engine themselves.
#ifndef BREVANTIS_BENCH_COMMON_ENGINE_CHECK_H
#define BREVANTIS_BENCH_COMMON_ENGINE_CHECK_H

#include <cstdlib>
#include <iostream>

#include "engine/include/engine_api.h"

namespace bench {

// Returns when rc is AE_SUCCESS; otherwise prints `what` with the last error and exits 1.
inline void check(UNSIGNED32 rc, const char* what) {
    if (rc == AE_SUCCESS) return;
    UNSIGNED32 code = 0;
    char text[601] = {};
    UNSIGNED16 len = 600;
    AdsGetLastError(&code, text, &len);
    std::cerr << what << " failed: " << code << " " << text << "\n";
    std::exit(1);
}

}  // namespace bench

#endif  // BREVANTIS_BENCH_COMMON_ENGINE_CHECK_H
