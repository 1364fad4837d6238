// api_lock.h: the process-wide lock every C entry point holds for the whole of its call.
#ifndef BREVANTIS_ENGINE_CLIENT_API_LOCK_H
#define BREVANTIS_ENGINE_CLIENT_API_LOCK_H

#include <atomic>
#include <cstdint>

namespace engine::client {

// A mutex that costs one atomic operation to take and one to release when no other thread
// wants it. A thread that finds it held sleeps until the holder releases it: a call may
// wait on its socket for seconds while other threads call in, so waiters must not spin.
// Not recursive.
class SleepingMutex {
public:
    void lock() {
        uint32_t free = kFree;
        if (!state_.compare_exchange_strong(free, kHeld, std::memory_order_acquire)) waitAndLock();
    }
    // REQUIRES: held by the calling thread.
    void unlock() {
        if (state_.exchange(kFree, std::memory_order_release) == kHeldWithWaiters) wakeOne();
    }

private:
    static constexpr uint32_t kFree = 0;
    static constexpr uint32_t kHeld = 1;
    static constexpr uint32_t kHeldWithWaiters = 2;

    void waitAndLock();
    void wakeOne();

    std::atomic<uint32_t> state_{kFree};
};

}  // namespace engine::client

#endif  // BREVANTIS_ENGINE_CLIENT_API_LOCK_H
