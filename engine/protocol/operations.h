// operations.h: every operation of the protocol — what it takes and what it answers —
// declared once for both ends.
//
// The client library encodes an operation's Args and decodes its Answer through these
// declarations, and the server's dispatcher decodes the same Args and encodes the same
// Answer: neither end writes an operation's layout by hand. An Answer is sent only when
// the operation succeeds.
//
//   op                  Args                                   Answer
//   Ping                Echo                                   Echo
//   Connect             ConnectArgs                            Connected
//   Disconnect          None                                   None  (the socket closes after)
//   ListTables          TableMask                              TableNames
//   GetTableProperty    TablePropertyArgs                      PropertyValue
//   OpenTable           OpenTableArgs                          OpenedTable (at the top)
//   CloseCursor         HandleArgs                             None
//   GotoTop/Bottom/Bof  HandleArgs                             Position
//   GotoRecord          RecordArgs                             Position
//   Skip                SkipArgs                               Moved
//   RecordCount         CountArgs                              Count
//   SetAof, SetFilter   ExpressionArgs (8-bit text)            None
//   ClearAof/Filter     HandleArgs                             None
//   SetExact            ExactArgs                              None
//   EvalExpression      ExpressionArgs                         Truth
//   WriteRecord         WriteArgs                              Moved (the written row)
//   Lock/UnlockRecord   RecordArgs                             None
//   Seek                SeekArgs                               Found
//   ExecuteSql          ExecArgs                               SqlResult
//   FetchRows           FetchArgs                              std::vector<Position>
#ifndef BREVANTIS_ENGINE_PROTOCOL_OPERATIONS_H
#define BREVANTIS_ENGINE_PROTOCOL_OPERATIONS_H

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/answers.h"
#include "engine/protocol/coding.h"
#include "engine/protocol/layout_slots.h"
#include "engine/protocol/wire_format.h"

