// socket_server.cpp: listening socket, accept loop and per-connection threads of enginesrv.
#include "engine/server/socket_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <system_error>

#include "engine/include/engine_api.h"
#include "engine/protocol/address.h"
#include "engine/protocol/frame.h"
#include "engine/protocol/wire_format.h"
#include "engine/server/dispatcher.h"

namespace engine::server {

// The largest frame a connection may send before it has logged in.
constexpr uint32_t kMaxPayloadBeforeLogin = 64 * 1024;

struct SocketServer::Connection {
    int fd = -1;
    std::string peer;
    PeerCredentials credentials;
    std::chrono::steady_clock::time_point accepted;
    std::thread thread;
    std::atomic<bool> loggedIn{false};
    std::atomic<bool> dropped{false};  // by makeRoom: no longer counted
    std::atomic<bool> finished{false};
};

namespace {

bool fillUnixAddress(const std::string& path, sockaddr_un* addr) {
    std::memset(addr, 0, sizeof *addr);
    addr->sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr->sun_path) return false;
    std::memcpy(addr->sun_path, path.data(), path.size());
    return true;
}

// Whether a server answers on the Unix socket path (a stale file answers nothing).
bool unixPathAlive(const sockaddr_un& addr) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    bool alive = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return alive;
}

// Whether the folder that holds a Unix socket is this user's alone: a folder, not a link,
// owned by this user or by root, and writable by nobody else. Checked before anything is
// made there; a missing folder is made so. *why tells otherwise, and what to do.
bool privateFolder(const std::string& socketPath, std::string* why) {
    size_t slash = socketPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : socketPath.substr(0, slash);
    const std::string advice = ": remove it or make it this user's alone (mode 0700), or give "
                               "the server another address with --socket PATH or the "
                               "environment variable " + std::string(protocol::kAddressVariable);
    struct stat st;
    if (::lstat(folder.c_str(), &st) != 0 && errno == ENOENT &&
        ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        *why = "cannot make the folder " + folder + ": " + std::strerror(errno);
        return false;
    }
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *why = "the socket's folder " + folder + " is not a folder" + advice;
        return false;
    }
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    if (st.st_uid != ::geteuid() && st.st_uid != 0) {
        *why = "the socket's folder " + folder + " belongs to another user (uid " +
               std::to_string(st.st_uid) + ")" + advice;
        return false;
    }
    if (st.st_mode & (S_IWGRP | S_IWOTH)) {
        *why = "another user may write in the socket's folder " + folder + " (mode " + mode + ")" +
               advice;
        return false;
    }
    return true;
}

}  // namespace

SocketServer::SocketServer(Server& core, ListenOptions options)
    : core_(core), options_(std::move(options)) {}

SocketServer::~SocketServer() {
    stop();
}

std::string SocketServer::address() const {
    if (options_.tcpPort) return "tcp:127.0.0.1:" + std::to_string(options_.tcpPort);
    return "unix:" + options_.unixPath;
}

void SocketServer::log(int level, const std::string& line) const {
    if (level <= options_.logLevel) std::cerr << "enginesrv: " << line << std::endl;
}

bool SocketServer::start(std::string* error) {
    auto fail = [&](const std::string& why) {
        *error = why;
        if (listenFd_ >= 0) ::close(listenFd_);
        listenFd_ = -1;
        return false;
    };
    if (options_.tcpPort) {
        listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (listenFd_ < 0) return fail(std::string("socket: ") + std::strerror(errno));
        int one = 1;
        ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(options_.tcpPort);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // never beyond this machine
        if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            return fail(errno == EADDRINUSE
                            ? "another server already listens on " + address()
                            : "cannot bind " + address() + ": " + std::strerror(errno));
        }
    } else {
        sockaddr_un addr;
        if (!fillUnixAddress(options_.unixPath, &addr)) {
            return fail("invalid Unix socket path '" + options_.unixPath + "'");
        }
        std::string why;
        if (!privateFolder(options_.unixPath, &why)) return fail(why);
        if (unixPathAlive(addr)) return fail("another server already listens on " + address());
        ::unlink(options_.unixPath.c_str());  // a stale file of a server that died
        listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (listenFd_ < 0) return fail(std::string("socket: ") + std::strerror(errno));
        if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            return fail("cannot bind " + address() + ": " + std::strerror(errno));
        }
    }
    if (::listen(listenFd_, 128) != 0) return fail(std::string("listen: ") + std::strerror(errno));
    if (::pipe2(wakePipe_, O_CLOEXEC) != 0)
        return fail(std::string("pipe: ") + std::strerror(errno));
    spareFd_ = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    acceptor_ = std::thread([this] { acceptLoop(); });
    log(1, "listening on " + address());
    return true;
}

