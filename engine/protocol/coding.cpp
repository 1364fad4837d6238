// coding.cpp: the fixed-width little-endian helpers.
#include "engine/protocol/coding.h"

namespace engine::protocol {

uint32_t Reader::count(size_t minItemSize) {
    uint32_t n = u32();
    if (minItemSize == 0) minItemSize = 1;
    if (!ok() || n > remaining() / minItemSize) {
        fail();
        return 0;
    }
    return n;
}

}  // namespace engine::protocol
