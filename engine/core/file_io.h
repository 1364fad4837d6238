// file_io.h: the few ways the core touches files — whole positioned reads and writes, new
// files put in place atomically, and what a failed call is reported as.
#ifndef BREVANTIS_ENGINE_CORE_FILE_IO_H
#define BREVANTIS_ENGINE_CORE_FILE_IO_H

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/record/status.h"

namespace engine {

// Writes all `n` bytes at `at`, or fails (errno set); counts against the test hook.
bool writeAt(int fd, const void* data, size_t n, uint64_t at);
// Reads exactly `n` bytes at `at`; false at the end of the file or on an error.
bool readAt(int fd, void* data, size_t n, uint64_t at);

// The failure of a call that was to change `path`, from errno: AE_READ_ONLY_STORAGE when
// the storage refuses writing (permissions, a read-only file system), else
// AE_INTERNAL_ERROR. `what` names the step ("Writing a record").
Status writeFailure(const std::string& what, const std::string& path);

// Puts a file of `content` at `path` in one step: written under "path.tmp", synced and
// renamed into place, so that a reader sees the old file or the new one. Whatever holds
// the temporary name (a leftover, or a link planted there) is removed first, never written
// through. The new file gets `mode`.
Status replaceFile(const std::string& path, std::string_view content, mode_t mode);

}  // namespace engine

#endif  // BREVANTIS_ENGINE_CORE_FILE_IO_H
