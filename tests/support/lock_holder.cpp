// lock_holder.cpp: starting a lock holder, waiting for its locks, and stopping it.
#include "tests/support/lock_holder.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>

namespace testsupport {
namespace {

// A ready file no other holder of any test running at the same time uses.
std::string freshReadyFile() {
    static std::atomic<int> serial{0};
    const std::string path =
        (std::filesystem::current_path() /
         ("holder" + std::to_string(::getpid()) + "-" + std::to_string(++serial) + ".ready"))
            .string();
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return path;
}

std::vector<std::string> withReadyFile(std::vector<std::string> arguments,
                                       const std::string& readyFile) {
    arguments.push_back(readyFile);
    return arguments;
}

}  // namespace

LockHolder::LockHolder(const std::string& serverAddress, const std::string& dictionary,
                       const std::string& table, const std::string& records,
                       const HolderIdentity& who, std::vector<std::string> extraArgs)
    : LockHolder("lockholder", [&] {
          std::vector<std::string> args{"--server",      serverAddress,   "--dict",    dictionary,
                                        "--table",       table,           "--records", records,
                                        "--workstation", who.workstation, "--oslogin", who.osLogin,
                                        "--app",         who.application};
          args.insert(args.end(), extraArgs.begin(), extraArgs.end());
          args.push_back("--ready");
          return args;
      }()) {}

LockHolder::LockHolder(const std::string& program, std::vector<std::string> arguments)
    : readyFile_(freshReadyFile()),
      process_(binPath(program), withReadyFile(std::move(arguments), readyFile_)) {}

LockHolder::~LockHolder() {
    stop();
    std::error_code ignored;
    std::filesystem::remove(readyFile_, ignored);
}

bool LockHolder::waitReady(int timeoutMs) {
    if (!ready_) ready_ = waitForFile(readyFile_, timeoutMs);
    return ready_;
}

void LockHolder::stop() {
    if (!process_.running()) return;
    process_.signal(SIGTERM);
    if (process_.wait(10000) == -1) {
        process_.signal(SIGKILL);
        process_.wait(10000);
    }
}

void LockHolder::kill() {
    process_.signal(SIGKILL);
}

}  // namespace testsupport
