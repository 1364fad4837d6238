// messages.cpp: encoding and decoding of the protocol's envelopes and structures.
#include "messages.h"

namespace engine::protocol {
namespace {

// Smallest encoded sizes, used to bound forged counts before looping on them.
constexpr size_t kMinOp = 2 + 1 + 4;
constexpr size_t kMinResult = 4 + 4 + 4;
constexpr size_t kMinColumn = 4 + 2 + 4 + 2 + 4 + 1 + 1;
constexpr size_t kMinIndex = 4 + 4 + 4 + 4 + 4 + 4;
constexpr size_t kMinBlob = 2 + 4;
constexpr size_t kMinPosition = 4 + 4 + 4 + 4;

void encodeBlobs(Writer& w, const std::vector<std::pair<uint16_t, std::string>>& blobs) {
    w.u32(static_cast<uint32_t>(blobs.size()));
    for (const auto& [column, content] : blobs) {
        w.u16(column);
        w.bytes(content);
    }
}

std::vector<std::pair<uint16_t, std::string>> decodeBlobs(Reader& r) {
    std::vector<std::pair<uint16_t, std::string>> blobs;
    uint32_t n = r.count(kMinBlob);
    for (uint32_t i = 0; i < n && r.ok(); ++i) {
        uint16_t column = r.u16();
        blobs.emplace_back(column, r.bytes());
    }
    return blobs;
}

void encodeColumns(Writer& w, const std::vector<uint16_t>& columns) {
    w.u32(static_cast<uint32_t>(columns.size()));
    for (uint16_t c : columns) w.u16(c);
}

std::vector<uint16_t> decodeColumns(Reader& r) {
    std::vector<uint16_t> columns;
    uint32_t n = r.count(2);
    for (uint32_t i = 0; i < n && r.ok(); ++i) columns.push_back(r.u16());
    return columns;
}

}  // namespace

std::string encodeRequest(const std::vector<OpRequest>& ops) {
    Writer w;
    w.u32(static_cast<uint32_t>(ops.size()));
    for (const OpRequest& op : ops) {
        w.u16(static_cast<uint16_t>(op.op));
        w.u8(op.flags);
        w.bytes(op.args);
    }
    return w.take();
}

std::optional<std::vector<OpRequest>> decodeRequest(std::string_view payload) {
    Reader r(payload);
    std::vector<OpRequest> ops;
    uint32_t n = r.count(kMinOp);
    for (uint32_t i = 0; i < n && r.ok(); ++i) {
        OpRequest op;
        op.op = static_cast<Op>(r.u16());
        op.flags = r.u8();
        op.args = r.bytes();
        ops.push_back(std::move(op));
    }
    if (!r.done()) return std::nullopt;
    return ops;
}

std::string encodeResponse(const std::vector<OpResult>& results) {
    Writer w;
    w.u32(static_cast<uint32_t>(results.size()));
    for (const OpResult& res : results) {
        w.u32(res.status);
        w.bytes(res.text);
        w.bytes(res.body);
    }
    return w.take();
}

std::optional<std::vector<OpResult>> decodeResponse(std::string_view payload) {
    Reader r(payload);
    std::vector<OpResult> results;
    uint32_t n = r.count(kMinResult);
    for (uint32_t i = 0; i < n && r.ok(); ++i) {
        OpResult res;
        res.status = r.u32();
        res.text = r.bytes();
        res.body = r.bytes();
        results.push_back(std::move(res));
    }
    if (!r.done()) return std::nullopt;
    return results;
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

void encode(Writer& w, const Identity& v) {
    w.bytes(v.userName);
    w.bytes(v.osLogin);
    w.bytes(v.applicationId);
    w.bytes(v.terminalAddress);
}

Identity decodeIdentity(Reader& r) {
    Identity v;
    v.userName = r.bytes();
    v.osLogin = r.bytes();
    v.applicationId = r.bytes();
    v.terminalAddress = r.bytes();
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
    w.bytes(v.alias);
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
    v.alias = r.bytes();
    v.tableType = r.u16();
    v.charType = r.u16();
    v.lockType = r.u16();
    v.checkRights = r.u16();
    v.options = r.u32();
    v.collation = r.bytes();
    return v;
}

void encode(Writer& w, const CursorDesc& v) {
    w.u32(v.handle);
    w.u16(v.tableType);
    w.u16(v.charType);
    w.bytes(v.collation);
    w.u32(v.options);
    w.u32(v.recordLength);
    w.u32(v.bookmarkLength);
    w.boolean(v.live);
    w.bytes(v.blankImage);
    w.u32(static_cast<uint32_t>(v.columns.size()));
    for (const ColumnDef& c : v.columns) {
        w.bytes(c.name);
        w.u16(static_cast<uint16_t>(c.type));
        w.u32(c.length);
        w.u16(c.decimals);
        w.u32(c.offset);
        w.boolean(c.nullable);
        w.u8(c.permissions);
    }
    w.u32(static_cast<uint32_t>(v.indexes.size()));
    for (const IndexDesc& x : v.indexes) {
        w.u32(x.handle);
        w.bytes(x.name);
        w.u32(x.flags);
        w.bytes(x.condition);
        w.u32(x.pageSize);
        w.u32(static_cast<uint32_t>(x.segments.size()));
        for (const std::string& s : x.segments) w.bytes(s);
    }
}

CursorDesc decodeCursorDesc(Reader& r) {
    CursorDesc v;
    v.handle = r.u32();
    v.tableType = r.u16();
    v.charType = r.u16();
    v.collation = r.bytes();
    v.options = r.u32();
    v.recordLength = r.u32();
    v.bookmarkLength = r.u32();
    v.live = r.boolean();
    v.blankImage = r.bytes();
    uint32_t nc = r.count(kMinColumn);
    for (uint32_t i = 0; i < nc && r.ok(); ++i) {
        ColumnDef c;
        c.name = r.bytes();
        c.type = static_cast<ColumnType>(r.u16());
        c.length = r.u32();
        c.decimals = r.u16();
        c.offset = r.u32();
        c.nullable = r.boolean();
        c.permissions = r.u8();
        v.columns.push_back(std::move(c));
    }
    uint32_t ni = r.count(kMinIndex);
    for (uint32_t i = 0; i < ni && r.ok(); ++i) {
        IndexDesc x;
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

void encode(Writer& w, const Position& v) {
    w.u8(static_cast<uint8_t>((v.bof ? 1 : 0) | (v.eof ? 2 : 0) | (v.visible ? 4 : 0)));
    w.u32(v.record);
    w.bytes(v.image);
    encodeBlobs(w, v.blobs);
}

Position decodePosition(Reader& r) {
    Position v;
    uint8_t flags = r.u8();
    if (flags > 7) r.fail();
    v.bof = flags & 1;
    v.eof = flags & 2;
    v.visible = flags & 4;
    v.record = r.u32();
    v.image = r.bytes();
    v.blobs = decodeBlobs(r);
    return v;
}

void encode(Writer& w, const WriteArgs& v) {
    w.u32(v.handle);
    w.boolean(v.append);
    w.u32(v.record);
    w.bytes(v.image);
    encodeColumns(w, v.modified);
    encodeBlobs(w, v.blobs);
    encodeColumns(w, v.nulls);
}

WriteArgs decodeWriteArgs(Reader& r) {
    WriteArgs v;
    v.handle = r.u32();
    v.append = r.boolean();
    v.record = r.u32();
    v.image = r.bytes();
    v.modified = decodeColumns(r);
    v.blobs = decodeBlobs(r);
    v.nulls = decodeColumns(r);
    return v;
}

void encode(Writer& w, const ExecArgs& v) {
    w.u32(v.connection);
    w.bytes(v.text);
    const StatementOptions& o = v.options;
    w.u16(o.lockType);
    w.bytes(o.collation);
    w.u16(o.checkRights);
    w.u16(o.readOnly);
    w.u16(o.tableType);
    w.u16(o.constrain);
    w.u16(o.readAll);
    w.u32(o.timeoutSeconds);
    w.u32(static_cast<uint32_t>(v.params.size()));
    for (const Param& p : v.params) {
        w.u16(p.number);
        w.bytes(p.name);
        encode(w, p.value);
    }
    w.u32(v.rowsWanted);
}

ExecArgs decodeExecArgs(Reader& r) {
    ExecArgs v;
    v.connection = r.u32();
    v.text = r.bytes();
    StatementOptions& o = v.options;
    o.lockType = r.u16();
    o.collation = r.bytes();
    o.checkRights = r.u16();
    o.readOnly = r.u16();
    o.tableType = r.u16();
    o.constrain = r.u16();
    o.readAll = r.u16();
    o.timeoutSeconds = r.u32();
    uint32_t n = r.count(2 + 4 + 1);
    for (uint32_t i = 0; i < n && r.ok(); ++i) {
        Param p;
        p.number = r.u16();
        p.name = r.bytes();
        p.value = decodeValue(r);
        v.params.push_back(std::move(p));
    }
    v.rowsWanted = r.u32();
    return v;
}

void encode(Writer& w, const RowBatch& v) {
    w.u32(v.first);
    w.u32(static_cast<uint32_t>(v.rows.size()));
    for (const Position& p : v.rows) encode(w, p);
}

RowBatch decodeRowBatch(Reader& r) {
    RowBatch v;
    v.first = r.u32();
    uint32_t n = r.count(kMinPosition);
    for (uint32_t i = 0; i < n && r.ok(); ++i) v.rows.push_back(decodePosition(r));
    return v;
}

void encode(Writer& w, const ExecResult& v) {
    w.boolean(v.hasRowCount);
    w.u32(v.rowCount);
    w.boolean(v.hasCursor);
    if (!v.hasCursor) return;
    encode(w, v.cursor);
    w.u32(v.count);
    encode(w, v.rows);
}

ExecResult decodeExecResult(Reader& r) {
    ExecResult v;
    v.hasRowCount = r.boolean();
    v.rowCount = r.u32();
    v.hasCursor = r.boolean();
    if (!v.hasCursor) return v;
    v.cursor = decodeCursorDesc(r);
    v.count = r.u32();
    v.rows = decodeRowBatch(r);
    return v;
}

}  // namespace engine::protocol
