// support.cpp: unprivileged children, permissions and file contents for the security tests.
#include "tests/engine/security/support.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace security {
namespace fs = std::filesystem;

bool runningAsRoot() {
    return ::geteuid() == 0;
}

uid_t userOfThisTest() {
    return 60000 + static_cast<uid_t>(::getpid() % 5000);
}

std::string runUnprivileged(const std::function<std::string()>& body, uid_t user) {
    int out[2];
    if (::pipe(out) != 0) return "child failed: no pipe";
    const pid_t pid = ::fork();
    if (pid < 0) return "child failed: no fork";
    if (pid == 0) {
        ::close(out[0]);
        if (runningAsRoot() &&
            (::setgroups(0, nullptr) != 0 || ::setgid(user) != 0 || ::setuid(user) != 0)) {
            ::_exit(3);
        }
        const std::string result = body();
        size_t done = 0;
        while (done < result.size()) {
            const ssize_t n = ::write(out[1], result.data() + done, result.size() - done);
            if (n <= 0) ::_exit(4);
            done += static_cast<size_t>(n);
        }
        ::_exit(0);
    }
    ::close(out[1]);
    std::string result;
    char buf[4096];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;)
        result.append(buf, static_cast<size_t>(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "child failed (status " + std::to_string(status) + "): " + result;
    }
    return result;
}

void giveToUnprivileged(const std::string& path, uid_t user) {
    if (!runningAsRoot()) return;
    std::error_code ec;
    (void)::lchown(path.c_str(), user, user);
    for (const auto& e : fs::recursive_directory_iterator(path, ec)) {
        (void)::lchown(e.path().c_str(), user, user);
    }
}

void setWritable(const std::string& path, bool writable) {
    const auto change = [writable](const fs::path& p) {
        struct stat st;
        if (::lstat(p.c_str(), &st) != 0 || S_ISLNK(st.st_mode)) return;
        const mode_t mode = st.st_mode & 07777;
        ::chmod(p.c_str(), writable ? mode | S_IWUSR : mode & ~(S_IWUSR | S_IWGRP | S_IWOTH));
    };
    change(path);  // a folder first, so that its content can be reached
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(path, ec)) change(e.path());
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out.flush());
}

bool exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace security
