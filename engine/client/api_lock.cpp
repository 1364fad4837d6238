// api_lock.cpp: the contended path of SleepingMutex.
#include "api_lock.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace engine::client {
namespace {

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t), "the futex is the lock word");

// The kernel's wait and wake on the lock word, with no spinning first: with many threads
// calling in on few cores, waiters that spin and yield before they sleep let one busy
// caller keep the lock while the others starve (std::atomic::wait spins first).
void futexWait(std::atomic<uint32_t>* word, uint32_t expected) {
    ::syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAIT_PRIVATE, expected, nullptr,
              nullptr, 0);
}

void futexWakeOne(std::atomic<uint32_t>* word) {
    ::syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

}  // namespace

void SleepingMutex::waitAndLock() {
    // Whoever takes the lock from here on marks it as wanted, so that its release wakes the
    // next sleeper; a marked lock that turns out to have no sleeper costs one spare wake-up.
    while (state_.exchange(kHeldWithWaiters, std::memory_order_acquire) != kFree) {
        futexWait(&state_, kHeldWithWaiters);
    }
}

void SleepingMutex::wakeOne() { futexWakeOne(&state_); }

}  // namespace engine::client
