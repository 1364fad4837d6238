// server_process.h: a real enginesrv for a test or a benchmark, on a private socket with the
// options the caller gives, started and waited for until it accepts connections.
#ifndef BREVANTIS_TESTS_SUPPORT_SERVER_PROCESS_H
#define BREVANTIS_TESTS_SUPPORT_SERVER_PROCESS_H

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace testsupport {

// The Unix socket a server is to listen on, when the test chooses it (a folder whose owner
// or permissions matter to the test).
struct SocketPath {
    SocketPath(std::string socket) : path(std::move(socket)) {}  // NOLINT: implicit on purpose
    std::string path;
};

class ServerProcess {
  public:
    // A server on a socket in a temporary folder of its own, removed with it. `extraArgs` go
    // to enginesrv after --socket (e.g. {"--idle-timeout", "200"}); with {"--tcp", PORT}
    // clients reach it on 127.0.0.1:PORT. Not started yet.
    explicit ServerProcess(std::vector<std::string> extraArgs = {});
    // A server on `socket`, its log in the file beside it named SOCKET.log. Not started yet.
    ServerProcess(SocketPath socket, std::vector<std::string> extraArgs = {});
    ~ServerProcess();  // stops the server (and removes its own folder)
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Starts the server unless it runs; false (see log()) when it exits or does not accept
    // connections within 10 s. May be called again after stop() or kill().
    bool start();
    // SIGTERM, then waits for the end (SIGKILL after 10 s); returns the exit status (128 +
    // signal when a signal ended it), or -1 when it was not running.
    int stop();
    // SIGKILL, and waits for the end: every connection is lost at once.
    void kill();
    // Whether it was started and has not ended.
    bool running() { return child_.running(); }
    pid_t pid() const { return child_.pid(); }

    const std::string& socketPath() const { return socket_; }
    // The address clients give (EngineSetServerAddress, lockholder --server).
    std::string address() const;
    // Makes it the server of the client engine of this process (BREVANTIS_ENGINE_ADDRESS).
    void serveThisProcess() const;
    // What the server wrote on its standard error so far.
    std::string log() const;

    // The enginesrv executable tests use.
    static std::string executable();

  private:
    std::vector<std::string> extraArgs_;
    std::string ownFolder_;  // empty when the caller chose the socket
    std::string socket_;
    std::string logPath_;
    int tcpPort_ = 0;
    Child child_;
};

}  // namespace testsupport

#endif  // BREVANTIS_TESTS_SUPPORT_SERVER_PROCESS_H
