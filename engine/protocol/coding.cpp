// coding.cpp: the fixed-width little-endian helpers.
#include "coding.h"

#include <cstring>

namespace engine::protocol {

namespace {

// Appends the n low bytes of v, least significant first, in one append.
void putLittleEndian(std::string& out, uint64_t v, int n) {
    char bytes[8];
    for (int i = 0; i < n; ++i) bytes[i] = static_cast<char>(v >> (8 * i));
    out.append(bytes, static_cast<size_t>(n));
}

}  // namespace

void Writer::u16(uint16_t v) { putLittleEndian(out_, v, 2); }
void Writer::u32(uint32_t v) { putLittleEndian(out_, v, 4); }
void Writer::u64(uint64_t v) { putLittleEndian(out_, v, 8); }

void Writer::f64(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    u64(bits);
}

void Writer::bytes(std::string_view v) {
    u32(static_cast<uint32_t>(v.size()));
    out_.append(v);
}

const unsigned char* Reader::take(size_t n) {
    if (failed_ || in_.size() - pos_ < n) {
        failed_ = true;
        return nullptr;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(in_.data() + pos_);
    pos_ += n;
    return p;
}

uint8_t Reader::u8() {
    const unsigned char* p = take(1);
    return p ? p[0] : 0;
}

uint16_t Reader::u16() {
    const unsigned char* p = take(2);
    return p ? static_cast<uint16_t>(p[0] | (p[1] << 8)) : 0;
}

uint32_t Reader::u32() {
    const unsigned char* p = take(4);
    if (!p) return 0;
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

uint64_t Reader::u64() {
    const unsigned char* p = take(8);
    if (!p) return 0;
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

double Reader::f64() {
    uint64_t bits = u64();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

bool Reader::boolean() {
    uint8_t v = u8();
    if (v > 1) failed_ = true;
    return v == 1;
}

std::string Reader::bytes() {
    uint32_t n = u32();
    const unsigned char* p = take(n);
    return p ? std::string(reinterpret_cast<const char*>(p), n) : std::string();
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
