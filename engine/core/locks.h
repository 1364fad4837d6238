// locks.h: record locks per table file and record number, each owned by one connection.
// Not thread-safe: the server's mutex guards the one LockTable.
#ifndef BREVANTIS_ENGINE_CORE_LOCKS_H
#define BREVANTIS_ENGINE_CORE_LOCKS_H

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/record/status.h"

namespace engine {

class LockTable {
public:
    // Locks (file, recno) for `connection`: AE_RECORD_LOCKED when another connection holds
    // it; holding it already is a success.
    Status lock(const std::string& file, uint32_t recno, uint32_t connection);
    // Releases the connection's lock; unlocking a record it does not hold does nothing.
    void unlock(const std::string& file, uint32_t recno, uint32_t connection);
    void releaseFile(const std::string& file, uint32_t connection);
    void releaseAll(uint32_t connection);

    bool lockedByOther(const std::string& file, uint32_t recno, uint32_t connection) const;
    // Files that have locks now whose keys equal `file` without regard to ASCII letter case.
    // Valid until the next change of the table.
    const std::vector<std::string>& filesNamedNoCase(std::string_view file) const;
    // Locked record numbers of these files together, ascending, each once.
    std::vector<uint32_t> records(const std::vector<std::string>& files) const;
    // The connection holding (file, recno), or 0.
    uint32_t owner(const std::string& file, uint32_t recno) const;

private:
    using Files = std::unordered_map<std::string, std::map<uint32_t, uint32_t>>;  // recno -> owner
    // Drops a file that has no lock left, from both maps.
    void forget(Files::iterator file);

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

    Files byFile_;
    // A key's spelling -> the keys with locks that spell it so, in any letter case: a lookup
    // by name needs no scan of every file.
    std::unordered_map<std::string, std::vector<std::string>, NoCaseHash, NoCaseEqual> byNameNoCase_;
};

}  // namespace engine

#endif  // BREVANTIS_ENGINE_CORE_LOCKS_H
