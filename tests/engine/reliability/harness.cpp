// harness.cpp: dictionaries, child processes and a private enginesrv for the reliability tests.
#include "tests/engine/reliability/harness.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>

#include "engine/core/session.h"

extern char** environ;

namespace reliability {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool acceptsConnections(const std::string& socketPath) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socketPath.c_str(), sizeof addr.sun_path - 1);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

void sql(engine::Session& session, const std::string& text) {
    engine::SqlResult result;
    const engine::Status s = session.executeSql(text, {}, 0, &result);
    ASSERT_TRUE(s.ok()) << text.substr(0, 120) << ": " << s.code << " " << s.text;
}

}  // namespace

std::string binPath(const std::string& name) {
    const char* dir = std::getenv("BREVANTIS_BIN_DIR");
    if (dir != nullptr && *dir != '\0') return std::string(dir) + "/" + name;
    return (fs::read_symlink("/proc/self/exe").parent_path() / name).string();
}

TempDir::TempDir(const std::string& prefix) {
    std::string pattern = (fs::current_path() / (prefix + "-XXXXXX")).string();
    path_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

TempDir::~TempDir() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
}

std::string makeDictionary(const std::string& dir, const std::string& name, int rows) {
    const std::string path = dir + "/" + name + ".add";
    engine::Status s = engine::createDictionary(path, "kor5382");
    EXPECT_TRUE(s.ok()) << s.text;
    s = engine::addDictionaryUser(path, "plain", "plain1", false);
    EXPECT_TRUE(s.ok()) << s.text;
    engine::Server server;
    std::unique_ptr<engine::Session> session;
    s = server.connect("Data Source=" + path + ";User ID=adssys;Password=\"kor5382\";", {},
                       &session);
    EXPECT_TRUE(s.ok()) << s.text;
    if (!session) return path;
    sql(*session, "CREATE TABLE Items (Code Char(10), Label CIChar(40), Qty Integer)");
    sql(*session, "CREATE TABLE Journal (Seq Integer, Payload Char(40))");
    std::string batch;
    for (int i = 1; i <= rows; ++i) {
        batch += "INSERT INTO Items (Code, Label, Qty) VALUES ('I" + std::to_string(i) +
                 "', 'Article " + std::to_string(i) + "', " + std::to_string(i % 50) + ");\n";
        if (i % 200 == 0 || i == rows) {
            sql(*session, batch);
            batch.clear();
        }
    }
    return path;
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
    if (!reaped_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status_, 0);
    }
}

Child::Child(Child&& other) noexcept {
    *this = std::move(other);
}

Child& Child::operator=(Child&& other) noexcept {
    if (this != &other) {
        if (!reaped_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status_, 0);
        }
        pid_ = other.pid_;
        reaped_ = other.reaped_;
        status_ = other.status_;
        other.pid_ = -1;
        other.reaped_ = true;
    }
    return *this;
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
    return pid_ > 0 && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
}

ServerProcess::ServerProcess(std::string socketPath, std::vector<std::string> extraArgs)
    : socketPath_(std::move(socketPath)),
      extraArgs_(std::move(extraArgs)),
      logFile_(socketPath_ + ".log") {}

ServerProcess::~ServerProcess() {
    if (child_.running()) stop();
}

bool ServerProcess::start() {
    std::vector<std::string> args{"--socket", socketPath_};
    args.insert(args.end(), extraArgs_.begin(), extraArgs_.end());
    child_ = Child(binPath("enginesrv"), args, logFile_);
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline) {
        if (!child_.running()) return false;
        if (acceptsConnections(socketPath_)) return true;
        sleepMs(10);
    }
    return false;
}

void ServerProcess::kill9() {
    child_.signal(SIGKILL);
    child_.wait(5000);
}

int ServerProcess::stop() {
    child_.signal(SIGTERM);
    return child_.wait(5000);
}

bool waitForFile(const std::string& file, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!fs::exists(file)) {
        if (Clock::now() > deadline) return false;
        sleepMs(10);
    }
    return true;
}

}  // namespace reliability
