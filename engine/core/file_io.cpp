// file_io.cpp: positioned whole reads and writes, atomic replacement, failure reports.
#include "engine/core/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "engine/core/test_hooks.h"
#include "engine/include/engine_api.h"

namespace engine {
namespace {

std::atomic<int64_t> gWriteBudget{-1};

}  // namespace

void failWritesAfter(int64_t n) {
    gWriteBudget.store(n);
}

bool writeAt(int fd, const void* data, size_t n, uint64_t at) {
    int64_t budget = gWriteBudget.load();
    if (budget == 0) {
        errno = EIO;
        return false;
    }
    if (budget > 0) gWriteBudget.fetch_sub(1);
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        ssize_t w = ::pwrite(fd, p, n, static_cast<off_t>(at));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        p += w;
        n -= static_cast<size_t>(w);
        at += static_cast<uint64_t>(w);
    }
    return true;
}

bool readAt(int fd, void* data, size_t n, uint64_t at) {
    char* p = static_cast<char*>(data);
    while (n > 0) {
        ssize_t r = ::pread(fd, p, n, static_cast<off_t>(at));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        p += r;
        n -= static_cast<size_t>(r);
        at += static_cast<uint64_t>(r);
    }
    return true;
}

Status writeFailure(const std::string& what, const std::string& path) {
    const int e = errno;
    if (e == EACCES || e == EPERM || e == EROFS)
        return Status::error(AE_READ_ONLY_STORAGE, what + " failed on " + path +
                                                       ": the storage cannot be written (" +
                                                       std::strerror(e) + ").");
    return Status::error(AE_INTERNAL_ERROR, what + " failed on " + path + ": " + std::strerror(e));
}

Status replaceFile(const std::string& path, std::string_view content, mode_t mode) {
    const std::string tmp = path + ".tmp";
    if (::unlink(tmp.c_str()) != 0 && errno != ENOENT) return writeFailure("Creating", tmp);
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) return writeFailure("Creating", tmp);
    bool ok = writeAt(fd, content.data(), content.size(), 0) && ::fsync(fd) == 0;
    Status failed = ok ? Status::success() : writeFailure("Writing", tmp);
    ::close(fd);
    if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) failed = writeFailure("Renaming", tmp);
    if (!failed.ok()) ::unlink(tmp.c_str());
    return failed;
}

}  // namespace engine
