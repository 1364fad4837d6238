// api_lock.h: the process-wide lock every C entry point holds for the whole of its call.
#ifndef BREVANTIS_ENGINE_CLIENT_API_LOCK_H
#define BREVANTIS_ENGINE_CLIENT_API_LOCK_H

#include <pthread.h>

#include <atomic>
#include <cstdint>

// Where the compiler reads the thread pointer, it tells threads apart as pthread_self does.
#if defined(__has_builtin) && (defined(__x86_64__) || defined(__aarch64__))
#if __has_builtin(__builtin_thread_pointer)
#define BREVANTIS_THREAD_POINTER_IS_SELF 1
#endif
#endif

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

// A lock for a library called, as a rule, from one thread only. The first thread to take it
// holds its bias: it takes and releases it with plain stores and loads, without the two
// atomic read-modify-writes a SleepingMutex costs (12 of the 14 ns of a call that answers
// a column's type). The first other thread to come revokes the bias for good: it marks the
// lock shared, runs a process-wide memory barrier (membarrier) so that the biased thread
// either sees the mark or is seen inside, waits for it to leave, and from then on every
// thread takes the SleepingMutex. Where the kernel has no such barrier, no thread is
// biased. Not recursive.
class BiasedLock {
public:
    void lock() {
        if (!tryLockBiased()) lockSlow();
    }
    // Takes the lock when the calling thread holds its bias, with no call and no atomic
    // read-modify-write; false, with the lock not taken, otherwise.
    bool tryLockBiased() {
        return owner_.load(std::memory_order_relaxed) == self() && enterBiased();
    }
    // Releases what tryLockBiased took. REQUIRES: taken by tryLockBiased.
    void unlockBiased() { ownerInside_.store(false, std::memory_order_release); }
    // REQUIRES: held by the calling thread.
    void unlock() {
        if (owner_.load(std::memory_order_relaxed) == self() &&
            ownerInside_.load(std::memory_order_relaxed)) {
            ownerInside_.store(false, std::memory_order_release);
            return;
        }
        mutex_.unlock();
    }

private:
    // The calling thread's identity, never 0. Where the compiler can read the thread pointer
    // (one instruction), that is it: unique among live threads like pthread_self, which is
    // a call.
    static unsigned long self() {
#if defined(BREVANTIS_THREAD_POINTER_IS_SELF)
        return reinterpret_cast<unsigned long>(__builtin_thread_pointer());
#else
        return static_cast<unsigned long>(::pthread_self());
#endif
    }

    // The biased thread's way in: false once the lock is shared.
    bool enterBiased() {
        ownerInside_.store(true, std::memory_order_relaxed);
        // Only the compiler is held back here: the revoking thread's membarrier orders this
        // store and the load below for the processor.
        std::atomic_signal_fence(std::memory_order_seq_cst);
        if (!shared_.load(std::memory_order_relaxed)) return true;
        ownerInside_.store(false, std::memory_order_release);
        return false;
    }
    void lockSlow();

    SleepingMutex mutex_;
    std::atomic<unsigned long> owner_{0};  // the biased thread; set once, under mutex_
    std::atomic<bool> ownerInside_{false}; // written by the biased thread only
    std::atomic<bool> shared_{false};      // set once, under mutex_: every thread locks mutex_
};

}  // namespace engine::client

#endif  // BREVANTIS_ENGINE_CLIENT_API_LOCK_H
