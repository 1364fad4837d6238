// harness.h: what the reliability tests stand on — a demo-like dictionary on disk, beside
// the child processes and the private server every test of the engine shares.
#ifndef BREVANTIS_TESTS_ENGINE_RELIABILITY_HARNESS_H
#define BREVANTIS_TESTS_ENGINE_RELIABILITY_HARNESS_H

#include <string>

#include "tests/support/child_process.h"
#include "tests/support/lock_holder.h"
#include "tests/support/server_process.h"

namespace reliability {

using testsupport::binPath;
using testsupport::Child;
using testsupport::LockHolder;
using testsupport::ServerProcess;
using testsupport::waitForFile;

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

}  // namespace reliability

#endif  // BREVANTIS_TESTS_ENGINE_RELIABILITY_HARNESS_H
