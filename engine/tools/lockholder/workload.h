// workload.h: several simulated users locking and releasing records over time.
#ifndef BREVANTIS_ENGINE_TOOLS_LOCKHOLDER_WORKLOAD_H
#define BREVANTIS_ENGINE_TOOLS_LOCKHOLDER_WORKLOAD_H

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/tools/lockholder/options.h"

namespace lockholder {

// The identity of simulated user i (workstation, OS login, application), varied and stable.
Who simulatedUser(int i);

class Workload {
  public:
    explicit Workload(const Options& options) : options_(options) {}
    ~Workload() { stop(); }
    Workload(const Workload&) = delete;
    Workload& operator=(const Workload&) = delete;

    // Connects every simulated user (each its own connection) and starts them. False with
    // `error` when a user cannot connect or open the tables; nothing is left running then.
    bool start(std::string* error);
    // Asks every user to release what it holds, and waits for them. Idempotent.
    void stop();

    uint64_t locksTaken() const { return locksTaken_; }
    uint64_t busy() const { return busy_; }          // lock attempts refused: held elsewhere
    uint64_t failures() const { return failures_; }  // any other engine error

  private:
    void run(int user, uint64_t seed);
    // Sleeps up to `ms`; false when stop was asked meanwhile.
    bool pause(uint32_t ms);

    const Options options_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;  // guarded by mutex_
    std::atomic<uint64_t> locksTaken_{0}, busy_{0}, failures_{0};
    std::atomic<int> ready_{0};
    std::string firstError_;  // guarded by mutex_
};

}  // namespace lockholder

#endif  // BREVANTIS_ENGINE_TOOLS_LOCKHOLDER_WORKLOAD_H
