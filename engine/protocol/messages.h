// messages.h: the requests and answers exchanged between the client library and the server.
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
// kStatusSkipped. Arguments and bodies are encoded with coding.h; their layouts are the
// encode/decode pairs below, one per structure. Handles on the wire are the server's ids.
#ifndef BREVANTIS_ENGINE_PROTOCOL_MESSAGES_H
#define BREVANTIS_ENGINE_PROTOCOL_MESSAGES_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "coding.h"
#include "engine/core/value.h"

namespace engine::protocol {

// Operation codes. The comment gives the arguments -> the body of a successful answer.
enum class Op : uint16_t {
    Ping = 1,              // bytes echo -> the same bytes
    Connect = 2,           // ConnectArgs -> u32 connection, bool dictionary
    Disconnect = 3,        // u32 connection -> -
    ListTables = 4,        // u32 connection, bytes mask -> u32 n, n x bytes name
    GetTableProperty = 5,  // u32 connection, bytes table, u16 property -> bytes value
    OpenTable = 6,         // OpenTableArgs -> CursorDesc
    CloseCursor = 7,       // u32 handle -> -
    GotoTop = 8,           // u32 handle -> Position
    GotoBottom = 9,        // u32 handle -> Position
    GotoBof = 10,          // u32 handle -> Position
    GotoRecord = 11,       // u32 handle, u32 record -> Position
    Skip = 12,             // u32 handle, i32 rows -> Position
    RecordCount = 13,      // u32 handle, u16 option -> u32 count
    SetAof = 14,           // u32 handle, bytes expression (8-bit), u32 options -> -
    ClearAof = 15,         // u32 handle -> -
    SetFilter = 16,        // u32 handle, bytes expression (8-bit), u32 options -> -
    ClearFilter = 17,      // u32 handle -> -
    SetExact = 18,         // u32 handle, bool exact -> -
    EvalExpression = 19,   // u32 handle, bytes expression -> bool
    WriteRecord = 20,      // WriteArgs -> Position (the written row)
    LockRecord = 21,       // u32 handle, u32 record -> -
    UnlockRecord = 22,     // u32 handle, u32 record -> -
    Seek = 23,             // u32 index handle, bytes key, u16 seek type -> bool found, Position
    ExecuteSql = 24,       // ExecArgs -> ExecResult
    FetchRows = 25,        // u32 cursor, u32 first ordinal (1-based), u32 count -> RowBatch
};

constexpr uint8_t kOpMayFail = 0x01;
// Status of an operation that did not run because an earlier one of its batch failed.
constexpr uint32_t kStatusSkipped = 0xFFFFFFFFu;

struct OpRequest {
    Op op = Op::Ping;
    uint8_t flags = 0;
    std::string args;
};

struct OpResult {
    uint32_t status = 0;
    std::string text;
    std::string body;
};

std::string encodeRequest(const std::vector<OpRequest>& ops);
// nullopt when the payload is malformed (trailing bytes included).
std::optional<std::vector<OpRequest>> decodeRequest(std::string_view payload);
std::string encodeResponse(const std::vector<OpResult>& results);
std::optional<std::vector<OpResult>> decodeResponse(std::string_view payload);

// Who a client is: what the lock-owner procedure reports about its connections.
struct Identity {
    std::string userName;    // workstation / user name
    std::string osLogin;
    std::string applicationId;
    std::string terminalAddress;
};

struct ConnectArgs {
    std::string connectString;
    Identity identity;
};

struct OpenTableArgs {
    uint32_t connection = 0;
    std::string name;
    std::string alias;
    uint16_t tableType = 0;
    uint16_t charType = 0;
    uint16_t lockType = 0;
    uint16_t checkRights = 0;
    uint32_t options = 0;
    std::string collation;
};

struct IndexDesc {
    uint32_t handle = 0;
    std::string name;
    uint32_t flags = 0;  // ADS_INDEX_*
    std::string condition;
    uint32_t pageSize = 0;
    std::vector<std::string> segments;  // field names, in key order
};

// Everything the client answers locally about an open table or cursor.
struct CursorDesc {
    uint32_t handle = 0;
    uint16_t tableType = 0;
    uint16_t charType = 0;
    std::string collation;
    uint32_t options = 0;  // open options with the ADS_PERMISSION_* bits
    uint32_t recordLength = 0;
    uint32_t bookmarkLength = 4;
    bool live = true;  // false for a static SQL result
    std::string blankImage;
    std::vector<ColumnDef> columns;
    std::vector<IndexDesc> indexes;
};

// A cursor's position after a move, with the row it stands on.
struct Position {
    bool bof = false;
    bool eof = false;
    bool visible = false;
    uint32_t record = 0;
    std::string image;  // empty at BOF/EOF
    // Content of the memo, binary and wide-memo columns of the row: 1-based column, bytes.
    std::vector<std::pair<uint16_t, std::string>> blobs;
};

struct WriteArgs {
    uint32_t handle = 0;
    bool append = false;
    uint32_t record = 0;  // the row written when !append
    std::string image;
    std::vector<uint16_t> modified;  // 1-based columns the caller set
    std::vector<std::pair<uint16_t, std::string>> blobs;
    std::vector<uint16_t> nulls;     // 1-based columns set to null
};

struct StatementOptions {
    uint16_t lockType = 1;
    std::string collation;
    uint16_t checkRights = 1;
    uint16_t readOnly = 1;
    uint16_t tableType = 3;
    uint16_t constrain = 2;
    uint16_t readAll = 2;
    uint32_t timeoutSeconds = 0;
};

struct Param {
    uint16_t number = 0;  // 1-based, or 0 when named
    std::string name;
    Value value;
};

struct ExecArgs {
    uint32_t connection = 0;
    std::string text;  // 8-bit
    StatementOptions options;
    std::vector<Param> params;
    uint32_t rowsWanted = 0;  // rows to send with the answer
};

// Rows of a static result by ordinal; Position.record is the row's ordinal.
struct RowBatch {
    uint32_t first = 0;
    std::vector<Position> rows;
};

struct ExecResult {
    bool hasRowCount = false;
    uint32_t rowCount = 0;  // rows of the result, or rows changed
    bool hasCursor = false;
    CursorDesc cursor;
    uint32_t count = 0;     // rows in the cursor
    RowBatch rows;          // the first rows
};

void encode(Writer& w, const Value& v);
Value decodeValue(Reader& r);
void encode(Writer& w, const Identity& v);
Identity decodeIdentity(Reader& r);
void encode(Writer& w, const ConnectArgs& v);
ConnectArgs decodeConnectArgs(Reader& r);
void encode(Writer& w, const OpenTableArgs& v);
OpenTableArgs decodeOpenTableArgs(Reader& r);
void encode(Writer& w, const CursorDesc& v);
CursorDesc decodeCursorDesc(Reader& r);
void encode(Writer& w, const Position& v);
Position decodePosition(Reader& r);
void encode(Writer& w, const WriteArgs& v);
WriteArgs decodeWriteArgs(Reader& r);
void encode(Writer& w, const ExecArgs& v);
ExecArgs decodeExecArgs(Reader& r);
void encode(Writer& w, const RowBatch& v);
RowBatch decodeRowBatch(Reader& r);
void encode(Writer& w, const ExecResult& v);
ExecResult decodeExecResult(Reader& r);

}  // namespace engine::protocol

#endif  // BREVANTIS_ENGINE_PROTOCOL_MESSAGES_H
