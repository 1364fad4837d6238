// channel.cpp: the socket channel to enginesrv and the channel factory seam.
#include "engine/client/channel.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>

#include "engine/include/engine_api.h"
#include "engine/protocol/address.h"
#include "engine/protocol/frame.h"

namespace engine::client {
namespace {

constexpr int kConnectTimeoutMs = 3000;
// An answer usually comes within this; checking for it meanwhile spares waking this thread.
constexpr int kAnswerSpinMicros = 50;
std::atomic<int> gSpinners{0};

class SocketChannel : public Channel {
  public:
    explicit SocketChannel(int fd) : fd_(fd) {}
    ~SocketChannel() override { ::close(fd_); }

    bool exchange(const std::string& request, std::string* answer, int timeoutMs) override {
        if (broken_) return false;
        std::string_view payload;
        if (protocol::writeFrame(fd_, request, timeoutMs) != protocol::IoResult::Ok ||
            reader_.read(fd_, &payload, timeoutMs, timeoutMs,
                         {kAnswerSpinMicros, &gSpinners, protocol::spinLimitForThisMachine()}) !=
                protocol::IoResult::Ok) {
            broken_ = true;
            ::shutdown(fd_, SHUT_RDWR);
            return false;
        }
        answer->assign(payload);
        return true;
    }

  private:
    int fd_;
    protocol::FrameReader reader_;
    bool broken_ = false;
};

// Connects without blocking longer than kConnectTimeoutMs; false with errno-like text.
bool connectWithin(int fd, const sockaddr* addr, socklen_t len) {
    int flags = ::fcntl(fd, F_GETFL);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    int rc = ::connect(fd, addr, len);
    if (rc != 0 && errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, kConnectTimeoutMs) == 1) {
            int err = 0;
            socklen_t errLen = sizeof err;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &errLen);
            rc = err == 0 ? 0 : -1;
        }
    }
    ::fcntl(fd, F_SETFL, flags);
    return rc == 0;
}

// The user a loopback TCP peer runs as, from the kernel's table of TCP sockets: the one
// whose local port is the peer's and whose remote port is ours.
bool tcpPeerUid(int fd, uid_t* uid) {
    sockaddr_in self{}, peer{};
    socklen_t len = sizeof self;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&self), &len) != 0) return false;
    len = sizeof peer;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &len) != 0) return false;
    std::ifstream table("/proc/net/tcp");
    std::string line;
    std::getline(table, line);  // the column titles
    while (std::getline(table, line)) {
        unsigned localAddress, localPort, remoteAddress, remotePort, owner;
        if (std::sscanf(line.c_str(), " %*u: %x:%x %x:%x %*x %*x:%*x %*x:%*x %*x %u", &localAddress,
                        &localPort, &remoteAddress, &remotePort, &owner) == 5 &&
            localPort == ntohs(peer.sin_port) && remotePort == ntohs(self.sin_port)) {
            *uid = owner;
            return true;
        }
    }
    return false;
}

// Whether `uid` owns the machine-wide server's socket folder, made in /run by the service
// manager for the service's account: a real folder, in a parent that only root may change.
bool ownsSystemSocketFolder(uid_t uid) {
    const std::string folder = protocol::kSystemSocketFolder;
    const std::string parent = folder.substr(0, folder.find_last_of('/'));
    struct stat own, up;
    return ::lstat(folder.c_str(), &own) == 0 && S_ISDIR(own.st_mode) && own.st_uid == uid &&
           ::lstat(parent.c_str(), &up) == 0 && S_ISDIR(up.st_mode) && up.st_uid == 0 &&
           !(up.st_mode & (S_IWGRP | S_IWOTH));
}

// Whether the process at the other end runs as this user or as root, or is the machine-wide
// service on its own socket: nothing, a password least of all, is sent to a server another
// user started on the address. *uid gets the peer's user.
bool trustedPeer(int fd, const std::string& unixPath, uid_t* uid) {
    const bool tcp = unixPath.empty();
    if (tcp) {
        if (!tcpPeerUid(fd, uid)) return false;
    } else {
        ucred cred{};
        socklen_t len = sizeof cred;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) return false;
        *uid = cred.uid;
    }
    if (*uid == ::geteuid() || *uid == 0) return true;
    return "unix:" + unixPath == protocol::kSystemServerAddress && ownsSystemSocketFolder(*uid);
}

std::mutex gFactoryMutex;
ChannelFactory gFactory;  // GUARDED_BY(gFactoryMutex)

}  // namespace

std::unique_ptr<Channel> openSocketChannel(const std::string& address, Status* failure) {
    std::string path, error;
    uint16_t port = 0;
    if (!protocol::parseServerAddress(address, &path, &port, &error)) {
        *failure = Status::error(AE_SERVER_NOT_AVAILABLE, "No server available: " + error + ".");
        return nullptr;
    }
    int fd = ::socket(port ? AF_INET : AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    bool connected = false;
    if (fd >= 0 && port) {
        sockaddr_in in{};
        in.sin_family = AF_INET;
        in.sin_port = htons(port);
        in.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected = connectWithin(fd, reinterpret_cast<sockaddr*>(&in), sizeof in);
        int one = 1;
        if (connected) ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    } else if (fd >= 0 && path.size() < sizeof(sockaddr_un::sun_path)) {
        sockaddr_un un{};
        un.sun_family = AF_UNIX;
        std::memcpy(un.sun_path, path.data(), path.size());
        connected = connectWithin(fd, reinterpret_cast<sockaddr*>(&un), sizeof un);
    }
    if (!connected) {
        if (fd >= 0) ::close(fd);
        *failure = Status::error(AE_SERVER_NOT_AVAILABLE,
                                 "No database server answers at " + address + ".");
        return nullptr;
    }
    uid_t peer = 0;
    if (!trustedPeer(fd, path, &peer)) {
        ::close(fd);
        *failure = Status::error(AE_SERVER_NOT_TRUSTED,
                                 "The server at " + address + " runs as another user (uid " +
                                     std::to_string(peer) + "): nothing was sent to it.");
        return nullptr;
    }
    return std::make_unique<SocketChannel>(fd);
}

void setChannelFactory(ChannelFactory factory) {
    std::lock_guard<std::mutex> lock(gFactoryMutex);
    gFactory = std::move(factory);
}

std::unique_ptr<Channel> openChannel(const std::string& address, Status* failure) {
    {
        std::lock_guard<std::mutex> lock(gFactoryMutex);
        if (gFactory) return gFactory();
    }
    return openSocketChannel(address, failure);
}

}  // namespace engine::client
