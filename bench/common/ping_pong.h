// ping_pong.h: the reference latency of this machine, printed beside every figure that
// crosses a process boundary (it varies with the host's load more than our code does).
#ifndef BREVANTIS_BENCH_COMMON_PING_PONG_H
#define BREVANTIS_BENCH_COMMON_PING_PONG_H

namespace bench {

// Microseconds per round trip of a bare 64-byte message between this process and a forked
// child over a Unix socket pair, averaged over `rounds`.
double pingPongMicros(int rounds);

}  // namespace bench

#endif  // BREVANTIS_BENCH_COMMON_PING_PONG_H
