// server_process.cpp: starting, waiting for, stopping and killing enginesrv for tests.
#include "tests/support/server_process.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace testsupport {
namespace {

// Whether a server accepts on the Unix socket path, or on 127.0.0.1:tcpPort when set.
bool accepts(const std::string& path, int tcpPort) {
    const int fd = ::socket(tcpPort ? AF_INET : AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
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

int tcpPortOf(const std::vector<std::string>& args) {
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "--tcp") return std::atoi(args[i + 1].c_str());
    }
    return 0;
}

}  // namespace

ServerProcess::ServerProcess(std::vector<std::string> extraArgs)
    : extraArgs_(std::move(extraArgs)), tcpPort_(tcpPortOf(extraArgs_)) {
    char pattern[] = "/tmp/brevantis_srv_XXXXXX";
    if (::mkdtemp(pattern) == nullptr) return;  // no socket: start() fails
    ownFolder_ = pattern;
    socket_ = ownFolder_ + "/engine.sock";
    logPath_ = ownFolder_ + "/enginesrv.log";
}

ServerProcess::ServerProcess(SocketPath socket, std::vector<std::string> extraArgs)
    : extraArgs_(std::move(extraArgs)),
      socket_(std::move(socket.path)),
      logPath_(socket_ + ".log"),
      tcpPort_(tcpPortOf(extraArgs_)) {}

ServerProcess::~ServerProcess() {
    stop();
    std::error_code ignored;
    if (!ownFolder_.empty()) std::filesystem::remove_all(ownFolder_, ignored);
}

std::string ServerProcess::address() const {
    return tcpPort_ ? "tcp:127.0.0.1:" + std::to_string(tcpPort_) : "unix:" + socket_;
}

void ServerProcess::serveThisProcess() const {
    ::setenv("BREVANTIS_ENGINE_ADDRESS", address().c_str(), 1);
}

std::string ServerProcess::executable() {
    return binPath("enginesrv");
}

bool ServerProcess::start() {
    if (running()) return true;
    if (socket_.empty()) return false;
    std::vector<std::string> args{"--socket", socket_};
    args.insert(args.end(), extraArgs_.begin(), extraArgs_.end());
    child_ = Child(executable(), args, logPath_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (!child_.running()) return false;
        if (accepts(socket_, tcpPort_)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill();
    return false;
}

int ServerProcess::stop() {
    if (!running()) return -1;
    child_.signal(SIGTERM);
    const int status = child_.wait(10000);
    if (status != -1) return status;
    kill();
    return 128 + SIGKILL;
}

void ServerProcess::kill() {
    child_.signal(SIGKILL);
    child_.wait(10000);
}

std::string ServerProcess::log() const {
    std::ifstream in(logPath_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace testsupport
