// socket_server.h: the accept loop of enginesrv — one thread per client connection.
//
// Listens on a Unix socket or on TCP bound to 127.0.0.1 only. Each connection gets its own
// Dispatcher; when the peer closes, dies, sends a malformed, truncated or oversized frame,
// has not logged in within the login timeout, or stays silent past the idle timeout once
// logged in, only that connection is dropped, and dropping it ends its session (its record
// locks and temporary tables go at once).
//
// At maxConnections, a new connection takes the place of the oldest one that has not
// logged in yet, so that silent connections cannot keep real logins out; when every
// connection has logged in, the new one is refused with AE_SERVER_BUSY. So is any the
// process has no descriptor or thread for: the others go on being served, and new ones are
// taken again as soon as some leave.
#ifndef BREVANTIS_ENGINE_SERVER_SOCKET_SERVER_H
#define BREVANTIS_ENGINE_SERVER_SOCKET_SERVER_H

#include <poll.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/core/session.h"

namespace engine::server {

struct ListenOptions {
    std::string unixPath;               // used when tcpPort is 0
    uint16_t tcpPort = 0;               // > 0: TCP on 127.0.0.1
    int loginTimeoutMs = 10000;         // a connection must have logged in by then
    int idleTimeoutMs = 8 * 3600 * 1000;  // once logged in, the longest silence (<= 0: none)
    int frameTimeoutMs = 10000;         // a started frame must be complete by then
    int logLevel = 1;                   // 0 silent, 1 starts/stops/connections/refusals, 2 more
    // After an answer, a connection's thread checks for the next request this long before
    // sleeping (see protocol::SpinPolicy); one processor is always left to the others.
    int spinMicros = 50;
    int maxConnections = 1000;  // connections at once, logged in or not
    // TCP tells nothing of the client's user: folder connections, which need no password,
    // come only through the Unix socket unless this is set.
    bool folderConnectionsOverTcp = false;
};

class SocketServer {
  public:
    SocketServer(Server& core, ListenOptions options);
    ~SocketServer();  // stops if still running

    // Binds and listens. Fails (false, *error set) when the address is in use by a live
    // server or cannot be bound, or when the folder of a Unix socket is one another user
    // controls (owns, or may write in): whoever binds the address first gets the clients'
    // passwords. A missing folder is made, private to this user. A stale Unix socket file
    // left by a dead server is replaced.
    bool start(std::string* error);
    // Stops accepting, drops every connection (ending their sessions), joins the threads
    // and removes the Unix socket file. Safe to call twice.
    void stop();

    // A printable form of the address ("unix:/path" or "tcp:127.0.0.1:port").
    std::string address() const;

  private:
    struct Connection;
    void acceptLoop();
    void serve(Connection* connection);
    void log(int level, const std::string& line) const;
    void reapFinished();
    // At the connection limit: drops the oldest connection that has not logged in, so that
    // a new one takes its place. False when every connection has logged in. mutex_ held.
    bool makeRoom();
    // Connections counted against the limit: those not dropped by makeRoom. mutex_ held.
    size_t connectionsServed() const;
    // A connection refused, left open a moment to take the client's request (see refuse).
    struct Refused {
        int fd;
        std::chrono::steady_clock::time_point until;
    };
    // Answers a connection the server does not take with AE_SERVER_BUSY and closes it, at
    // once or (`linger`) once the client has sent its request or after half a second.
    void refuse(int fd, const std::string& why, bool linger);
    // Closes a refused connection after reading what its client sent.
    void closeRefused(int fd);
    // Closes the lingering refused connections whose poll entries (one per refused_, in
    // order) show input or whose time is up.
    void closeRefused(const pollfd* polled);
    // accept() failed for want of descriptors: accepts with the spare descriptor, which is
    // then gone until the connection (to be refused) is closed. -1 when that fails too.
    int acceptWithSpare();

    Server& core_;
    ListenOptions options_;
    int listenFd_ = -1;
    int wakePipe_[2] = {-1, -1};
    int spareFd_ = -1;  // kept open to accept and refuse when descriptors run out; -1: in use
    bool refusing_ = false;         // refusals are logged once per run of them
    std::vector<Refused> refused_;  // the accept thread's alone
    std::thread acceptor_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> spinners_{0};
    std::mutex mutex_;
    std::list<Connection> connections_;  // GUARDED_BY(mutex_)
};

}  // namespace engine::server

#endif  // BREVANTIS_ENGINE_SERVER_SOCKET_SERVER_H
