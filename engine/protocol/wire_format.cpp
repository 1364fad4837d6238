// wire_format.cpp: encoding and decoding of the protocol's envelopes and structures.
#include "engine/protocol/wire_format.h"

#include "engine/record/record.h"

namespace engine::protocol {
namespace {

// Smallest encoded sizes, used to bound forged counts before looping on them.
constexpr size_t kMinOp = 2 + 1 + 4;
constexpr size_t kMinResult = 4 + 4 + 4;
// A column's fields after its name: type, length, decimals, offset, nullable, permissions.
constexpr size_t kColumnFields = 2 + 4 + 2 + 4 + 1 + 1;
constexpr size_t kMinColumn = 4 + kColumnFields;
constexpr size_t kMinIndex = 4 + 4 + 4 + 4 + 4 + 4;
constexpr size_t kMinPosition = 1 + 4 + 4 + 4;
constexpr size_t kMinBlob = 2 + 1 + 4;
constexpr size_t kMinColumnWrite = 2 + 1 + 4;
// A parameter's encoded size beyond its name and text: number, name length, value kind and
// the widest fixed part of a value (8 bytes).
constexpr size_t kMostParamBytes = 2 + 4 + 1 + 8;

// Whether the column lies wholly inside a record of recordLength bytes. A length no larger
// than the record keeps storageSize (at most twice the length, plus 2) from wrapping.
bool fitsRecord(const ColumnDef& c, uint32_t recordLength) {
    return c.length <= recordLength &&
           uint64_t{c.offset} + record::storageSize(c) <= recordLength;
}

}  // namespace

std::string encodeRequest(const std::vector<OpRequest>& ops) {
    Writer w;
    size_t size = 4;
    for (const OpRequest& op : ops) size += kMinOp + op.args.size();
    w.reserve(size);
    encodeRequestCount(w, static_cast<uint32_t>(ops.size()));
    for (const OpRequest& op : ops) encodeOp(w, op.op, op.flags, op.args);
    return w.take();
}

void encodeRequestCount(Writer& w, uint32_t n) { w.u32(n); }

void encodeOp(Writer& w, Op op, uint8_t flags, std::string_view args) {
    w.fields(static_cast<uint16_t>(op), flags);
    w.bytes(args);
}

bool decodeRequestViews(std::string_view payload, std::vector<OpView>* ops) {
    Reader r(payload);
    ops->clear();
    uint32_t n = r.count(kMinOp);
    ops->reserve(n);
    for (uint32_t i = 0; i < n && r.ok(); ++i) {
        OpView& op = ops->emplace_back();
        op.op = static_cast<Op>(r.u16());
        op.flags = r.u8();
        op.args = r.bytesView();
    }
    return r.done();
}

void encodeResultCount(Writer& w, uint32_t n) { w.u32(n); }

void encodeResult(Writer& w, uint32_t status, std::string_view text, std::string_view body) {
    w.u32(status);
    w.bytes(text);
    w.bytes(body);
}

size_t beginResult(Writer& w) {
    const size_t begin = w.data().size();
    w.fields(uint32_t{0}, uint32_t{0}, uint32_t{0});  // status, text length, body length
    return begin;
}

void endResult(Writer& w, size_t begin, uint32_t status, std::string_view text) {
    const size_t bodyAt = begin + 12;
    const auto bodySize = static_cast<uint32_t>(w.data().size() - bodyAt);
    if (text.empty()) {
        w.patchU32(begin, status);
        w.patchU32(begin + 8, bodySize);
        return;
    }
    // The text goes before the body: the body moves, which only failures with a body pay.
    std::string body(w.data().substr(bodyAt));
    w.truncate(begin);
    encodeResult(w, status, text, body);
}

std::string encodeResponse(const std::vector<OpResult>& results) {
    Writer w;
    size_t size = 4;
    for (const OpResult& res : results) size += kMinResult + res.text.size() + res.body.size();
    w.reserve(size);
    encodeResultCount(w, static_cast<uint32_t>(results.size()));
    for (const OpResult& res : results) encodeResult(w, res.status, res.text, res.body);
    return w.take();
}

bool decodeResponseViews(std::string_view payload, std::vector<OpResultView>* results) {
    Reader r(payload);
    results->clear();
    uint32_t n = r.count(kMinResult);
    results->reserve(n);
    for (uint32_t i = 0; i < n && r.ok(); ++i) {
        OpResultView& res = results->emplace_back();
        res.status = r.u32();
        res.text = r.bytesView();
        res.body = r.bytesView();
    }
    return r.done();
}

// Value: u8 kind, then Logical: bool | Integer: i64 | Double: f64 | String: bool ci, bytes |
// Date: i32 julian | Time: i32 ms | TimeStamp: i32 julian, i32 ms | Binary: bytes.
void encode(Writer& w, const Value& v) {
    w.u8(static_cast<uint8_t>(v.kind));
    switch (v.kind) {
        case Value::Kind::Null: break;
        case Value::Kind::Logical: w.boolean(v.logical); break;
        case Value::Kind::Integer: w.i64(v.integer); break;
        case Value::Kind::Double: w.f64(v.real); break;
        case Value::Kind::String:
            w.boolean(v.caseInsensitive);
            w.bytes(v.text);
            break;
        case Value::Kind::Date: w.i32(v.julian); break;
        case Value::Kind::Time: w.i32(v.millis); break;
        case Value::Kind::TimeStamp:
            w.i32(v.julian);
            w.i32(v.millis);
            break;
        case Value::Kind::Binary: w.bytes(v.text); break;
    }
}

Value decodeValue(Reader& r) {
    Value v;
    uint8_t kind = r.u8();
    switch (static_cast<Value::Kind>(kind)) {
        case Value::Kind::Null: return v;
        case Value::Kind::Logical: return Value::ofLogical(r.boolean());
        case Value::Kind::Integer: return Value::ofInteger(r.i64());
        case Value::Kind::Double: return Value::ofDouble(r.f64());
        case Value::Kind::String: {
            bool ci = r.boolean();
            return Value::ofString(r.bytes(), ci);
        }
        case Value::Kind::Date: return Value::ofDate(r.i32());
        case Value::Kind::Time: return Value::ofTime(r.i32());
        case Value::Kind::TimeStamp: {
            int32_t julian = r.i32();
            return Value::ofTimeStamp(julian, r.i32());
        }
        case Value::Kind::Binary: return Value::ofBinary(r.bytes());
    }
    r.fail();
    return v;
}

void encode(Writer& w, const ClientIdentity& v) {
    w.bytes(v.userName);
    w.bytes(v.address);
    w.bytes(v.osLogin);
    w.bytes(v.tsAddress);
    w.bytes(v.applicationId);
}

ClientIdentity decodeIdentity(Reader& r) {
    ClientIdentity v;
    v.userName = r.bytes();
    v.address = r.bytes();
    v.osLogin = r.bytes();
    v.tsAddress = r.bytes();
    v.applicationId = r.bytes();
    return v;
}

void encode(Writer& w, const ConnectArgs& v) {
    w.bytes(v.connectString);
    encode(w, v.identity);
}

ConnectArgs decodeConnectArgs(Reader& r) {
    ConnectArgs v;
    v.connectString = r.bytes();
    v.identity = decodeIdentity(r);
    return v;
}

void encode(Writer& w, const OpenTableArgs& v) {
    w.u32(v.connection);
    w.bytes(v.name);
    w.u16(v.tableType);
    w.u16(v.charType);
    w.u16(v.lockType);
    w.u16(v.checkRights);
    w.u32(v.options);
    w.bytes(v.collation);
}

OpenTableArgs decodeOpenTableArgs(Reader& r) {
    OpenTableArgs v;
    v.connection = r.u32();
    v.name = r.bytes();
    v.tableType = r.u16();
    v.charType = r.u16();
    v.lockType = r.u16();
    v.checkRights = r.u16();
    v.options = r.u32();
    v.collation = r.bytes();
    return v;
}

namespace {

// A layout: u16 slot, bool whole, then when whole: u32 recordLength, bytes blank record,
// u32 n, n x (bytes name, column fields).
void encodeLayout(Writer& w, const SharedLayout& layout, LayoutSlots& slots) {
    LayoutSlots::Placement at = slots.place(layout);
    w.u16(at.slot);
    w.boolean(at.whole);
    if (!at.whole) return;
    w.u32(layout->recordLength);
    w.bytes(layout->blankRecord);
    w.u32(static_cast<uint32_t>(layout->columns.size()));
    for (const ColumnDef& c : layout->columns) {
        w.bytes(c.name);
        w.fields(static_cast<uint16_t>(c.type), c.length, c.decimals, c.offset,
                 static_cast<uint8_t>(c.nullable ? 1 : 0), c.permissions);
    }
}

// Texts are appended to the strings just made: append copies without the overlap checks
// that an assignment makes, which a layout of many columns pays per name.
SharedLayout decodeLayout(Reader& r, LayoutSlots& slots) {
    const uint16_t slot = r.u16();
    const bool whole = r.boolean();
    if (!whole) {
        const SharedLayout* known = slots.find(slot);
        if (known) return *known;
        r.fail();
        return emptyLayout();
    }
    if (slot >= LayoutSlots::kSlots) r.fail();
    auto v = std::make_shared<RecordLayout>();
    v->recordLength = r.u32();
    v->blankRecord.append(r.bytesView());
    if (v->blankRecord.size() != v->recordLength) r.fail();
    uint32_t nc = r.count(kMinColumn);
    v->columns.reserve(nc);
    for (uint32_t i = 0; i < nc && r.ok(); ++i) {
        ColumnDef& c = v->columns.emplace_back();  // filled in place: no temporary to move
        c.name.append(r.bytesView());
        Reader f(r.fixed(kColumnFields));  // checked once; a local Reader reads in registers
        c.type = static_cast<ColumnType>(f.u16());
        c.length = f.u32();
        c.decimals = f.u16();
        c.offset = f.u32();
        c.nullable = f.boolean();
        c.permissions = f.u8();
        if (!f.ok() || !fitsRecord(c, v->recordLength)) r.fail();
    }
    if (!r.ok()) return emptyLayout();  // a layout that does not decode is not kept
    slots.keep(slot, v);
    return v;
}

}  // namespace

// Runs of fixed-width fields are written with one check for room each.
void encode(Writer& w, const CursorInfo& v, LayoutSlots& slots) {
    w.fields(v.handle, v.handleType);
    w.bytes(v.name);
    w.fields(v.tableType, v.charType);
    w.bytes(v.collation);
    w.fields(v.openOptions, v.bookmarkLength, static_cast<uint8_t>(v.live ? 1 : 0));
    encodeLayout(w, v.layout, slots);
    w.u32(static_cast<uint32_t>(v.indexes.size()));
    for (const IndexInfo& x : v.indexes) {
        w.u32(x.handle);
        w.bytes(x.name);
        w.u32(x.flags);
        w.bytes(x.condition);
        w.u32(x.pageSize);
        w.u32(static_cast<uint32_t>(x.segments.size()));
        for (const std::string& s : x.segments) w.bytes(s);
    }
}

// Runs of fixed-width fields are read through a Reader of their own, checked once each.
CursorInfo decodeCursorInfo(Reader& r, LayoutSlots& slots) {
    CursorInfo v;
    Reader handle(r.fixed(4 + 2));
    v.handle = handle.u32();
    v.handleType = handle.u16();
    v.name.append(r.bytesView());
    Reader types(r.fixed(2 + 2));
    v.tableType = types.u16();
    v.charType = types.u16();
    v.collation.append(r.bytesView());
    Reader options(r.fixed(4 + 4 + 1));
    v.openOptions = options.u32();
    v.bookmarkLength = options.u32();
    v.live = options.boolean();
    if (!options.ok()) r.fail();  // a flag neither 0 nor 1
    v.layout = decodeLayout(r, slots);
    uint32_t ni = r.count(kMinIndex);
    for (uint32_t i = 0; i < ni && r.ok(); ++i) {
        IndexInfo x;
        x.handle = r.u32();
        x.name = r.bytes();
        x.flags = r.u32();
        x.condition = r.bytes();
        x.pageSize = r.u32();
        uint32_t ns = r.count(4);
        for (uint32_t s = 0; s < ns && r.ok(); ++s) x.segments.push_back(r.bytes());
        v.indexes.push_back(std::move(x));
    }
    return v;
}

// Position: u8 flags (1 bof, 2 eof, 4 visible), u32 record, bytes image,
// u32 n, n x (u16 column from 0, bool null, bytes content).
void encode(Writer& w, const Position& v) {
    w.fields(static_cast<uint8_t>((v.bof ? 1 : 0) | (v.eof ? 2 : 0) | (v.visible ? 4 : 0)),
             v.recordNumber);
    w.bytes(v.record);
    w.u32(static_cast<uint32_t>(v.blobs.size()));
    for (const BlobContent& b : v.blobs) {
        w.u16(b.column);
        w.boolean(b.isNull);
        w.bytes(b.bytes);
    }
}

namespace {

// The image of a row: copied into a Position (appended to its empty string: no overlap
// checks, as in decodeLayout), viewed by a RowView.
void takeImage(std::string& to, std::string_view image) { to.append(image); }
void takeImage(std::string_view& to, std::string_view image) { to = image; }

// A Position or a RowView, decoded where it stays (an entry of a vector of rows).
template <typename Row>
void decodeRowInto(Reader& r, uint32_t recordLength, Row& v) {
    Reader f(r.fixed(1 + 4 + 4));  // flags, record, image length: checked once
    const uint8_t flags = f.u8();
    v.bof = flags & 1;
    v.eof = flags & 2;
    v.visible = flags & 4;
    v.recordNumber = f.u32();
    const uint32_t length = f.u32();
    if (flags > 7 || (length != 0 && length != recordLength)) r.fail();
    takeImage(v.record, r.fixed(length));
    uint32_t n = r.count(kMinBlob);
    for (uint32_t i = 0; i < n && r.ok(); ++i) {
        BlobContent b;
        b.column = r.u16();
        b.isNull = r.boolean();
        b.bytes = r.bytes();
        v.blobs.push_back(std::move(b));
    }
}

template <typename Row>
std::vector<Row> decodeRows(Reader& r, uint32_t recordLength) {
    std::vector<Row> v;
    uint32_t n = r.count(kMinPosition);
    v.reserve(n);
    for (uint32_t i = 0; i < n && r.ok(); ++i) decodeRowInto(r, recordLength, v.emplace_back());
    return v;
}

}  // namespace

Position decodePosition(Reader& r, uint32_t recordLength) {
    Position v;
    decodeRowInto(r, recordLength, v);
    return v;
}

void encode(Writer& w, const std::vector<Position>& v) {
    w.u32(static_cast<uint32_t>(v.size()));
    for (const Position& p : v) encode(w, p);
}

std::vector<Position> decodePositions(Reader& r, uint32_t recordLength) {
    return decodeRows<Position>(r, recordLength);
}

std::vector<RowView> decodeRowViews(Reader& r, uint32_t recordLength) {
    return decodeRows<RowView>(r, recordLength);
}

void encode(Writer& w, const Neighbours& v) {
    w.boolean(v.reachedBof);
    encode(w, v.before);
    w.boolean(v.reachedEof);
    encode(w, v.after);
}

Neighbours decodeNeighbours(Reader& r, uint32_t recordLength) {
    Neighbours v;
    v.reachedBof = r.boolean();
    v.before = decodePositions(r, recordLength);
    v.reachedEof = r.boolean();
    v.after = decodePositions(r, recordLength);
    return v;
}

void encode(Writer& w, const OpenedTable& v, LayoutSlots& slots) {
    encode(w, v.cursor, slots);
    encode(w, v.position);
}

OpenedTable decodeOpenedTable(Reader& r, LayoutSlots& slots) {
    OpenedTable v;
    v.cursor = decodeCursorInfo(r, slots);
    v.position = decodePosition(r, v.cursor.recordLength());
    return v;
}

// WriteRequest: bool append, u32 record, u32 n, n x (u16 column from 0, u8 kind, bytes).
void encode(Writer& w, const WriteRequest& v) {
    w.boolean(v.append);
    w.u32(v.recordNumber);
    w.u32(static_cast<uint32_t>(v.columns.size()));
    for (const ColumnWrite& c : v.columns) {
        w.u16(c.column);
        w.u8(static_cast<uint8_t>(c.kind));
        w.bytes(c.bytes);
    }
}

WriteRequest decodeWriteRequest(Reader& r) {
    WriteRequest v;
    v.append = r.boolean();
    v.recordNumber = r.u32();
    uint32_t n = r.count(kMinColumnWrite);
    for (uint32_t i = 0; i < n && r.ok(); ++i) {
        ColumnWrite c;
        c.column = r.u16();
        uint8_t kind = r.u8();
        if (kind > static_cast<uint8_t>(ColumnWrite::Kind::Null)) r.fail();
        c.kind = static_cast<ColumnWrite::Kind>(kind);
        c.bytes = r.bytes();
        v.columns.push_back(std::move(c));
    }
    return v;
}

void encode(Writer& w, const ExecArgs& v) {
    // Room for it all at once: a statement's text alone would grow the buffer twice.
    size_t size = w.data().size() + 4 + 4 + v.text.size() + 4 + 4;
    for (const SqlParam& p : v.params) size += kMostParamBytes + p.name.size() + p.value.text.size();
    w.reserve(size);
    w.u32(v.connection);
    w.bytes(v.text);
    w.u32(static_cast<uint32_t>(v.params.size()));
    for (const SqlParam& p : v.params) {
        w.u16(p.number);
        w.bytes(p.name);
        encode(w, p.value);
    }
    w.u32(v.prefetchRows);
}

ExecArgsView decodeExecArgs(Reader& r) {
    ExecArgsView v;
    v.connection = r.u32();
    v.text = r.bytesView();
    uint32_t n = r.count(2 + 4 + 1);
    for (uint32_t i = 0; i < n && r.ok(); ++i) {
        SqlParam p;
        p.number = r.u16();
        p.name = r.bytes();
        p.value = decodeValue(r);
        v.params.push_back(std::move(p));
    }
    v.prefetchRows = r.u32();
    return v;
}

// SqlResult: bool returnsRows, i64 rowsAffected, u32 recordCount, then when returnsRows
// the CursorInfo and the first rows.
void encode(Writer& w, const SqlResult& v, LayoutSlots& slots) {
    // About what follows, so that an answer of many rows is not copied as it grows (a
    // layout sent whole may grow it once more).
    w.reserve(w.data().size() + 64 + v.rows.size() * (24 + v.cursor.recordLength()));
    w.fields(static_cast<uint8_t>(v.returnsRows ? 1 : 0), v.rowsAffected, v.recordCount);
    if (!v.returnsRows) return;
    encode(w, v.cursor, slots);
    encode(w, v.rows);
}

SqlResult decodeSqlResultHead(Reader& r, LayoutSlots& slots) {
    const bool returnsRows = r.boolean();
    const int64_t rowsAffected = r.i64();
    const uint32_t recordCount = r.u32();
    // The description is decoded where it stays, not assigned there.
    return SqlResult{returnsRows, returnsRows ? decodeCursorInfo(r, slots) : CursorInfo{},
                     recordCount, rowsAffected, {}};
}

SqlResult decodeSqlResult(Reader& r, LayoutSlots& slots) {
    SqlResult v = decodeSqlResultHead(r, slots);
    if (v.returnsRows) v.rows = decodePositions(r, v.cursor.recordLength());
    return v;
}

}  // namespace engine::protocol
