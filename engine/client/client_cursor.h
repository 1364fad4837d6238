// client_cursor.h: helpers shared by the table, navigation, field and SQL entry points — making
// cursor handles, finding columns, and moving a cursor (on the server or, for a static
// SQL result, among the rows the client holds).
#ifndef BREVANTIS_ENGINE_CLIENT_CLIENT_CURSOR_H
#define BREVANTIS_ENGINE_CLIENT_CLIENT_CURSOR_H

#include <optional>
#include <string_view>

#include "engine/client/state.h"

namespace engine::client {

// Makes the handles of an open table or cursor and of its indexes.
ADSHANDLE addCursor(ADSHANDLE connection, CursorInfo&& info);

// findColumn's out-of-line part: a column by name, or the failure of a number out of range.
int findColumnByName(const CursorInfo& info, ADSFIELDID field);

// The index of the column a field argument names by number, or -1 (a name, or a number out
// of range). Calls nothing.
inline int columnIndex(const CursorInfo& info, ADSFIELDID field) {
    const uintptr_t n = reinterpret_cast<uintptr_t>(field);
    // Compared in bytes: no division by the size of a column.
    const std::vector<ColumnDef>& columns = info.columns();
    const size_t bytes = reinterpret_cast<const char*>(columns.data() + columns.size()) -
                         reinterpret_cast<const char*>(columns.data());
    return ADS_IS_FIELD_NUMBER(field) && (n - 1) * sizeof(ColumnDef) < bytes ? static_cast<int>(n - 1) : -1;
}

// The column a field argument names (by name without regard to case, or by number), or
// -1 after recording AE_COLUMN_NOT_FOUND / AE_INVALID_ARGUMENT as the last error.
// Inline for a column number, what most describing calls give.
inline int findColumn(const CursorInfo& info, ADSFIELDID field) {
    const int i = columnIndex(info, field);
    return i >= 0 ? i : findColumnByName(info, field);
}
// The code findColumn recorded.
UNSIGNED32 lastCode();

// The connection a cursor belongs to, or nullptr (recording AE_INVALID_HANDLE).
ConnectionObj* connectionOf(const TableObj& table);

// Makes `p` the cursor's position and remembers it among the recent rows.
void setPosition(TableObj& table, Position p);

// Makes `p` current with the rows read around it in the order `order`.
void takeNeighbours(TableObj& table, uint32_t order, Position p, protocol::Neighbours n);

// Moves by `rows` within the window when the window covers the target (in the order
// `order`), letting the server's cursor follow with the next request; false otherwise.
bool windowSkip(TableObj& table, uint32_t order, int64_t rows);
// Moves to record `recno` when the window holds it; false otherwise.
bool windowGoto(TableObj& table, uint32_t recno);

// Forgets the rows read ahead (the data or the filter changed).
void dropWindow(TableObj& table);

// A server move: runs `op` on serverHandle and takes the answer's position.
UNSIGNED32 serverMove(TableObj& table, protocol::Op op, uint32_t serverHandle,
                      std::string extraArgs = {});

// What every move does once the cursor's position is set: `held` is the entry of a static
// cursor's rows it stands on, if any.
inline void markMoved(TableObj& table, const protocol::RowView* held) {
    table.heldRow = held;
    table.positioned = true;
    ++table.moves;
    table.window.valid = false;
}

// setPosition for a static cursor, in place: its position carries flags only, and `held` is
// the entry of rows it stands on (nullptr at BOF or EOF).
inline void standAt(TableObj& table, bool bof, bool eof, uint32_t recordNumber, bool visible,
                    const protocol::RowView* held) {
    Position& p = table.position;
    p.bof = bof;
    p.eof = eof;
    p.recordNumber = recordNumber;
    p.visible = visible;
    p.record.clear();
    markMoved(table, held);
    // Last, and only when there are any: freeing them is the one call.
    if (!p.blobs.empty()) p.blobs.clear();
}

// staticGoto for any row, out of line.
UNSIGNED32 staticGotoAnyRow(TableObj& table, int64_t ordinal);

// A static cursor's move to row `ordinal` (0: before the first, count + 1: after the
// last), fetching rows the client does not hold yet. Inline for a row held, where a cursor
// reading on mostly moves.
inline UNSIGNED32 staticGoto(TableObj& table, int64_t ordinal) {
    const protocol::RowView* held =
        ordinal > 0 && ordinal <= table.count ? table.rows.find(static_cast<uint32_t>(ordinal)) : nullptr;
    if (!held) return staticGotoAnyRow(table, ordinal);
    standAt(table, false, false, static_cast<uint32_t>(ordinal), held->visible, held);
    return AE_SUCCESS;
}

// currentImage's failure, out of line so that currentImage inlines: records
// AE_NO_CURRENT_RECORD and returns no image.
std::optional<std::string_view> noCurrentRecord();

// The record image field reads and writes see: the pending record while editing, else
// the current row; none (with AE_NO_CURRENT_RECORD recorded) when there is none.
inline std::optional<std::string_view> currentImage(const TableObj& table) {
    if (table.editing || table.appending) return table.pending;
    const std::string_view image = table.rowImage();
    if (!table.positioned || table.position.bof || table.position.eof || image.empty()) {
        return noCurrentRecord();
    }
    return image;
}

// Content of a blob column of the current or pending row (nullptr when null or unknown).
const std::string* blobContent(const TableObj& table, uint16_t column);

// Starts editing the current row when no edit is pending (field setters do this).
UNSIGNED32 beginEdit(TableObj& table);

// ---- Entry-point helpers: each runs its body under guarded() with the object resolved ----

inline UNSIGNED32 badHandle(ADSHANDLE h) {
    return fail(AE_INVALID_HANDLE, "Invalid handle " + std::to_string(h) + ".");
}

// Runs `body` with the table or cursor a handle names (an index handle names its table).
template <typename F>
UNSIGNED32 withTable(ADSHANDLE h, F&& body) {
    return guardedQuick(
        [&]() -> UNSIGNED32 {
            TableObj* t = lastFoundAs<TableObj>(h, Kind::Table);
            return t ? body(*t) : kNotQuick;
        },
        [h, body]() -> UNSIGNED32 {
            TableObj* t = cursorOf(h);
            return t ? body(*t) : badHandle(h);
        });
}

// Runs `body` with the column a field argument names.
template <typename F>
UNSIGNED32 withColumn(ADSHANDLE h, ADSFIELDID field, F&& body) {
    return guardedQuick(
        [&]() -> UNSIGNED32 {
            TableObj* t = lastFoundAs<TableObj>(h, Kind::Table);
            const int i = t ? columnIndex(t->info, field) : -1;
            return i >= 0 ? body(*t, t->info.columns()[i]) : kNotQuick;
        },
        [h, field, body]() -> UNSIGNED32 {
            TableObj* t = cursorOf(h);
            if (!t) return badHandle(h);
            int i = findColumn(t->info, field);
            return i < 0 ? lastCode() : body(*t, t->info.columns()[i]);
        });
}

template <typename F>
UNSIGNED32 withIndex(ADSHANDLE h, F&& body) {
    return guarded([&]() -> UNSIGNED32 {
        IndexObj* x = findAs<IndexObj>(h, Kind::Index);
        return x ? body(*x) : badHandle(h);
    });
}

// The failure of put, out of line so that put stays small enough to inline.
UNSIGNED32 nullOutput();
// Entry points' failures, out of line so that the calls that succeed need no frame for
// their messages: a null length argument; a buffer too small for `bytes` of `what`.
UNSIGNED32 nullLengthArgument();
UNSIGNED32 bufferNeeds(const char* what, size_t bytes);

template <typename T>
UNSIGNED32 put(T* out, T value) {
    if (!out) return nullOutput();
    *out = value;
    return AE_SUCCESS;
}

}  // namespace engine::client

#endif  // BREVANTIS_ENGINE_CLIENT_CLIENT_CURSOR_H
