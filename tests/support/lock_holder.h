// lock_holder.h: a process of its own holding record locks for a test, for as long as the
// test keeps it.
#ifndef BREVANTIS_TESTS_SUPPORT_LOCK_HOLDER_H
#define BREVANTIS_TESTS_SUPPORT_LOCK_HOLDER_H

#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace testsupport {

// Who a lockholder says it is to the lock procedures.
struct HolderIdentity {
    std::string workstation, osLogin, application;
};

// A lock-holding program of the build that reports its locks taken by creating the file
// given as its last argument, and releases them when sent SIGTERM.
class LockHolder {
  public:
    // lockholder on `serverAddress` holding `records` ("3,8,20-25") of `table` of
    // `dictionary` as `who`; `extraArgs` go before the ready file. Does not wait.
    LockHolder(const std::string& serverAddress, const std::string& dictionary,
               const std::string& table, const std::string& records, const HolderIdentity& who,
               std::vector<std::string> extraArgs = {});
    // `program` of the build with `arguments`, then a fresh ready file's path (in the current
    // folder). Does not wait.
    LockHolder(const std::string& program, std::vector<std::string> arguments);
    ~LockHolder();  // stop()
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    // Whether it reported its locks taken within `timeoutMs` (at once when it already has).
    bool waitReady(int timeoutMs = 10000);
    bool ready() const { return ready_; }
    // SIGTERM, then waits for its end (SIGKILL after 10 s): its locks are released on return.
    void stop();
    // SIGKILL, as a crash would end it; returns without waiting.
    void kill();
    pid_t pid() const { return process_.pid(); }

  private:
    std::string readyFile_;
    Child process_;
    bool ready_ = false;
};

}  // namespace testsupport

#endif  // BREVANTIS_TESTS_SUPPORT_LOCK_HOLDER_H
