// locks.h: record locks per table file and record number, each owned by one connection.
// Safe from any thread: the table has a mutex of its own, held only inside its calls, so
// that the lock procedures wait for no statement.
#ifndef BREVANTIS_ENGINE_CORE_LOCKS_H
#define BREVANTIS_ENGINE_CORE_LOCKS_H

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/base/thread_annotations.h"
#include "engine/record/status.h"

namespace engine {

class LockTable {
  public:
    // Locks (file, recno) for `connection`: AE_RECORD_LOCKED when another connection holds
    // it; holding it already is a success.
    Status lock(const std::string& file, uint32_t recno, uint32_t connection) EXCLUDES(mu_);
    // Releases the connection's lock; unlocking a record it does not hold does nothing.
    void unlock(const std::string& file, uint32_t recno, uint32_t connection) EXCLUDES(mu_);
    void releaseFile(const std::string& file, uint32_t connection) EXCLUDES(mu_);
    void releaseAll(uint32_t connection) EXCLUDES(mu_);

    bool lockedByOther(const std::string& file, uint32_t recno, uint32_t connection) const
        EXCLUDES(mu_);
    // Files that have locks now whose keys equal `file` without regard to ASCII letter case.
    std::vector<std::string> filesNamedNoCase(std::string_view file) const EXCLUDES(mu_);
    // Locked record numbers of these files together, ascending, each once.
    std::vector<uint32_t> records(const std::vector<std::string>& files) const EXCLUDES(mu_);
    // The connection holding (file, recno), or 0.
    uint32_t owner(const std::string& file, uint32_t recno) const EXCLUDES(mu_);

  private:
    using Files = std::unordered_map<std::string, std::map<uint32_t, uint32_t>>;  // recno -> owner
    // Drops a file that has no lock left, from both maps.
    void forget(Files::iterator file) REQUIRES(mu_);
    uint32_t ownerLocked(const std::string& file, uint32_t recno) const REQUIRES(mu_);

    // Hashes and compares names without regard to ASCII letter case, so that a name is
    // looked up as it is given, with no upper-cased copy of it.
    struct NoCaseHash {
        using is_transparent = void;
        size_t operator()(std::string_view name) const;
    };
    struct NoCaseEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };

    mutable Mutex mu_;
    Files byFile_ GUARDED_BY(mu_);
    // A key's spelling -> the keys with locks that spell it so, in any letter case: a lookup
    // by name needs no scan of every file.
    std::unordered_map<std::string, std::vector<std::string>, NoCaseHash, NoCaseEqual> byNameNoCase_
        GUARDED_BY(mu_);
};

}  // namespace engine

#endif  // BREVANTIS_ENGINE_CORE_LOCKS_H