void SocketServer::acceptLoop() {
    std::vector<pollfd> fds;
    while (!stopping_) {
        reapFinished();  // first: a finished connection's descriptor serves the next one
        // Without a spare descriptor, a pending connection could be neither taken nor
        // refused: the listening socket, readable all along, is left until one comes back.
        if (spareFd_ < 0) spareFd_ = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        fds = {{listenFd_, static_cast<short>(spareFd_ >= 0 ? POLLIN : 0), 0},
               {wakePipe_[0], POLLIN, 0}};
        for (const Refused& r : refused_) fds.push_back({r.fd, POLLIN, 0});
        const int ready =
            ::poll(fds.data(), fds.size(), refused_.empty() && spareFd_ >= 0 ? 1000 : 100);
        closeRefused(fds.data() + 2);
        if (ready > 0 && fds[1].revents) break;
        if (ready <= 0 || !fds[0].revents) continue;
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0 && (errno == EMFILE || errno == ENFILE)) fd = acceptWithSpare();
        if (fd < 0) continue;
        if (spareFd_ < 0) {  // taken with the spare: there is no room for it
            refuse(fd, "it has no descriptor left", true);
            continue;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        if (connectionsServed() >= static_cast<size_t>(options_.maxConnections) && !makeRoom()) {
            refuse(fd,
                   "it serves its limit of " + std::to_string(options_.maxConnections) +
                       " connections",
                   true);
            continue;
        }
        refusing_ = false;
        std::string peer = "local";
        sockaddr_in in{};
        socklen_t len = sizeof in;
        if (options_.tcpPort && ::getpeername(fd, reinterpret_cast<sockaddr*>(&in), &len) == 0) {
            char text[INET_ADDRSTRLEN] = {};
            ::inet_ntop(AF_INET, &in.sin_addr, text, sizeof text);
            peer = text;
            int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        }
        Connection& c = connections_.emplace_back();
        c.fd = fd;
        c.peer = peer;
        c.accepted = std::chrono::steady_clock::now();
        // Only the Unix socket tells who the client runs as.
        ucred cred{};
        socklen_t credLen = sizeof cred;
        c.credentials = {false, 0, 0, 0};
        if (!options_.tcpPort &&
            ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &credLen) == 0) {
            c.credentials = {true, cred.uid, cred.gid, cred.pid};
        }
        try {
            c.thread = std::thread([this, &c] { serve(&c); });
        } catch (const std::system_error&) {  // no thread to be had (memory, process limit)
            connections_.pop_back();
            refuse(fd, "it cannot start a thread for it", false);
        }
    }
}

void SocketServer::refuse(int fd, const std::string& why, bool linger) {
    const std::string text = "The server takes no more connections: " + why + ".";
    const std::string answer =
        protocol::encoded(std::vector<protocol::OpResult>{{AE_SERVER_BUSY, text, {}}});
    (void)protocol::writeFrame(fd, answer, 0);
    log(refusing_ ? 2 : 1, "connection refused: " + why);
    refusing_ = true;
    // The client sends its first request before it reads: the connection stays open to take
    // it for a moment, so that the client is not cut off before it has read the answer.
    constexpr size_t kMaxLingering = 64;
    if (linger && refused_.size() < kMaxLingering) {
        ::shutdown(fd, SHUT_WR);
        refused_.push_back({fd, std::chrono::steady_clock::now() + std::chrono::milliseconds(500)});
        return;
    }
    closeRefused(fd);
}

void SocketServer::closeRefused(int fd) {
    char request[4096];
    while (::recv(fd, request, sizeof request, MSG_DONTWAIT) > 0) {
    }
    ::close(fd);
}

void SocketServer::closeRefused(const pollfd* polled) {
    const auto now = std::chrono::steady_clock::now();
    size_t kept = 0;
    for (size_t i = 0; i < refused_.size(); ++i) {
        if (polled[i].revents || now >= refused_[i].until)
            closeRefused(refused_[i].fd);
        else
            refused_[kept++] = refused_[i];
    }
    refused_.resize(kept);
}

int SocketServer::acceptWithSpare() {
    ::close(spareFd_);
    spareFd_ = -1;
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) spareFd_ = ::open("/dev/null", O_RDONLY | O_CLOEXEC);  // another thread took it
    return fd;
}

