// coding.cpp: the fixed-width little-endian helpers.
#include "engine/protocol/coding.h"

#include <algorithm>

namespace engine::protocol {

void Writer::grow(size_t n) {
    // The string's own capacity costs nothing to use (a short message stays within the
    // string object); past it, doubling keeps the cost of growing in line with the size.
    out_.resize(std::max({size_ + n, 2 * out_.size(), out_.capacity()}));
}

uint32_t Reader::count(size_t minItemSize) {
    uint32_t n = u32();
    if (minItemSize == 0) minItemSize = 1;
    if (failed_ || n > remaining() / minItemSize) {
        fail();
        return 0;
    }
    return n;
}

}  // namespace engine::protocol
