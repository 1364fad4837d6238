// coding.h: fixed-width little-endian encode/decode helpers for protocol messages.
//
// Every field on the wire goes through this one pair: Writer appends, Reader consumes.
// A Reader never reads past its input: a short or malformed input sets failed() and every
// later read answers a zero value, so a decoder checks ok() once at the end.
#ifndef BREVANTIS_ENGINE_PROTOCOL_CODING_H
#define BREVANTIS_ENGINE_PROTOCOL_CODING_H

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

namespace engine::protocol {

// Fields are little-endian on the wire, which is this machine's order: a field is copied
// as it stands in memory.
static_assert(std::endian::native == std::endian::little);

// Appends encoded fields to a byte string.
// Invariant: the first size_ bytes of out_ are the fields written; the rest of out_ is
// room for the next ones, so that writing a field is one copy rather than a string append.
class Writer {
public:
    Writer() = default;
    // Writes over `room` (a message taken from a Writer before, say): one message after
    // another then allocates nothing once the room is large enough, and clears no bytes
    // while each is no larger than the last.
    explicit Writer(std::string&& room) : out_(std::move(room)) {}

    void u8(uint8_t v) { put(v); }
    void u16(uint16_t v) { put(v); }
    void u32(uint32_t v) { put(v); }
    void u64(uint64_t v) { put(v); }
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    void i64(int64_t v) { u64(static_cast<uint64_t>(v)); }
    void f64(double v) { put(v); }
    void boolean(bool v) { u8(v ? 1 : 0); }
    // Fixed-size fields one after another, as the calls above would write them, with one
    // check for room: for records written many times over, such as column descriptions.
    template <typename... T>
    void fields(T... v) {
        static_assert((std::is_arithmetic_v<T> && ...), "fields are numbers");
        char* at = room((sizeof v + ...));
        ((std::memcpy(at, &v, sizeof v), at += sizeof v), ...);
    }
    // A byte string: u32 length, then the bytes.
    void bytes(std::string_view v) {
        const auto n = static_cast<uint32_t>(v.size());
        char* at = room(sizeof n + v.size());  // one check for both
        std::memcpy(at, &n, sizeof n);
        if (!v.empty()) std::memcpy(at + sizeof n, v.data(), v.size());
    }
    // Raw bytes with no length in front (used for nested, already encoded parts).
    void raw(std::string_view v) {
        if (!v.empty()) std::memcpy(room(v.size()), v.data(), v.size());
    }

    // Makes room for `bytes` in all, so that writing up to that size allocates no more.
    void reserve(size_t bytes) {
        if (bytes > out_.size()) out_.resize(bytes);
    }
    // What has been written so far.
    std::string_view data() const { return {out_.data(), size_}; }
    // Forgets what was written after the first `size` bytes but keeps the room, so that a
    // Writer used for one message after another allocates nothing once it is large enough.
    // REQUIRES: size <= data().size().
    void truncate(size_t size) { size_ = size; }
    // Writes v over the u32 written at offset `at`. REQUIRES: at + 4 <= data().size().
    void patchU32(size_t at, uint32_t v) { std::memcpy(out_.data() + at, &v, sizeof v); }
    // The room held, written or not.
    size_t capacity() const { return out_.size(); }
    // Hands over what has been written and leaves the Writer empty.
    std::string take() {
        out_.resize(size_);
        size_ = 0;
        return std::move(out_);
    }

private:
    // The place of the next n bytes, which then count as written.
    char* room(size_t n) {
        if (out_.size() - size_ < n) grow(n);
        char* at = out_.data() + size_;
        size_ += n;
        return at;
    }
    void grow(size_t n);
    template <typename T>
    void put(T v) {
        std::memcpy(room(sizeof v), &v, sizeof v);
    }

    std::string out_;
    size_t size_ = 0;
};

// Reads fields from a byte string it does not own (the input must outlive the Reader).
class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}

    uint8_t u8() { return get<uint8_t>(); }
    uint16_t u16() { return get<uint16_t>(); }
    uint32_t u32() { return get<uint32_t>(); }
    uint64_t u64() { return get<uint64_t>(); }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    int64_t i64() { return static_cast<int64_t>(u64()); }
    double f64() { return get<double>(); }
    // Anything but 0 or 1 is malformed.
    bool boolean() {
        uint8_t v = u8();
        if (v > 1) fail();
        return v == 1;
    }
    // A byte string: u32 length, then the bytes. The view is of the input.
    std::string_view bytesView() { return fixed(u32()); }
    std::string bytes() { return std::string(bytesView()); }
    // The next n bytes as they are, for a Reader of their own: a run of fixed-width fields
    // is then checked against the input once. Empty (and failed) when fewer remain.
    std::string_view fixed(size_t n) {
        const unsigned char* p = take(n);
        return p ? std::string_view(reinterpret_cast<const char*>(p), n) : std::string_view();
    }
    // A count of items that each take at least minItemSize bytes: refused (0 and failed)
    // when the rest of the input cannot hold that many, so that a forged count never makes
    // a decoder reserve or loop beyond the message.
    uint32_t count(size_t minItemSize = 1);

    // The input is dropped with it: every later read then finds too few bytes, so that a
    // read checks the bytes left only.
    void fail() {
        failed_ = true;
        in_ = {};
        pos_ = 0;
    }
    bool ok() const { return !failed_; }
    bool atEnd() const { return pos_ == in_.size(); }
    // True when every byte was consumed and nothing was malformed.
    bool done() const { return ok() && atEnd(); }
    size_t remaining() const { return in_.size() - pos_; }

private:
    // Returns the next n bytes, or nullptr (and fails) when fewer remain.
    const unsigned char* take(size_t n) {
        if (in_.size() - pos_ < n) {
            fail();
            return nullptr;
        }
        const auto* p = reinterpret_cast<const unsigned char*>(in_.data() + pos_);
        pos_ += n;
        return p;
    }
    template <typename T>
    T get() {
        T v{};
        if (const unsigned char* p = take(sizeof v)) std::memcpy(&v, p, sizeof v);
        return v;
    }

    std::string_view in_;
    size_t pos_ = 0;
    bool failed_ = false;
};

}  // namespace engine::protocol

#endif  // BREVANTIS_ENGINE_PROTOCOL_CODING_H