void SocketServer::serve(Connection* c) {
    Dispatcher dispatcher(core_, c->peer, c->credentials, options_.folderConnectionsOverTcp);
    dispatcher.watchClient([fd = c->fd] {
        pollfd p{fd, POLLRDHUP, 0};
        return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR));
    });
    const protocol::SpinPolicy spin{options_.spinMicros, &spinners_,
                                    protocol::spinLimitForThisMachine()};
    protocol::FrameReader reader;
    std::string_view request;  // valid until the next read
    uint32_t number = 0;
    std::string why;  // empty: the socket was closed, by the client or by stop()
    while (!stopping_) {
        // Before login the connection has a deadline, whatever it sends meanwhile; after it,
        // only silence is bounded. A frame is small until a password was given: a Connect
        // request fits in a few KiB, and a folder connection gives none.
        const bool loggedIn = number != 0;
        int waitMs = options_.idleTimeoutMs > 0 ? options_.idleTimeoutMs : -1;
        if (!loggedIn) {
            const auto left = c->accepted + std::chrono::milliseconds(options_.loginTimeoutMs) -
                              std::chrono::steady_clock::now();
            waitMs = static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(left).count());
            if (waitMs <= 0) {  // however busy it keeps the server meanwhile
                why = "no login in time";
                break;
            }
        }
        protocol::IoResult r =
            reader.read(c->fd, &request, waitMs, options_.frameTimeoutMs,
                        loggedIn ? spin : protocol::SpinPolicy{},
                        dispatcher.passwordGiven() ? protocol::kMaxPayload : kMaxPayloadBeforeLogin);
        if (r != protocol::IoResult::Ok) {
            if (r == protocol::IoResult::Timeout)
                why = reader.midFrame() ? "frame cut short"
                      : loggedIn        ? "idle client"
                                        : "silent client";
            if (r == protocol::IoResult::Malformed) why = "malformed frame";
            if (r == protocol::IoResult::Error) why = "socket error";
            break;
        }
        std::optional<std::string> answer = dispatcher.respond(request);
        if (!answer) {
            why = "malformed message";
            break;
        }
        std::string refusal = dispatcher.takeRefusal();
        if (!refusal.empty()) log(1, "connection from " + c->peer + " refused: " + refusal);
        if (!number && dispatcher.connectionNumber()) {
            number = dispatcher.connectionNumber();
            c->loggedIn = true;
            log(1, "connection " + std::to_string(number) + " opened from " + c->peer);
        }
        if (protocol::writeFrame(c->fd, *answer, options_.frameTimeoutMs) !=
            protocol::IoResult::Ok) {
            why = "client stopped reading";
            break;
        }
        if (dispatcher.finished()) {
            why = "disconnected";
            break;
        }
    }
    if (why.empty()) why = stopping_ ? "server stopping" : "closed by the client";
    log(1, "connection " + (number ? std::to_string(number) : std::string("(not connected)")) +
               " from " + c->peer + " closed: " + why);
    ::shutdown(c->fd, SHUT_RDWR);  // the peer sees the end now; the fd closes when reaped
    c->finished = true;
}

bool SocketServer::makeRoom() {
    Connection* oldest = nullptr;
    for (Connection& c : connections_)
        if (!c.loggedIn && !c.dropped && !c.finished && (!oldest || c.accepted < oldest->accepted))
            oldest = &c;
    if (!oldest) return false;
    oldest->dropped = true;
    ::shutdown(oldest->fd, SHUT_RDWR);  // its thread sees the end and finishes
    log(2, "connection from " + oldest->peer + " dropped, not logged in, for a newer one");
    return true;
}

size_t SocketServer::connectionsServed() const {
    size_t n = 0;
    for (const Connection& c : connections_) n += c.dropped ? 0 : 1;
    return n;
}

void SocketServer::reapFinished() {
    std::list<Connection> done;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = connections_.begin(); it != connections_.end();) {
            auto next = std::next(it);
            if (it->finished) done.splice(done.end(), connections_, it);
            it = next;
        }
    }
    for (Connection& c : done) {
        c.thread.join();
        ::close(c.fd);
    }
}

void SocketServer::stop() {
    if (listenFd_ < 0 || stopping_.exchange(true)) return;
    char b = 1;
    (void)!::write(wakePipe_[1], &b, 1);
    if (acceptor_.joinable()) acceptor_.join();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (Connection& c : connections_) ::shutdown(c.fd, SHUT_RDWR);
    }
    for (Connection& c : connections_) {
        c.thread.join();
        ::close(c.fd);
    }
    connections_.clear();
    ::close(listenFd_);
    listenFd_ = -1;
    ::close(wakePipe_[0]);
    ::close(wakePipe_[1]);
    if (spareFd_ >= 0) ::close(spareFd_);
    spareFd_ = -1;
    for (const Refused& r : refused_) ::close(r.fd);
    refused_.clear();
    if (!options_.tcpPort) ::unlink(options_.unixPath.c_str());
    log(1, "stopped");
}

}  // namespace engine::server
