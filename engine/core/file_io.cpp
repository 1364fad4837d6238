// file_io.cpp: positioned whole reads and writes, atomic replacement, descriptors, failure
// reports.
#include "engine/core/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
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

FileId fileIdOf(const struct stat& st) {
    return {st.st_dev, st.st_ino};
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
}

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

bool outOfDescriptors(const std::string& what, Status* failure) {
    if (errno != EMFILE && errno != ENFILE) return false;
    *failure = Status::error(
        AE_SERVER_BUSY, "The server has no file descriptor left " + what + ": try again later.");
    return true;
}

Status replaceFile(const FolderFile& file, std::string_view content, mode_t mode,
                   FileId* written) {
    const std::string tmp = file.name + ".tmp";
    const std::string tmpPath = file.path + ".tmp";
    // A file rewritten by a server running as another user (root) stays its owner's.
    struct stat old;
    const bool replacing = ::fstatat(file.folder, file.name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 &&
                           S_ISREG(old.st_mode);
    if (::unlinkat(file.folder, tmp.c_str(), 0) != 0 && errno != ENOENT)
        return writeFailure("Creating", tmpPath);
    FileDescriptor fd(::openat(file.folder, tmp.c_str(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (!fd.valid()) return writeFailure("Creating", tmpPath);
    // An unprivileged server may not give every owner back (EPERM): the mode it gives.
    if (replacing && ((::fchown(fd.get(), old.st_uid, old.st_gid) != 0 && errno != EPERM) ||
                      ::fchmod(fd.get(), old.st_mode & mode) != 0)) {
        Status failed = writeFailure("Keeping the owner and mode of", file.path);
        ::unlinkat(file.folder, tmp.c_str(), 0);
        return failed;
    }
    struct stat made;
    bool ok = writeAt(fd.get(), content.data(), content.size(), 0) && ::fsync(fd.get()) == 0 &&
              ::fstat(fd.get(), &made) == 0;
    Status failed = ok ? Status::success() : writeFailure("Writing", tmpPath);
    if (ok && ::renameat(file.folder, tmp.c_str(), file.folder, file.name.c_str()) != 0)
        failed = writeFailure("Renaming", tmpPath);
    if (!failed.ok()) ::unlinkat(file.folder, tmp.c_str(), 0);
    if (failed.ok() && written) *written = fileIdOf(made);
    return failed;
}

Status replaceFile(const std::string& path, std::string_view content, mode_t mode,
                   FileId* written) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid()) return writeFailure("Opening the folder of", path);
    return replaceFile(FolderFile{dir.get(), path.substr(slash + 1), path}, content, mode,
                       written);
}

}  // namespace engine
