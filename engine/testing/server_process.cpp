// server_process.cpp: starting, waiting for, stopping and killing enginesrv in tests.
#include "engine/testing/server_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace engine::testing {
namespace {

// Whether a server accepts on the Unix socket path, or on 127.0.0.1:tcpPort when set.
bool accepts(const std::string& path, int tcpPort) {
    int fd = ::socket(tcpPort ? AF_INET : AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    bool ok;
    if (tcpPort) {
        sockaddr_in in{};
        in.sin_family = AF_INET;
        in.sin_port = htons(static_cast<uint16_t>(tcpPort));
        in.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ok = ::connect(fd, reinterpret_cast<sockaddr*>(&in), sizeof in) == 0;
    } else {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
        ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ::close(fd);
    return ok;
}

}  // namespace

ServerProcess::ServerProcess(std::vector<std::string> extraArgs)
    : extraArgs_(std::move(extraArgs)) {
    char tmpl[] = "/tmp/brevantis_srv_XXXXXX";
    folder_ = ::mkdtemp(tmpl);
    socket_ = folder_ + "/engine.sock";
    logPath_ = folder_ + "/enginesrv.log";
    for (size_t i = 0; i + 1 < extraArgs_.size(); ++i) {
        if (extraArgs_[i] == "--tcp") tcpPort_ = std::atoi(extraArgs_[i + 1].c_str());
    }
}

std::string ServerProcess::address() const {
    return tcpPort_ ? "tcp:127.0.0.1:" + std::to_string(tcpPort_) : "unix:" + socket_;
}

ServerProcess::~ServerProcess() {
    stop();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::string ServerProcess::executable() {
    const char* dir = std::getenv("BREVANTIS_BIN_DIR");
    if (dir && *dir) return std::string(dir) + "/enginesrv";
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "enginesrv").string();
}

bool ServerProcess::start() {
    if (pid_ > 0) return true;
    std::string exe = executable();
    std::vector<std::string> args = {exe, "--socket", socket_};
    args.insert(args.end(), extraArgs_.begin(), extraArgs_.end());
    pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
        int log = ::open(logPath_.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (log >= 0) ::dup2(log, 2);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(exe.c_str(), argv.data());
        ::_exit(127);
    }
    pid_ = pid;
    for (int i = 0; i < 1000; ++i) {
        if (accepts(socket_, tcpPort_)) return true;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill();
    return false;
}

int ServerProcess::waitExit(int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 5) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return -2;
}

int ServerProcess::stop() {
    if (pid_ <= 0) return -1;
    ::kill(pid_, SIGTERM);
    int rc = waitExit(10000);
    if (rc == -2) {
        kill();
        return 128 + SIGKILL;
    }
    return rc;
}

void ServerProcess::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    waitExit(10000);
}

std::string ServerProcess::log() const {
    std::ifstream in(logPath_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace engine::testing
