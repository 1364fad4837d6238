// support.h: what the security tests need beyond the reliability harness — two dictionaries
// side by side, work done as an unprivileged user, and the files a test tampers with.
#ifndef BREVANTIS_TESTS_ENGINE_SECURITY_SUPPORT_H
#define BREVANTIS_TESTS_ENGINE_SECURITY_SUPPORT_H

#include <sys/types.h>

#include <functional>
#include <string>

namespace security {

// The user and group that unprivileged work runs as when the tests run as root.
constexpr uid_t kNobody = 65534;

bool runningAsRoot();

// A user of this test process alone, for limits that count every process of a user: no
// other test, run at the same time, runs as it.
uid_t userOfThisTest();

// Runs `body` in a child process that cannot write what it does not own: as root the child
// becomes `user` first (write permissions mean nothing to root). Returns what `body`
// returned, or a text starting with "child failed" when the child did not end normally.
std::string runUnprivileged(const std::function<std::string()>& body, uid_t user = kNobody);

// Gives `path` and everything under it to `user` when running as root (so that an
// unprivileged child may use a folder of its own); does nothing otherwise.
void giveToUnprivileged(const std::string& path, uid_t user = kNobody);

// Takes the owner's write permission away from `path` and everything under it, or gives it
// back; read and search permissions stay.
void setWritable(const std::string& path, bool writable);

// The whole content of a file, or "" when it cannot be read.
std::string readFile(const std::string& path);
// Replaces a file's content; false on failure.
bool writeFile(const std::string& path, const std::string& content);

// Whether `path` exists (a dangling link counts: it is not followed).
bool exists(const std::string& path);

}  // namespace security

#endif  // BREVANTIS_TESTS_ENGINE_SECURITY_SUPPORT_H