namespace engine::protocol {

// ---- Arguments --------------------------------------------------------------------------

struct None {};
BREVANTIS_WIRE_FIELDS(None)

struct Echo {
    std::string bytes;
};
BREVANTIS_WIRE_FIELDS(Echo, s.bytes)

struct ConnectArgs {
    std::string connectString;
    ClientIdentity identity;  // address is filled in by the server from the socket
};
BREVANTIS_WIRE_FIELDS(ConnectArgs, s.connectString, s.identity)

struct TableMask {
    std::string mask;
};
BREVANTIS_WIRE_FIELDS(TableMask, s.mask)

struct TablePropertyArgs {
    std::string table;
    uint16_t property = 0;
};
BREVANTIS_WIRE_FIELDS(TablePropertyArgs, s.table, s.property)

struct OpenTableArgs {
    std::string name;
    uint16_t tableType = 0;
    uint16_t charType = 0;
    uint16_t lockType = 0;
    uint16_t checkRights = 0;
    uint32_t options = 0;
    std::string collation;
};
BREVANTIS_WIRE_FIELDS(OpenTableArgs, s.name, s.tableType, s.charType, s.lockType, s.checkRights,
                      s.options, s.collation)

// A table, cursor or index handle: what moves, closes or is cleared.
struct HandleArgs {
    Handle handle = 0;
};
BREVANTIS_WIRE_FIELDS(HandleArgs, s.handle)

struct RecordArgs {
    Handle handle = 0;
    uint32_t record = 0;
};
BREVANTIS_WIRE_FIELDS(RecordArgs, s.handle, s.record)

struct SkipArgs {
    Handle handle = 0;
    int32_t rows = 0;
    uint16_t neighbours = 0;  // rows to read on each side of the landing row
};
BREVANTIS_WIRE_FIELDS(SkipArgs, s.handle, s.rows, s.neighbours)

struct CountArgs {
    Handle handle = 0;
    uint16_t option = 0;
};
BREVANTIS_WIRE_FIELDS(CountArgs, s.handle, s.option)

struct ExpressionArgs {
    Handle handle = 0;
    std::string expression;
};
BREVANTIS_WIRE_FIELDS(ExpressionArgs, s.handle, s.expression)

struct ExactArgs {
    Handle handle = 0;
    bool exact = false;
};
BREVANTIS_WIRE_FIELDS(ExactArgs, s.handle, s.exact)

struct WriteArgs {
    Handle handle = 0;
    WriteRequest request;
    Handle order = 0;         // the order neighbours are read in (0: the table's)
    uint16_t neighbours = 0;  // rows to read on each side of the written row
};
BREVANTIS_WIRE_FIELDS(WriteArgs, s.handle, s.request, s.order, s.neighbours)

struct SeekArgs {
    Handle index = 0;
    std::string key;
    uint16_t seekType = 0;
};
BREVANTIS_WIRE_FIELDS(SeekArgs, s.index, s.key, s.seekType)

struct ExecArgs {
    std::string text;  // 8-bit
    std::vector<SqlParam> params;
    uint32_t prefetchRows = 0;  // rows to send with the answer
};
BREVANTIS_WIRE_FIELDS(ExecArgs, s.text, s.params, s.prefetchRows)

struct FetchArgs {
    Handle cursor = 0;
    uint32_t first = 0;  // row ordinal, from 1
    uint32_t count = 0;
};
BREVANTIS_WIRE_FIELDS(FetchArgs, s.cursor, s.first, s.count)

// ---- Answers ----------------------------------------------------------------------------

struct Connected {
    uint32_t connection = 0;
    bool dictionary = false;
};
BREVANTIS_WIRE_FIELDS(Connected, s.connection, s.dictionary)

struct TableNames {
    std::vector<std::string> names;
};
BREVANTIS_WIRE_FIELDS(TableNames, s.names)

struct PropertyValue {
    std::string value;
};
BREVANTIS_WIRE_FIELDS(PropertyValue, s.value)

struct Count {
    uint32_t count = 0;
};
BREVANTIS_WIRE_FIELDS(Count, s.count)

struct Truth {
    bool value = false;
};
BREVANTIS_WIRE_FIELDS(Truth, s.value)

// Rows around a position in the order of the handle that moved, read along with the move so
// that the client can step over them without asking again. Nearest rows first.
struct Neighbours {
    bool reachedBof = false;       // before holds every row up to the beginning
    std::vector<Position> before;  // rows before, the nearest first
    bool reachedEof = false;       // after holds every row up to the end
    std::vector<Position> after;   // rows after, the nearest first
};

// Where a skip or a write landed, and the rows around it.
struct Moved {
    Position position;
    Neighbours around;
};

struct Found {
    bool found = false;
    Position position;
};

// The description of an opened table and the position (the top) it opens on.
struct OpenedTable {
    CursorInfo cursor;
    Position position;
};

// ---- Operations -------------------------------------------------------------------------

template <Op op>
struct Operation;

#define BREVANTIS_OPERATION(code, ArgsType, AnswerType) \
    template <>                                         \
    struct Operation<Op::code> {                        \
        using Args = ArgsType;                          \
        using Answer = AnswerType;                      \
    };
BREVANTIS_OPERATION(Ping, Echo, Echo)
BREVANTIS_OPERATION(Connect, ConnectArgs, Connected)
BREVANTIS_OPERATION(Disconnect, None, None)
BREVANTIS_OPERATION(ListTables, TableMask, TableNames)
BREVANTIS_OPERATION(GetTableProperty, TablePropertyArgs, PropertyValue)
BREVANTIS_OPERATION(OpenTable, OpenTableArgs, OpenedTable)
BREVANTIS_OPERATION(CloseCursor, HandleArgs, None)
BREVANTIS_OPERATION(GotoTop, HandleArgs, Position)
BREVANTIS_OPERATION(GotoBottom, HandleArgs, Position)
BREVANTIS_OPERATION(GotoBof, HandleArgs, Position)
BREVANTIS_OPERATION(GotoRecord, RecordArgs, Position)
BREVANTIS_OPERATION(Skip, SkipArgs, Moved)
BREVANTIS_OPERATION(RecordCount, CountArgs, Count)
BREVANTIS_OPERATION(SetAof, ExpressionArgs, None)
BREVANTIS_OPERATION(ClearAof, HandleArgs, None)
BREVANTIS_OPERATION(SetFilter, ExpressionArgs, None)
BREVANTIS_OPERATION(ClearFilter, HandleArgs, None)
BREVANTIS_OPERATION(SetExact, ExactArgs, None)
BREVANTIS_OPERATION(EvalExpression, ExpressionArgs, Truth)
BREVANTIS_OPERATION(WriteRecord, WriteArgs, Moved)
BREVANTIS_OPERATION(LockRecord, RecordArgs, None)
BREVANTIS_OPERATION(UnlockRecord, RecordArgs, None)
BREVANTIS_OPERATION(Seek, SeekArgs, Found)
BREVANTIS_OPERATION(ExecuteSql, ExecArgs, SqlResult)
BREVANTIS_OPERATION(FetchRows, FetchArgs, std::vector<Position>)
#undef BREVANTIS_OPERATION

template <Op op>
using ArgsOf = typename Operation<op>::Args;
template <Op op>
using AnswerOf = typename Operation<op>::Answer;

// ---- Answer bodies ----------------------------------------------------------------------

// What decoding an answer needs from its connection: the layouts received so far, and the
// record length of the cursor whose rows it carries.
struct AnswerContext {
    LayoutSlots* layouts = nullptr;
    uint32_t recordLength = 0;
};

// An answer as its declaration lays it out; descriptions and rows as wire_format.h does:
//   Moved:       position, bool reachedBof, rows before, bool reachedEof, rows after
//   Found:       bool found, position
//   OpenedTable: description, position
//   SqlResult:   bool returnsRows, i64 rowsAffected, u32 recordCount, then when returnsRows
//                the description and the first rows
template <typename T>
void encodeAnswer(Writer& w, const T& v, LayoutSlots&) {
    write(w, v);
}
template <typename T>
void decodeAnswer(Reader& r, T& v, AnswerContext&) {
    read(r, v);
}
void encodeAnswer(Writer& w, const Position& v, LayoutSlots& sent);
void decodeAnswer(Reader& r, Position& v, AnswerContext& context);
void encodeAnswer(Writer& w, const std::vector<Position>& v, LayoutSlots& sent);
void decodeAnswer(Reader& r, std::vector<Position>& v, AnswerContext& context);
void encodeAnswer(Writer& w, const Moved& v, LayoutSlots& sent);
void decodeAnswer(Reader& r, Moved& v, AnswerContext& context);
void encodeAnswer(Writer& w, const Found& v, LayoutSlots& sent);
void decodeAnswer(Reader& r, Found& v, AnswerContext& context);
void encodeAnswer(Writer& w, const OpenedTable& v, LayoutSlots& sent);
void decodeAnswer(Reader& r, OpenedTable& v, AnswerContext& context);
void encodeAnswer(Writer& w, const SqlResult& v, LayoutSlots& sent);
void decodeAnswer(Reader& r, SqlResult& v, AnswerContext& context);

// The body of `op`'s answer.
template <Op op>
std::string encodeAnswerBody(const AnswerOf<op>& v, LayoutSlots& sent) {
    Writer w;
    encodeAnswer(w, v, sent);
    return w.take();
}

// Decodes `body` whole as `op`'s answer: false when it is short, malformed or longer, or
// describes what does not fit (wire_format.h).
template <Op op>
bool decodeAnswerBody(std::string_view body, AnswerOf<op>* v, AnswerContext& context) {
    Reader r(body);
    decodeAnswer(r, *v, context);
    return r.done();
}

}  // namespace engine::protocol

#endif  // BREVANTIS_ENGINE_PROTOCOL_OPERATIONS_H
