// wire_format.cpp: values, descriptions and positions on the wire.
#include "engine/protocol/wire_format.h"

#include "engine/record/record.h"

namespace engine::protocol {
namespace {

// Whether the column lies wholly inside a record of recordLength bytes. A length no larger
// than the record keeps storageSize (at most twice the length, plus 2) from wrapping.
bool fitsRecord(const ColumnDef& c, uint32_t recordLength) {
    return c.length <= recordLength && uint64_t{c.offset} + record::storageSize(c) <= recordLength;
}

void encodeLayout(Writer& w, const SharedLayout& layout, LayoutSlots& sent) {
    const LayoutSlots::Placement at = sent.place(layout);
    w.u16(at.slot);
    w.boolean(at.whole);
    if (!at.whole) return;
    w.u32(layout->recordLength);
    w.bytes(layout->blankRecord);
    write(w, layout->columns);
}

SharedLayout decodeLayout(Reader& r, LayoutSlots& received) {
    const uint16_t slot = r.u16();
    const bool whole = r.boolean();
    if (!whole) {
        if (const SharedLayout* known = received.find(slot)) return *known;
        r.fail();
        return emptyLayout();
    }
    if (slot >= LayoutSlots::kSlots) r.fail();
    auto v = std::make_shared<RecordLayout>();
    v->recordLength = r.u32();
    v->blankRecord = r.bytes();
    read(r, v->columns);
    bool fits = v->blankRecord.size() == v->recordLength;
    for (const ColumnDef& c : v->columns) fits = fits && fitsRecord(c, v->recordLength);
    if (!fits) r.fail();
    if (!r.ok()) return emptyLayout();  // a layout that does not decode is not kept
    received.keep(slot, v);
    return v;
}

}  // namespace

void Codec<Value>::write(Writer& w, const Value& v) {
    w.u8(static_cast<uint8_t>(v.kind));
    switch (v.kind) {
        case Value::Kind::Null:
            break;
        case Value::Kind::Logical:
            w.boolean(v.logical);
            break;
        case Value::Kind::Integer:
            w.i64(v.integer);
            break;
        case Value::Kind::Double:
            w.f64(v.real);
            break;
        case Value::Kind::String:
            w.boolean(v.caseInsensitive);
            w.bytes(v.text);
            break;
        case Value::Kind::Date:
            w.i32(v.julian);
            break;
        case Value::Kind::Time:
            w.i32(v.millis);
            break;
        case Value::Kind::TimeStamp:
            w.i32(v.julian);
            w.i32(v.millis);
            break;
        case Value::Kind::Binary:
            w.bytes(v.text);
            break;
    }
}

void Codec<Value>::read(Reader& r, Value& v) {
    v = Value::null();
    switch (static_cast<Value::Kind>(r.u8())) {
        case Value::Kind::Null:
            return;
        case Value::Kind::Logical:
            v = Value::ofLogical(r.boolean());
            return;
        case Value::Kind::Integer:
            v = Value::ofInteger(r.i64());
            return;
        case Value::Kind::Double:
            v = Value::ofDouble(r.f64());
            return;
        case Value::Kind::String: {
            const bool ci = r.boolean();
            v = Value::ofString(r.bytes(), ci);
            return;
        }
        case Value::Kind::Date:
            v = Value::ofDate(r.i32());
            return;
        case Value::Kind::Time:
            v = Value::ofTime(r.i32());
            return;
        case Value::Kind::TimeStamp: {
            const int32_t julian = r.i32();
            v = Value::ofTimeStamp(julian, r.i32());
            return;
        }
        case Value::Kind::Binary:
            v = Value::ofBinary(r.bytes());
            return;
    }
    r.fail();
}

void Codec<ColumnWrite::Kind>::read(Reader& r, ColumnWrite::Kind& v) {
    const uint8_t kind = r.u8();
    if (kind > static_cast<uint8_t>(ColumnWrite::Kind::Null)) r.fail();
    v = static_cast<ColumnWrite::Kind>(kind);
}

void encode(Writer& w, const CursorInfo& v, LayoutSlots& sent) {
    write(w, v.handle);
    write(w, v.handleType);
    write(w, v.name);
    write(w, v.tableType);
    write(w, v.charType);
    write(w, v.collation);
    write(w, v.openOptions);
    write(w, v.bookmarkLength);
    write(w, v.live);
    encodeLayout(w, v.layout, sent);
    write(w, v.indexes);
}

void decode(Reader& r, CursorInfo& v, LayoutSlots& received) {
    read(r, v.handle);
    read(r, v.handleType);
    read(r, v.name);
    read(r, v.tableType);
    read(r, v.charType);
    read(r, v.collation);
    read(r, v.openOptions);
    read(r, v.bookmarkLength);
    read(r, v.live);
    v.layout = decodeLayout(r, received);
    read(r, v.indexes);
}

void encode(Writer& w, const Position& v) {
    w.u8((v.bof ? kPositionBof : 0) | (v.eof ? kPositionEof : 0) |
         (v.visible ? kPositionVisible : 0));
    w.u32(v.recordNumber);
    w.bytes(v.record);
    write(w, v.blobs);
}

void decode(Reader& r, Position& v, uint32_t recordLength) {
    const uint8_t flags = r.u8();
    if (flags & ~(kPositionBof | kPositionEof | kPositionVisible)) r.fail();
    v.bof = flags & kPositionBof;
    v.eof = flags & kPositionEof;
    v.visible = flags & kPositionVisible;
    v.recordNumber = r.u32();
    v.record = r.bytes();
    if (!v.record.empty() && v.record.size() != recordLength) r.fail();
    read(r, v.blobs);
}

// The fewest bytes of a position, as encode() writes it.
constexpr size_t kMinPositionSize = kMinWireSize<uint8_t> + kMinWireSize<uint32_t> +
                                    kMinWireSize<std::string> +
                                    kMinWireSize<std::vector<BlobContent>>;

void encode(Writer& w, const std::vector<Position>& v) {
    w.u32(static_cast<uint32_t>(v.size()));
    for (const Position& p : v) encode(w, p);
}

void decode(Reader& r, std::vector<Position>& v, uint32_t recordLength) {
    const uint32_t n = r.count(kMinPositionSize);
    v.clear();
    v.reserve(n);
    for (uint32_t i = 0; i < n && r.ok(); ++i) decode(r, v.emplace_back(), recordLength);
}

}  // namespace engine::protocol
