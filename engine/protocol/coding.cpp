// coding.cpp: the fixed-width little-endian helpers.
#include "coding.h"

#include <cstring>

namespace engine::protocol {

void Writer::f64(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    u64(bits);
}

void Writer::bytes(std::string_view v) {
    u32(static_cast<uint32_t>(v.size()));
    out_.append(v);
}

double Reader::f64() {
    uint64_t bits = u64();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

uint32_t Reader::count(size_t minItemSize) {
    uint32_t n = u32();
    if (minItemSize == 0) minItemSize = 1;
    if (failed_ || n > remaining() / minItemSize) {
        failed_ = true;
        return 0;
    }
    return n;
}

}  // namespace engine::protocol
