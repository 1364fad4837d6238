// coding.h: fixed-width little-endian encoding of protocol messages, and the one way a
// structure declares the fields it travels as.
//
// Every field on the wire goes through this one pair: Writer appends, Reader consumes.
// A Reader never reads past its input: a short or malformed input sets failed() and every
// later read answers a zero value, so a decoder checks ok() or done() once at the end.
//
// A structure travels as its fields in order, each as its type travels:
//
//   integers, enums, double   fixed width (an enum as its underlying integer)
//   bool                      u8 0 or 1 (anything else is malformed)
//   std::string, string_view  u32 length, then the bytes (a view read views the input)
//   std::vector<T>            u32 count, then each item
//   a declared structure      its fields, in the order of its declaration
//
// A structure is declared once, beside the protocol's other declarations, and both ends
// then write and read it through write()/read() below:
//
//   BREVANTIS_WIRE_FIELDS(SkipArgs, s.handle, s.rows, s.neighbours)
//
// A type with a layout of its own (a Value) specializes Codec instead.
#ifndef BREVANTIS_ENGINE_PROTOCOL_CODING_H
#define BREVANTIS_ENGINE_PROTOCOL_CODING_H

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <vector>

namespace engine::protocol {

// Fields are little-endian on the wire, which is this machine's order: a field is copied
// as it stands in memory.
static_assert(std::endian::native == std::endian::little);

// Appends encoded fields to a byte string.
// Invariant: the first size_ bytes of out_ are what was written; the rest is room for more,
// so that a field is one copy rather than a string append.
class Writer {
  public:
    void u8(uint8_t v) { put(v); }
    void u16(uint16_t v) { put(v); }
    void u32(uint32_t v) { put(v); }
    void u64(uint64_t v) { put(v); }
    void i32(int32_t v) { put(v); }
    void i64(int64_t v) { put(v); }
    void f64(double v) { put(v); }
    void boolean(bool v) { u8(v ? 1 : 0); }
    // A byte string: u32 length, then the bytes.
    void bytes(std::string_view v) {
        u32(static_cast<uint32_t>(v.size()));
        raw(v);
    }
    // Raw bytes with no length in front (for parts encoded already).
    void raw(std::string_view v) {
        if (!v.empty()) std::memcpy(room(v.size()), v.data(), v.size());
    }

    // Bytes written so far.
    size_t size() const { return size_; }

    // Hands over what has been written and leaves the Writer empty.
    std::string take() {
        out_.resize(size_);
        size_ = 0;
        return std::move(out_);
    }

