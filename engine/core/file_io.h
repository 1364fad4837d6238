// file_io.h: the few ways the core touches files — whole positioned reads and writes, new
// files put in place atomically, files named inside a folder held open, and what a failed
// call is reported as.
#ifndef BREVANTIS_ENGINE_CORE_FILE_IO_H
#define BREVANTIS_ENGINE_CORE_FILE_IO_H

#include <sys/stat.h>
#include <sys/types.h>

#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/record/status.h"

namespace engine {

// A file's identity on its storage: two names of one file have the same.
struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    auto operator<=>(const FileId&) const = default;
};
FileId fileIdOf(const struct stat& st);

// A descriptor closed when it goes out of scope.
class FileDescriptor {
  public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor();
    int get() const { return fd_; }
    // Gives the descriptor up to a caller that closes it.
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    bool valid() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

// A file named inside a folder that is held open: every step on it goes through `folder`,
// so that the folder cannot be swapped for another between a check and a use. `path` is
// for messages and keys only, never opened.
struct FolderFile {
    int folder = -1;
    std::string name;  // one component: no '/'
    std::string path;
};

// Writes all `n` bytes at `at`, or fails (errno set); counts against the test hook.
bool writeAt(int fd, const void* data, size_t n, uint64_t at);
// Reads exactly `n` bytes at `at`; false at the end of the file or on an error.
bool readAt(int fd, void* data, size_t n, uint64_t at);

// The failure of a call that was to change `path`, from errno: AE_READ_ONLY_STORAGE when
// the storage refuses writing (permissions, a read-only file system), else
// AE_INTERNAL_ERROR. `what` names the step ("Writing a record").
Status writeFailure(const std::string& what, const std::string& path);

// What a file that could not be opened for want of descriptors (errno EMFILE or ENFILE) is
// reported as: the server is busy (AE_SERVER_BUSY), not the file missing. `what` says what
// the descriptor was for ("to read the data dictionary x"); false when errno tells of
// another failure.
bool outOfDescriptors(const std::string& what, Status* failure);

// Puts a file of `content` at `file` in one step: written under "NAME.tmp", synced and
// renamed into place, so that a reader sees the old file or the new one. Whatever holds
// the temporary name (a leftover, or a link planted there) is removed first, never written
// through. A new file gets `mode`; a file replaced keeps its owner and group (as far as
// the process may give them) and its mode, less any bit `mode` lacks: `mode` is the most a
// file of its kind may allow. *written, when given, gets the new file's identity.
Status replaceFile(const FolderFile& file, std::string_view content, mode_t mode,
                   FileId* written = nullptr);
// The same for a file named by its path: its folder is opened once, without following a
// link in its last step.
Status replaceFile(const std::string& path, std::string_view content, mode_t mode,
                   FileId* written = nullptr);

}  // namespace engine

#endif  // BREVANTIS_ENGINE_CORE_FILE_IO_H
