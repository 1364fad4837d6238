// stop_signal.cpp: SIGINT/SIGTERM taken synchronously with sigtimedwait.
#include "engine/tools/lockholder/stop_signal.h"

#include <pthread.h>
#include <signal.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <ctime>

namespace lockholder {
namespace {

sigset_t stopSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

}  // namespace

void blockStopSignals() {
    const sigset_t set = stopSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

int waitForStop(double seconds) {
    const sigset_t set = stopSet();
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        // Without a limit, wake up now and then anyway: sigtimedwait needs a timeout.
        double left = 3600;
        if (seconds > 0) {
            left = std::chrono::duration<double>(deadline - Clock::now()).count();
            if (left <= 0) return 0;
        }
        timespec ts;
        ts.tv_sec = static_cast<time_t>(left);
        ts.tv_nsec = static_cast<long>((left - std::floor(left)) * 1e9);
        const int sig = sigtimedwait(&set, nullptr, &ts);
        if (sig > 0) return sig;
        if (errno != EAGAIN && errno != EINTR) return 0;
    }
}

}  // namespace lockholder
