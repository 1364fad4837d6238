// wire_format.h: the requests and answers exchanged between the client library and the server.
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
// encode/decode pairs below, one per structure (the structures are in wire_types.h).
// Handles on the wire are the server's ids. One socket carries one connection: Connect is
// the first operation on it and every later one works on that connection's session.
#ifndef BREVANTIS_ENGINE_PROTOCOL_WIRE_FORMAT_H
#define BREVANTIS_ENGINE_PROTOCOL_WIRE_FORMAT_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/protocol/coding.h"
#include "engine/protocol/wire_types.h"
#include "engine/protocol/layout_slots.h"

namespace engine::protocol {

// Operation codes. The comment gives the arguments -> the body of a successful answer.
enum class Op : uint16_t {
    Ping = 1,              // bytes echo -> the same bytes
    Connect = 2,           // ConnectArgs -> u32 connection number, bool dictionary
    Disconnect = 3,        // - -> - (ends the session; the socket closes after the answer)
    ListTables = 4,        // bytes mask -> u32 n, n x bytes name
    GetTableProperty = 5,  // bytes table, u16 property -> bytes value
    OpenTable = 6,         // OpenTableArgs -> OpenedTable
    CloseCursor = 7,       // u32 handle -> -
    GotoTop = 8,           // u32 handle -> Position
    GotoBottom = 9,        // u32 handle -> Position
    GotoBof = 10,          // u32 handle -> Position
    GotoRecord = 11,       // u32 handle, u32 record -> Position
    Skip = 12,             // u32 handle, i32 rows, u16 neighbours -> Position, Neighbours
    RecordCount = 13,      // u32 handle, u16 option -> u32 count
    SetAof = 14,           // u32 handle, bytes expression (8-bit) -> -
    ClearAof = 15,         // u32 handle -> -
    SetFilter = 16,        // u32 handle, bytes expression (8-bit) -> -
    ClearFilter = 17,      // u32 handle -> -
    SetExact = 18,         // u32 handle, bool exact -> -
    EvalExpression = 19,   // u32 handle, bytes expression -> bool
    WriteRecord = 20,      // u32 handle, WriteRequest, u32 order handle, u16 neighbours
                           //   -> Position (the written row), Neighbours in that order
    LockRecord = 21,       // u32 handle, u32 record -> -
    UnlockRecord = 22,     // u32 handle, u32 record -> -
    Seek = 23,             // u32 index handle, bytes key, u16 seek type -> bool found, Position
    ExecuteSql = 24,       // ExecArgs -> SqlResult
    FetchRows = 25,        // u32 cursor, u32 first row (from 1), u32 count -> u32 n, n x Position
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

// A result as the client reads it: text and body are views of the answer payload.
struct OpResultView {
    uint32_t status = 0;
    std::string_view text;
    std::string_view body;
};

// An operation as the server reads it: args is a view of the request payload.
struct OpView {
    Op op = Op::Ping;
    uint8_t flags = 0;
    std::string_view args;
};

std::string encodeRequest(const std::vector<OpRequest>& ops);
// A request written op by op, with no vector of them: the count, then each operation.
void encodeRequestCount(Writer& w, uint32_t n);
void encodeOp(Writer& w, Op op, uint8_t flags, std::string_view args);
// Decodes a request without copying its arguments: *ops (cleared first, its room kept)
// views `payload`, which must outlive it. False when the payload is malformed (trailing
// bytes included); *ops is then not to be used.
bool decodeRequestViews(std::string_view payload, std::vector<OpView>* ops);
std::string encodeResponse(const std::vector<OpResult>& results);
// An answer written as its operations run, with no vector of results: the count, then
// per operation, in order, either encodeResult or beginResult, the body written straight
// into w, then endResult.
void encodeResultCount(Writer& w, uint32_t n);
void encodeResult(Writer& w, uint32_t status, std::string_view text, std::string_view body);
// Leaves room for what goes before the body and returns where the result begins.
size_t beginResult(Writer& w);
// Fills in the result begun at `begin` around the body written since.
void endResult(Writer& w, size_t begin, uint32_t status, std::string_view text);
// Decodes an answer without copying its texts and bodies: *results (cleared first, its room
// kept) views `payload`, which must outlive it. False when the payload is malformed
// (trailing bytes included); *results is then not to be used.
bool decodeResponseViews(std::string_view payload, std::vector<OpResultView>* results);

struct ConnectArgs {
    std::string connectString;
    ClientIdentity identity;  // address is filled in by the server from the socket
};

struct OpenTableArgs {
    uint32_t connection = 0;
    std::string name;
    uint16_t tableType = 0;
    uint16_t charType = 0;
    uint16_t lockType = 0;
    uint16_t checkRights = 0;
    uint32_t options = 0;
    std::string collation;
};

// The answer to OpenTable: the description and the position (the top) the table opens on.
struct OpenedTable {
    CursorInfo cursor;
    Position position;
};

// Rows around a position in the order of the handle that moved, read along with the move so
// that the client can step over them without asking again. Nearest rows first.
struct Neighbours {
    std::vector<Position> before;  // rows before, the nearest first
    bool reachedBof = false;       // before holds every row up to the beginning
    std::vector<Position> after;   // rows after, the nearest first
    bool reachedEof = false;       // after holds every row up to the end
};

struct ExecArgs {
    uint32_t connection = 0;
    std::string text;  // 8-bit
    std::vector<SqlParam> params;
    uint32_t prefetchRows = 0;  // rows to send with the answer
};

// ExecArgs as the server decodes them: the text is a view of the input, which the
// session only reads during the execution.
struct ExecArgsView {
    uint32_t connection = 0;
    std::string_view text;
    std::vector<SqlParam> params;
    uint32_t prefetchRows = 0;
};

void encode(Writer& w, const Value& v);
Value decodeValue(Reader& r);
void encode(Writer& w, const ClientIdentity& v);
ClientIdentity decodeIdentity(Reader& r);
void encode(Writer& w, const ConnectArgs& v);
ConnectArgs decodeConnectArgs(Reader& r);
void encode(Writer& w, const OpenTableArgs& v);
OpenTableArgs decodeOpenTableArgs(Reader& r);
// A description carries its layout whole the first time, then only its slot (see
// layout_slots.h): encoding and decoding one updates the connection's slots, so each end
// codes every description of the connection, in order, through its own LayoutSlots.
// The decoders of descriptions and rows fail the Reader when what they read would not fit
// the record images it describes: a blank record other than recordLength bytes, a column
// not wholly inside it, a row image neither empty nor recordLength bytes; or when it names
// a slot that holds no layout. A client can then read any column of any image it holds
// without checking again.
void encode(Writer& w, const CursorInfo& v, LayoutSlots& slots);
CursorInfo decodeCursorInfo(Reader& r, LayoutSlots& slots);
void encode(Writer& w, const Position& v);
Position decodePosition(Reader& r, uint32_t recordLength);
void encode(Writer& w, const std::vector<Position>& v);
std::vector<Position> decodePositions(Reader& r, uint32_t recordLength);

// A row as a static cursor keeps it: a Position whose image is a view of the answer it
// came in (which the cursor keeps with its rows) rather than a copy.
struct RowView {
    bool bof = false;
    bool eof = false;
    bool visible = false;
    uint32_t recordNumber = 0;
    std::string_view record;          // the image, in the input
    std::vector<BlobContent> blobs;   // copied: few results carry them
};
// decodePositions without copying the images: the rows view `r`'s input, which must outlive
// them.
std::vector<RowView> decodeRowViews(Reader& r, uint32_t recordLength);
void encode(Writer& w, const Neighbours& v);
Neighbours decodeNeighbours(Reader& r, uint32_t recordLength);
void encode(Writer& w, const OpenedTable& v, LayoutSlots& slots);
OpenedTable decodeOpenedTable(Reader& r, LayoutSlots& slots);
void encode(Writer& w, const WriteRequest& v);
WriteRequest decodeWriteRequest(Reader& r);
void encode(Writer& w, const ExecArgs& v);
ExecArgsView decodeExecArgs(Reader& r);
void encode(Writer& w, const SqlResult& v, LayoutSlots& slots);
SqlResult decodeSqlResult(Reader& r, LayoutSlots& slots);
// decodeSqlResult up to its rows, which the caller then reads (decodePositions or
// decodeRowViews) when returnsRows; rows is left empty.
SqlResult decodeSqlResultHead(Reader& r, LayoutSlots& slots);

}  // namespace engine::protocol

#endif  // BREVANTIS_ENGINE_PROTOCOL_WIRE_FORMAT_H
