// harness.h: what the reliability tests stand on — a demo-like dictionary on disk, child
// processes (enginesrv, lockholder) and a real server on a private socket.
#ifndef BREVANTIS_TESTS_ENGINE_RELIABILITY_HARNESS_H
#define BREVANTIS_TESTS_ENGINE_RELIABILITY_HARNESS_H

#include <sys/types.h>

#include <string>
#include <vector>

namespace reliability {

// Path of an executable of the build (BREVANTIS_BIN_DIR, else beside the test).
std::string binPath(const std::string& name);

// A fresh folder under the test's working folder, removed with its content on destruction.
class TempDir {
  public:
    explicit TempDir(const std::string& prefix);
    ~TempDir();
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// Writes dir/NAME.add with the administrator adssys/kor5382, a plain user
// "plain"/"plain1" without administrator rights, and the tables
//   Items  (Code Char(10), Label CIChar(40), Qty Integer)  with `rows` rows, and
//   Journal (Seq Integer, Payload Char(40))                 empty.
// Returns the dictionary path. Fails the current test on any engine error.
std::string makeDictionary(const std::string& dir, const std::string& name, int rows);

// A child process. Destroying it kills it (SIGKILL) if it still runs.
class Child {
  public:
    Child() = default;
    Child(const std::string& program, const std::vector<std::string>& args,
          const std::string& stderrFile = "");
    ~Child();
    Child(Child&& other) noexcept;
    Child& operator=(Child&& other) noexcept;

    pid_t pid() const { return pid_; }
    bool running();
    void signal(int sig);
    // Waits up to timeoutMs for the exit; returns the exit status, or -1 on timeout or a
    // death by signal.
    int wait(int timeoutMs);

  private:
    pid_t pid_ = -1;
    bool reaped_ = true;
    int status_ = 0;
};

// enginesrv on a Unix socket of its own.
class ServerProcess {
  public:
    // A server for `socketPath`, not started yet. Extra command-line arguments go after the
    // socket option.
    explicit ServerProcess(std::string socketPath, std::vector<std::string> extraArgs = {});
    ~ServerProcess();

    std::string address() const { return "unix:" + socketPath_; }
    const std::string& socketPath() const { return socketPath_; }
    pid_t pid() const { return child_.pid(); }
    // (Re)starts and waits until it accepts connections; false when it does not come up
    // within 5 s.
    bool start();
    void kill9();  // SIGKILL, then reaps it
    int stop();    // SIGTERM; the exit status (-1: it did not stop within 5 s)

  private:
    std::string socketPath_;
    std::vector<std::string> extraArgs_;
    std::string logFile_;
    Child child_;
};

// Waits until `file` exists (up to timeoutMs); false on timeout.
bool waitForFile(const std::string& file, int timeoutMs);

}  // namespace reliability

#endif  // BREVANTIS_TESTS_ENGINE_RELIABILITY_HARNESS_H
