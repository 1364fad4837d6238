// api_lock_test.cpp: the API lock keeps threads apart and wakes every thread that waits.
#include "engine/client/api_lock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using engine::client::BiasedLock;
using engine::client::SleepingMutex;

TEST(SleepingMutexTest, ThreadsNeverOverlapAndNoneIsLeftWaiting) {
    SleepingMutex mutex;
    int inside = 0;  // threads between lock and unlock
    long total = 0;
    bool overlapped = false;
    constexpr int kThreads = 4, kRounds = 20000;
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&] {
            for (int r = 0; r < kRounds; ++r) {
                std::lock_guard<SleepingMutex> hold(mutex);
                if (++inside != 1) overlapped = true;
                ++total;
                --inside;
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(total, long(kThreads) * kRounds);
}

TEST(SleepingMutexTest, WaitersHeldOffByALongCallAllGetIn) {
    SleepingMutex mutex;
    int entered = 0;
    mutex.lock();
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i) {
        waiters.emplace_back([&] {
            std::lock_guard<SleepingMutex> hold(mutex);
            ++entered;
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // they go to sleep
    EXPECT_EQ(entered, 0);
    mutex.unlock();
    for (std::thread& t : waiters) t.join();
    EXPECT_EQ(entered, 3);
}

// The first thread to lock holds the bias and goes on locking while other threads come:
// the bias is revoked under way, and no two threads are ever inside together.
TEST(BiasedLockTest, ThreadsThatComeWhileTheBiasedThreadRunsNeverOverlapIt) {
    BiasedLock lock;
    int inside = 0;
    long total = 0;
    bool overlapped = false;
    auto enter = [&] {
        std::lock_guard<BiasedLock> hold(lock);
        if (++inside != 1) overlapped = true;
        ++total;
        --inside;
    };
    constexpr int kOthers = 3, kRounds = 50000;
    std::vector<std::thread> others;
    for (int r = 0; r < kRounds; ++r) {
        enter();
        if (r == 1000)
            for (int i = 0; i < kOthers; ++i)
                others.emplace_back([&] {
                    for (int k = 0; k < kRounds; ++k) enter();
                });
    }
    for (std::thread& t : others) t.join();
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(total, long(kOthers + 1) * kRounds);
}

// A thread that comes while the biased thread is inside a long call waits for it to leave.
TEST(BiasedLockTest, ARevokingThreadWaitsForTheBiasedThreadToLeave) {
    BiasedLock lock;
    lock.lock();
    lock.unlock();  // this thread now holds the bias
    lock.lock();
    bool left = false, enteredBeforeLeaving = false;
    std::thread other([&] {
        std::lock_guard<BiasedLock> hold(lock);
        enteredBeforeLeaving = !left;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    left = true;
    lock.unlock();
    other.join();
    EXPECT_FALSE(enteredBeforeLeaving);
    // Shared now: the biased thread locks as every other one does.
    std::lock_guard<BiasedLock> again(lock);
}

}  // namespace
