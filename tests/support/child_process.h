// child_process.h: programs of the build run as child processes of a test, which die with
// the test so that a crashed or timed-out test leaves nothing running.
#ifndef BREVANTIS_TESTS_SUPPORT_CHILD_PROCESS_H
#define BREVANTIS_TESTS_SUPPORT_CHILD_PROCESS_H

#include <sys/types.h>

#include <string>
#include <vector>

namespace testsupport {

// Path of a program of the build: in BREVANTIS_BIN_DIR when set, else beside the running
// executable.
std::string binPath(const std::string& name);

// A child process running `program` with `args`; its standard output is discarded and its
// standard error goes to `stderrFile` (appended) or, when empty, to the test's own.
// Destroying it kills it (SIGKILL) if it still runs. The child is sent SIGKILL when the
// thread that started it ends, so start children from the test's main thread.
class Child {
  public:
    Child() = default;
    Child(const std::string& program, const std::vector<std::string>& args,
          const std::string& stderrFile = "");
    ~Child();
    Child(Child&& other) noexcept;
    Child& operator=(Child&& other) noexcept;

    pid_t pid() const { return pid_; }
    // Whether it was started and has not ended yet (reaps it when it has).
    bool running();
    // Sends `sig` while it runs.
    void signal(int sig);
    // Waits up to timeoutMs for its end; returns its exit status, 128 + the signal when a
    // signal ended it, or -1 on timeout or when it never started.
    int wait(int timeoutMs);

  private:
    void killAndReap();

    pid_t pid_ = -1;
    bool reaped_ = true;
    int status_ = 0;
};

// Waits until `file` exists, up to timeoutMs; false on timeout.
bool waitForFile(const std::string& file, int timeoutMs);

}  // namespace testsupport

#endif  // BREVANTIS_TESTS_SUPPORT_CHILD_PROCESS_H
