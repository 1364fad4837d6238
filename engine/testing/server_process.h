// server_process.h: a real enginesrv process on a private Unix socket, for tests.
//
// Each ServerProcess gets its own temporary folder holding the socket and the server's
// log; it starts the enginesrv built beside the tests (BREVANTIS_BIN_DIR, else the test's
// own folder) and waits until the server accepts connections. Tests connect with
// EngineSetServerAddress(address()).
#ifndef BREVANTIS_ENGINE_TESTING_SERVER_PROCESS_H
#define BREVANTIS_ENGINE_TESTING_SERVER_PROCESS_H

#include <sys/types.h>

#include <string>
#include <vector>

namespace engine::testing {

class ServerProcess {
  public:
    // extraArgs go to enginesrv after --socket (e.g. {"--idle-timeout", "200"}); with
    // {"--tcp", PORT} the server listens on 127.0.0.1:PORT instead.
    explicit ServerProcess(std::vector<std::string> extraArgs = {});
    ~ServerProcess();  // stops the server and removes the folder
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Starts the server; false (see log()) when it exits or does not accept within 10 s.
    bool start();
    // SIGTERM, then waits for the exit (SIGKILL after 10 s); returns the exit status
    // (128 + signal when killed), or -1 when not running.
    int stop();
    // SIGKILL and wait.
    void kill();
    bool running() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    const std::string& folder() const { return folder_; }
    const std::string& socketPath() const { return socket_; }
    std::string address() const;
    // What the server wrote on stderr so far.
    std::string log() const;

    // The enginesrv executable these tests use.
    static std::string executable();

  private:
    int waitExit(int timeoutMs);

    std::vector<std::string> extraArgs_;
    std::string folder_;
    std::string socket_;
    std::string logPath_;
    int tcpPort_ = 0;
    pid_t pid_ = -1;
};

}  // namespace engine::testing

#endif  // BREVANTIS_ENGINE_TESTING_SERVER_PROCESS_H
