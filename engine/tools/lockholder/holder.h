// holder.h: one connection that holds record locks as a given user.
#ifndef BREVANTIS_ENGINE_TOOLS_LOCKHOLDER_HOLDER_H
#define BREVANTIS_ENGINE_TOOLS_LOCKHOLDER_HOLDER_H

#include <cstdint>
#include <string>
#include <vector>

#include "engine/include/engine_api.h"
#include "engine/tools/lockholder/options.h"

namespace lockholder {

// The engine's last error of this thread as "code text".
std::string lastEngineError();

// A dictionary connection with one open table, whose locks it releases when destroyed.
class Holder {
  public:
    Holder() = default;
    ~Holder();
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;

    // Connects as `who` (empty parts keep the library's defaults) and opens `tables`.
    // False with `error` set on failure.
    bool open(const Options& options, const Who& who, const std::vector<std::string>& tables,
              std::string* error);
    // Record count of the i-th table (every slot, filters ignored).
    uint32_t recordCount(size_t table) const { return counts_[table]; }
    // Locks a record of the i-th table: 0 on success, else the engine code (5035 when another
    // connection holds it).
    uint32_t lock(size_t table, uint32_t record);
    uint32_t unlock(size_t table, uint32_t record);
    // Releases every lock still held, closes the tables and disconnects.
    void close();
    size_t held() const { return held_.size(); }

  private:
    ADSHANDLE connection_ = 0;
    std::vector<ADSHANDLE> tables_;
    std::vector<uint32_t> counts_;
    std::vector<std::pair<size_t, uint32_t>> held_;  // (table, record) in locking order
};

}  // namespace lockholder

#endif  // BREVANTIS_ENGINE_TOOLS_LOCKHOLDER_HOLDER_H
