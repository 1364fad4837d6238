// api_lock.cpp: the contended path of SleepingMutex.
#include "engine/client/api_lock.h"

#include <linux/futex.h>
#include <linux/membarrier.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <thread>

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

int membarrier(int command) { return static_cast<int>(::syscall(SYS_membarrier, command, 0, 0)); }

// Whether this process can run the barrier that revoking a bias needs.
bool canRunProcessBarrier() { return membarrier(MEMBARRIER_CMD_REGISTER_PRIVATE_EXPEDITED) == 0; }

// A full memory barrier on every thread of the process that is running now.
void processBarrier() {
    if (membarrier(MEMBARRIER_CMD_PRIVATE_EXPEDITED) == 0) return;
    // A child forked after the registration registers anew.
    if (canRunProcessBarrier() && membarrier(MEMBARRIER_CMD_PRIVATE_EXPEDITED) == 0) return;
    membarrier(MEMBARRIER_CMD_GLOBAL);  // slower (it waits for every CPU), needs no registration
}

}  // namespace

void BiasedLock::lockSlow() {
    mutex_.lock();
    if (shared_.load(std::memory_order_relaxed)) return;
    if (owner_.load(std::memory_order_relaxed) == 0) {
        if (!canRunProcessBarrier()) {
            shared_.store(true, std::memory_order_relaxed);
            return;
        }
        owner_.store(self(), std::memory_order_relaxed);
        mutex_.unlock();
        if (enterBiased()) return;
        mutex_.lock();  // revoked meanwhile
        return;
    }
    // Another thread holds the bias: from now on everyone takes mutex_.
    shared_.store(true, std::memory_order_relaxed);
    processBarrier();
    while (ownerInside_.load(std::memory_order_acquire))
        std::this_thread::sleep_for(std::chrono::microseconds(50));
}

void SleepingMutex::waitAndLock() {
    // Whoever takes the lock from here on marks it as wanted, so that its release wakes the
    // next sleeper; a marked lock that turns out to have no sleeper costs one spare wake-up.
    while (state_.exchange(kHeldWithWaiters, std::memory_order_acquire) != kFree) {
        futexWait(&state_, kHeldWithWaiters);
    }
}

void SleepingMutex::wakeOne() { futexWakeOne(&state_); }

}  // namespace engine::client
