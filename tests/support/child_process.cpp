// child_process.cpp: starting, signalling and reaping the child processes of a test.
#include "tests/support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

extern char** environ;

namespace testsupport {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

std::string binPath(const std::string& name) {
    const char* dir = std::getenv("BREVANTIS_BIN_DIR");
    if (dir != nullptr && *dir != '\0') return std::string(dir) + "/" + name;
    return (fs::read_symlink("/proc/self/exe").parent_path() / name).string();
}

Child::Child(const std::string& program, const std::vector<std::string>& args,
             const std::string& stderrFile) {
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls until exec. The child dies with the test, so a test
        // that crashes or times out leaves no server or holder behind.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);
        const int out = ::open("/dev/null", O_WRONLY);
        if (out >= 0) ::dup2(out, 1);
        if (!stderrFile.empty()) {
            const int err = ::open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            if (err >= 0) ::dup2(err, 2);
        }
        ::execve(program.c_str(), argv.data(), environ);
        ::_exit(127);
    }
    if (pid > 0) {
        pid_ = pid;
        reaped_ = false;
    }
}

Child::~Child() {
    killAndReap();
}

Child::Child(Child&& other) noexcept {
    *this = std::move(other);
}

Child& Child::operator=(Child&& other) noexcept {
    if (this != &other) {
        killAndReap();
        pid_ = other.pid_;
        reaped_ = other.reaped_;
        status_ = other.status_;
        other.pid_ = -1;
        other.reaped_ = true;
    }
    return *this;
}

void Child::killAndReap() {
    if (reaped_) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status_, 0);
    reaped_ = true;
}

bool Child::running() {
    if (reaped_) return false;
    if (::waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
    return !reaped_;
}

void Child::signal(int sig) {
    if (!reaped_) ::kill(pid_, sig);
}

int Child::wait(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (running()) {
        if (Clock::now() > deadline) return -1;
        sleepMs(5);
    }
    if (pid_ <= 0) return -1;
    if (WIFEXITED(status_)) return WEXITSTATUS(status_);
    return WIFSIGNALED(status_) ? 128 + WTERMSIG(status_) : -1;
}

bool waitForFile(const std::string& file, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!fs::exists(file)) {
        if (Clock::now() > deadline) return false;
        sleepMs(10);
    }
    return true;
}

}  // namespace testsupport
