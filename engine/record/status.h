// status.h: the outcome of every engine-core call — an AE_* code and an English text.
#ifndef BREVANTIS_ENGINE_RECORD_STATUS_H
#define BREVANTIS_ENGINE_RECORD_STATUS_H

#include <cstdint>
#include <string>

namespace engine {

// Code 0 is success; any other code is one of the AE_* codes of engine_api.h.
struct Status {
    uint32_t code = 0;
    std::string text;

    bool ok() const { return code == 0; }
    static Status success() { return {}; }
    static Status error(uint32_t c, std::string t) { return Status{c, std::move(t)}; }
};

}  // namespace engine

#endif  // BREVANTIS_ENGINE_RECORD_STATUS_H
