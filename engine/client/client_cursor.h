// client_cursor.h: what the table, navigation, field and SQL entry points share — the
// entry-point wrappers for each kind of handle, cursor handles and columns, and moving a
// cursor (on the server or, for a static SQL result, among the rows the client holds).
#ifndef BREVANTIS_ENGINE_CLIENT_CLIENT_CURSOR_H
#define BREVANTIS_ENGINE_CLIENT_CLIENT_CURSOR_H

#include <string_view>

#include "engine/client/requests.h"
#include "engine/client/state.h"

namespace engine::client {

// ---- Entry points: each runs its body under guarded() with the object its handle names ----

// `body(TableObj&)` with the table or cursor a handle names (an index handle: its table).
template <typename F>
UNSIGNED32 withTable(ADSHANDLE h, F&& body) {
    return guarded([&]() REQUIRES(gApiMutex) -> UNSIGNED32 {
        TableObj* t = cursorOf(h);
        return t ? body(*t) : badHandle(h);
    });
}

// `body(TableObj&, uint32_t order)` for a move: `order` is what the server moves, the
// index's own id for an index handle.
template <typename F>
UNSIGNED32 withMover(ADSHANDLE h, F&& body) {
    return guarded([&]() REQUIRES(gApiMutex) -> UNSIGNED32 {
        uint32_t order = 0;
        TableObj* t = cursorOf(h, &order);
        return t ? body(*t, order) : badHandle(h);
    });
}

// The column a field argument names (by name without regard to case, or by number from 1)
// in *index; else AE_COLUMN_NOT_FOUND or AE_INVALID_ARGUMENT, recorded as the last error.
UNSIGNED32 findColumn(const CursorInfo& info, ADSFIELDID field, int* index);

// `body(TableObj&, const ColumnDef&)` with the column a field argument names.
template <typename F>
UNSIGNED32 withColumn(ADSHANDLE h, ADSFIELDID field, F&& body) {
    return withTable(h, [&](TableObj& t) REQUIRES(gApiMutex) -> UNSIGNED32 {
        int i = 0;
        const UNSIGNED32 rc = findColumn(t.info, field, &i);
        return rc != AE_SUCCESS ? rc : body(t, t.info.columns()[i]);
    });
}

// `body(IndexObj&, TableObj&)` with an index order and its table.
template <typename F>
UNSIGNED32 withIndex(ADSHANDLE h, F&& body) {
    return guarded([&]() REQUIRES(gApiMutex) -> UNSIGNED32 {
        IndexObj* x = findAs<IndexObj>(h, Kind::Index);
        TableObj* t = x ? findAs<TableObj>(x->table, Kind::Table) : nullptr;
        return t ? body(*x, *t) : badHandle(h);
    });
}

// ---- Cursors --------------------------------------------------------------------------------

// Makes the handles of an open table or cursor and of its indexes.
ADSHANDLE addCursor(ADSHANDLE connection, CursorInfo&& info) REQUIRES(gApiMutex);

// The connection a cursor belongs to, or nullptr (recording AE_INVALID_HANDLE).
ConnectionObj* connectionOf(const TableObj& table) REQUIRES(gApiMutex);

// Rows to read on each side of a row a skip or a write lands on.
uint16_t neighboursWanted(const TableObj& table);

// Makes `p` a table's position and remembers it among the recent rows.
void setPosition(TableObj& table, Position p);

// Makes a skip's or a write's landing row current, with the rows read around it in the
// order `order`.
void takeMoved(TableObj& table, uint32_t order, protocol::Moved&& moved);

// Moves by `rows` within the window when the window covers the target (in the order
// `order`), letting the server's cursor follow with the next request; false otherwise.
bool windowSkip(TableObj& table, uint32_t order, int64_t rows) REQUIRES(gApiMutex);
// Moves to record `recno` when the window holds it; false otherwise.
bool windowGoto(TableObj& table, uint32_t recno) REQUIRES(gApiMutex);

// A server move of a table: runs `op` (GotoTop, GotoBottom, GotoBof or GotoRecord) and
// takes the answer's position.
template <protocol::Op op>
UNSIGNED32 serverMove(TableObj& table, const protocol::ArgsOf<op>& args) REQUIRES(gApiMutex) {
    ConnectionObj* c = connectionOf(table);
    if (!c) return AE_INVALID_HANDLE;
    Position p;
    Status st = call<op>(*c, args, &p, table.info.recordLength());
    if (!st.ok()) return fail(st);
    setPosition(table, std::move(p));
    table.lastOrder = args.handle;
    return AE_SUCCESS;
}

// A static cursor's move to row `ordinal` (0: before the first, count + 1: after the
// last), fetching rows the client does not hold yet.
UNSIGNED32 staticGoto(TableObj& table, int64_t ordinal) REQUIRES(gApiMutex);

// Takes an execution's or a fetch's rows as a static cursor's rows from ordinal `first`
// on, up to the first that marks BOF or EOF (the end of what the server had).
void keepRows(TableObj& table, uint32_t first, std::vector<Position>&& rows);

// The record image field reads and writes see: the pending record while editing, else
// the current row; AE_NO_CURRENT_RECORD (recorded) when there is none.
UNSIGNED32 currentImage(const TableObj& table, std::string_view* image);
// Copies the current row's record image to `record` (*length bytes of room; set to the
// image's length), as AdsGetRecord answers.
UNSIGNED32 copyRecord(const TableObj& table, UNSIGNED8* record, UNSIGNED32* length);

// Content of a blob column of the current or pending row (nullptr when null or unknown).
const std::string* blobContent(const TableObj& table, uint16_t column);
// Whether the current row's value of a blob column could not be read by the server (a
// damaged memo file) and no pending value replaces it.
bool blobDamaged(const TableObj& table, uint16_t column);

// Starts editing the current row when no edit is pending (field setters do this).
UNSIGNED32 beginEdit(TableObj& table);

}  // namespace engine::client

#endif  // BREVANTIS_ENGINE_CLIENT_CLIENT_CURSOR_H
