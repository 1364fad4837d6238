// wire_format.h: the requests and answers exchanged between the client library and the
// server, and how the structures they carry are laid out.
//
// A request payload is a batch of operations run in order on one connection's session:
//
//   u32 count, then per operation:  u16 Op, u8 flags (kOpMayFail), bytes arguments
//
// An answer payload has one result per operation, in the same order:
//
//   u32 count, then per result:     u32 status (AE_* code, 0 = success), bytes text, bytes body
//
// When an operation without kOpMayFail fails, the operations after it are not run and answer
// kStatusSkipped; a failed operation's body is empty. What each operation takes and answers
// is declared once in operations.h. The structures (engine/core/answers.h) travel as their fields
// declared below (coding.h), except a description, whose layout goes by slot, and a
// position, whose image must fit its cursor's record length. Handles on the wire are the
// server's ids. One socket carries one connection: Connect is the first operation on it
// and every later one works on that connection's session.
#ifndef BREVANTIS_ENGINE_PROTOCOL_WIRE_FORMAT_H
#define BREVANTIS_ENGINE_PROTOCOL_WIRE_FORMAT_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/answers.h"
#include "engine/protocol/coding.h"
#include "engine/protocol/layout_slots.h"

namespace engine::protocol {

// Operation codes (operations.h gives each one's arguments and answer).
enum class Op : uint16_t {
    Ping = 1,
    Connect = 2,
    Disconnect = 3,
    ListTables = 4,
    GetTableProperty = 5,
    OpenTable = 6,
    CloseCursor = 7,
    GotoTop = 8,
    GotoBottom = 9,
    GotoBof = 10,
    GotoRecord = 11,
    Skip = 12,
    RecordCount = 13,
    SetAof = 14,
    ClearAof = 15,
    SetFilter = 16,
    ClearFilter = 17,
    SetExact = 18,
    EvalExpression = 19,
    WriteRecord = 20,
    LockRecord = 21,
    UnlockRecord = 22,
    Seek = 23,
    ExecuteSql = 24,
    FetchRows = 25,
};
constexpr Op kFirstOp = Op::Ping;
constexpr Op kLastOp = Op::FetchRows;

constexpr uint8_t kOpMayFail = 0x01;
// Status of an operation that did not run because an earlier one of its batch failed.
constexpr uint32_t kStatusSkipped = 0xFFFFFFFFu;

// One operation of a request: a request payload is a std::vector<OpRequest>. Decoded, the
// arguments are a view of the payload.
struct OpRequest {
    Op op = Op::Ping;
    uint8_t flags = 0;
    std::string_view args;
};
BREVANTIS_WIRE_FIELDS(OpRequest, s.op, s.flags, s.args)

// One result of an answer: an answer payload is a std::vector<OpResult>. Decoded, the text
// and the body are views of the payload.
struct OpResult {
    uint32_t status = 0;
    std::string_view text;
    std::string_view body;
};
BREVANTIS_WIRE_FIELDS(OpResult, s.status, s.text, s.body)

// ---- The core's answer types (engine/core/answers.h) ----------------------------------------------------

BREVANTIS_WIRE_FIELDS(ClientIdentity, s.userName, s.address, s.osLogin, s.tsAddress,
                      s.applicationId)
BREVANTIS_WIRE_FIELDS(IndexInfo, s.handle, s.name, s.flags, s.condition, s.pageSize, s.segments)
BREVANTIS_WIRE_FIELDS(ColumnDef, s.name, s.type, s.length, s.decimals, s.offset, s.nullable,
                      s.permissions)
BREVANTIS_WIRE_FIELDS(BlobContent, s.column, s.isNull, s.bytes, s.damaged)
BREVANTIS_WIRE_FIELDS(ColumnWrite, s.column, s.kind, s.bytes)
BREVANTIS_WIRE_FIELDS(WriteRequest, s.append, s.recordNumber, s.columns)
BREVANTIS_WIRE_FIELDS(SqlParam, s.number, s.name, s.value)

// Value: u8 kind, then Logical: bool | Integer: i64 | Double: f64 | String: bool ci, bytes |
// Date: i32 julian | Time: i32 ms | TimeStamp: i32 julian, i32 ms | Binary: bytes. An
// unknown kind is malformed.
template <>
struct Codec<Value> {
    static void write(Writer& w, const Value& v);
    static void read(Reader& r, Value& v);
    static constexpr size_t kMinSize = kMinWireSize<uint8_t>;  // a Null: its kind alone
};

// A write's column kind: anything beyond Null is malformed.
template <>
struct Codec<ColumnWrite::Kind> {
    static void write(Writer& w, ColumnWrite::Kind v) { w.u8(static_cast<uint8_t>(v)); }
    static void read(Reader& r, ColumnWrite::Kind& v);
    static constexpr size_t kMinSize = kMinWireSize<uint8_t>;
};

// ---- Descriptions and rows -------------------------------------------------------------
//
// A description carries its layout whole the first time, then only its slot (see
// layout_slots.h): encoding and decoding one updates the connection's slots, so each end
// codes every description of the connection, in order, through its own LayoutSlots.
//
//   description: u32 handle, u16 handleType, bytes name, u16 tableType, u16 charType,
//                bytes collation, u32 openOptions, u32 bookmarkLength, bool live, layout,
//                u32 n, n x IndexInfo
//   layout:      u16 slot, bool whole, then when whole: u32 recordLength,
//                bytes blank record, u32 n, n x ColumnDef
//   position:    u8 flags (kBof | kEof | kVisible), u32 record, bytes image,
//                u32 n, n x BlobContent
//
// The decoders of descriptions and rows fail the Reader when what they read would not fit
// the record images it describes: a blank record other than recordLength bytes, a column
// not wholly inside it, a row image neither empty nor recordLength bytes; or when it names
// a slot that holds no layout. A client can then read any column of any image it holds
// without checking again.

// The flags of a position.
constexpr uint8_t kPositionBof = 1;
constexpr uint8_t kPositionEof = 2;
constexpr uint8_t kPositionVisible = 4;

void encode(Writer& w, const CursorInfo& v, LayoutSlots& sent);
void decode(Reader& r, CursorInfo& v, LayoutSlots& received);
void encode(Writer& w, const Position& v);
void decode(Reader& r, Position& v, uint32_t recordLength);
// A vector of positions: u32 n, n x position.
void encode(Writer& w, const std::vector<Position>& v);
void decode(Reader& r, std::vector<Position>& v, uint32_t recordLength);

}  // namespace engine::protocol

#endif  // BREVANTIS_ENGINE_PROTOCOL_WIRE_FORMAT_H