  private:
    template <typename T>
    void put(T v) {
        std::memcpy(room(sizeof v), &v, sizeof v);
    }
    // The place of the next n bytes, which then count as written. Room grows from a usual
    // message's size, doubling.
    char* room(size_t n) {
        constexpr size_t kFirstRoom = 256;
        if (out_.size() - size_ < n)
            out_.resize(std::max({kFirstRoom, 2 * out_.size(), size_ + n}));
        char* at = out_.data() + size_;
        size_ += n;
        return at;
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
    int32_t i32() { return get<int32_t>(); }
    int64_t i64() { return get<int64_t>(); }
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
    // The next n bytes as they are; empty (and failed) when fewer remain.
    std::string_view fixed(size_t n) {
        if (in_.size() - pos_ < n) {
            fail();
            return {};
        }
        std::string_view v = in_.substr(pos_, n);
        pos_ += n;
        return v;
    }
    // A count of items that each take at least minItemSize bytes: refused (0 and failed)
    // when the rest of the input cannot hold that many, so that a forged count never makes
    // a decoder reserve or loop beyond the message.
    uint32_t count(size_t minItemSize);

    // Every later read then answers a zero value.
    void fail() {
        failed_ = true;
        in_ = {};
        pos_ = 0;
    }
    bool ok() const { return !failed_; }
    // True when every byte was consumed and nothing was malformed.
    bool done() const { return ok() && pos_ == in_.size(); }
    size_t remaining() const { return in_.size() - pos_; }

  private:
    template <typename T>
    T get() {
        T v{};
        std::string_view bytes = fixed(sizeof v);
        if (!bytes.empty()) std::memcpy(&v, bytes.data(), sizeof v);
        return v;
    }

    std::string_view in_;
    size_t pos_ = 0;
    bool failed_ = false;
};

// ---- Structures declared once ----------------------------------------------------------

// The fields of a declared structure, as references into `s` (BREVANTIS_WIRE_FIELDS).
template <typename T>
struct WireFields;

// Declares the fields `Type` travels as, in order, each written as `s.member`. Used in
// namespace engine::protocol.
#define BREVANTIS_WIRE_FIELDS(Type, ...)                  \
    template <>                                           \
    struct WireFields<Type> {                             \
        template <typename S>                             \
        static constexpr auto of([[maybe_unused]] S& s) { \
            return std::tie(__VA_ARGS__);                 \
        }                                                 \
    };

template <typename T>
struct IsVector : std::false_type {};
template <typename T>
struct IsVector<std::vector<T>> : std::true_type {};

template <typename T>
struct Codec;

// The fewest bytes a T takes on the wire: what bounds a forged count of them.
template <typename T>
inline constexpr size_t kMinWireSize = Codec<T>::kMinSize;

template <typename T>
void write(Writer& w, const T& v) {
    Codec<T>::write(w, v);
}
template <typename T>
void read(Reader& r, T& v) {
    Codec<T>::read(r, v);
}

template <typename Fields>
struct MinSizeOfFields;
template <typename... F>
struct MinSizeOfFields<std::tuple<F&...>> {
    static constexpr size_t value = (size_t{0} + ... + kMinWireSize<std::remove_const_t<F>>);
};

// Numbers, enums, bools, byte strings, vectors and declared structures.
template <typename T>
struct Codec {
    static void write(Writer& w, const T& v) {
        if constexpr (std::is_same_v<T, bool>) {
            w.boolean(v);
        } else if constexpr (std::is_enum_v<T>) {
            protocol::write(w, static_cast<std::underlying_type_t<T>>(v));
        } else if constexpr (std::is_arithmetic_v<T>) {
            w.raw(std::string_view(reinterpret_cast<const char*>(&v), sizeof v));
        } else if constexpr (std::is_same_v<T, std::string> ||
                             std::is_same_v<T, std::string_view>) {
            w.bytes(v);
        } else if constexpr (IsVector<T>::value) {
            w.u32(static_cast<uint32_t>(v.size()));
            for (const auto& item : v) protocol::write(w, item);
        } else {
            std::apply([&](const auto&... f) { (protocol::write(w, f), ...); },
                       WireFields<T>::of(v));
        }
    }
    static void read(Reader& r, T& v) {
        if constexpr (std::is_same_v<T, bool>) {
            v = r.boolean();
        } else if constexpr (std::is_enum_v<T>) {
            std::underlying_type_t<T> n{};
            protocol::read(r, n);
            v = static_cast<T>(n);
        } else if constexpr (std::is_arithmetic_v<T>) {
            std::string_view bytes = r.fixed(sizeof v);
            v = T{};
            if (!bytes.empty()) std::memcpy(&v, bytes.data(), sizeof v);
        } else if constexpr (std::is_same_v<T, std::string>) {
            v = r.bytes();
        } else if constexpr (std::is_same_v<T, std::string_view>) {
            v = r.bytesView();
        } else if constexpr (IsVector<T>::value) {
            const uint32_t n = r.count(kMinWireSize<typename T::value_type>);
            v.clear();
            v.reserve(n);
            for (uint32_t i = 0; i < n && r.ok(); ++i) protocol::read(r, v.emplace_back());
        } else {
            std::apply([&](auto&... f) { (protocol::read(r, f), ...); }, WireFields<T>::of(v));
        }
    }
    static constexpr size_t minSize() {
        if constexpr (std::is_same_v<T, bool>)
            return 1;
        else if constexpr (std::is_enum_v<T>)
            return sizeof(std::underlying_type_t<T>);
        else if constexpr (std::is_arithmetic_v<T>)
            return sizeof(T);
        else if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, std::string_view> ||
                           IsVector<T>::value)
            return 4;
        else
            return MinSizeOfFields<decltype(WireFields<T>::of(std::declval<T&>()))>::value;
    }
    static constexpr size_t kMinSize = minSize();
};

// `v` encoded alone.
template <typename T>
std::string encoded(const T& v) {
    Writer w;
    write(w, v);
    return w.take();
}

// Decodes `bytes` whole into *v: false when they are short, malformed or longer.
template <typename T>
bool decodeWhole(std::string_view bytes, T* v) {
    Reader r(bytes);
    read(r, *v);
    return r.done();
}

}  // namespace engine::protocol

#endif  // BREVANTIS_ENGINE_PROTOCOL_CODING_H
