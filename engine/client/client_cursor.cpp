// client_cursor.cpp: cursor handles, column lookup and cursor moves.
#include "engine/client/client_cursor.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/record/record_text.h"

namespace engine::client {
namespace {

// Rows stood on lately that a table keeps for moves back to them.
constexpr size_t kRecentRows = 8;
// Rows asked for at once when a static cursor runs past what the client holds.
constexpr uint32_t kFetchBatch = 1024;
// Enough for a grid of a few dozen rows to fill itself around a row without asking again.
constexpr uint16_t kDefaultNeighbours = 32;
// A caller that moves from row to row by searches and writes uses no row read ahead: after
// this many unused windows in a row, nothing is read ahead until a skip misses.
constexpr uint8_t kIdleWindowsBeforeStopping = 2;

Position edgePosition(bool bof, bool eof) {
    Position p;
    p.bof = bof;
    p.eof = eof;
    return p;
}

// What every move does once the cursor's position is set.
void markMoved(TableObj& table) {
    table.positioned = true;
    ++table.moves;
    table.window.valid = false;
}

// Makes window row `at` (or BOF/EOF beyond the ends) current, keeping the window, and
// holds back one move of the server's cursor to it.
void windowMoveTo(TableObj& table, int64_t at) REQUIRES(gApiMutex) {
    Window& w = table.window;
    setPosition(table, at < 0                                      ? edgePosition(true, false)
                       : at >= static_cast<int64_t>(w.rows.size()) ? edgePosition(false, true)
                                                                   : w.rows[at]);
    w.valid = true;  // setPosition forgets the window; this move stays inside it
    w.at = at;
    if (at != w.landing) {
        table.windowUnused = false;
        table.idleWindows = 0;
    }
    ConnectionObj* c = findAs<ConnectionObj>(table.connection, Kind::Connection);
    if (!c) return;
    std::erase_if(c->deferred, [&](const Deferred& d) { return d.syncOf == table.info.handle; });
    Deferred& sync = table.position.bof
                         ? defer<protocol::Op::GotoBof>(*c, {w.order}, protocol::kOpMayFail)
                         : defer<protocol::Op::GotoRecord>(
                               *c, {w.order, table.position.eof ? 0 : table.position.recordNumber},
                               protocol::kOpMayFail);
    sync.syncOf = table.info.handle;
}

}  // namespace

UNSIGNED32 findColumn(const CursorInfo& info, ADSFIELDID field, int* index) {
    const std::vector<ColumnDef>& columns = info.columns();
    if (!field) return fail(AE_INVALID_ARGUMENT, "No column given.");
    if (ADS_IS_FIELD_NUMBER(field)) {
        const uintptr_t n = reinterpret_cast<uintptr_t>(field);
        if (n > columns.size()) {
            return fail(AE_INVALID_ARGUMENT,
                        "Column number " + std::to_string(n) + " is out of range.");
        }
        *index = static_cast<int>(n - 1);
        return AE_SUCCESS;
    }
    for (size_t i = 0; i < columns.size(); ++i) {
        if (record::equalsNoCase(columns[i].name, field)) {
            *index = static_cast<int>(i);
            return AE_SUCCESS;
        }
    }
    return fail(AE_COLUMN_NOT_FOUND, std::string("Column not found: column \"") + field + "\".");
}

ADSHANDLE addCursor(ADSHANDLE connection, CursorInfo&& info) {
    auto table = std::make_unique<TableObj>(connection, std::move(info));
    TableObj* t = table.get();
    ADSHANDLE h = addObject(std::move(table));
    for (const IndexInfo& x : t->info.indexes) {
        auto index = std::make_unique<IndexObj>();
        index->table = h;
        index->info = x;
        t->indexes.push_back(addObject(std::move(index)));
    }
    return h;
}

ConnectionObj* connectionOf(const TableObj& table) {
    ConnectionObj* c = findAs<ConnectionObj>(table.connection, Kind::Connection);
    if (!c) fail(AE_INVALID_HANDLE, "The table's connection is closed.");
    return c;
}

uint16_t neighboursWanted(const TableObj& table) {
    if (table.cacheRecords >= 0) return static_cast<uint16_t>(table.cacheRecords);
    return table.idleWindows >= kIdleWindowsBeforeStopping ? 0 : kDefaultNeighbours;
}

void setPosition(TableObj& table, Position p) {
    table.position = std::move(p);
    markMoved(table);
    if (table.position.bof || table.position.eof) return;
    auto& recent = table.recent;
    std::erase_if(recent,
                  [&](const Position& r) { return r.recordNumber == table.position.recordNumber; });
    if (recent.size() == kRecentRows) recent.erase(recent.begin());
    recent.push_back(table.position);
}

void takeMoved(TableObj& table, uint32_t order, protocol::Moved&& moved) {
    setPosition(table, std::move(moved.position));
    table.lastOrder = order;
    if (table.windowUnused && table.idleWindows < UINT8_MAX) ++table.idleWindows;
    table.windowUnused = true;
    if (table.position.bof || table.position.eof) return;
    Window& w = table.window;
    protocol::Neighbours& n = moved.around;
    w.rows.assign(std::make_move_iterator(n.before.rbegin()),
                  std::make_move_iterator(n.before.rend()));
    w.at = w.landing = static_cast<int64_t>(w.rows.size());
    w.rows.push_back(table.position);
    std::move(n.after.begin(), n.after.end(), std::back_inserter(w.rows));
    w.startsAtBof = n.reachedBof;
    w.endsAtEof = n.reachedEof;
    w.order = order;
    w.valid = true;
}

bool windowSkip(TableObj& table, uint32_t order, int64_t rows) {
    Window& w = table.window;
    if (!w.valid || w.order != order || table.editing || table.appending) return false;
    const int64_t target = w.at + rows;
    const int64_t size = static_cast<int64_t>(w.rows.size());
    const bool inside = target >= 0 && target < size;
    if (!inside && !(target < 0 && w.startsAtBof) && !(target >= size && w.endsAtEof)) return false;
    windowMoveTo(table, std::clamp<int64_t>(target, -1, size));
    return true;
}

bool windowGoto(TableObj& table, uint32_t recno) {
    Window& w = table.window;
    if (!w.valid || recno == 0 || table.editing || table.appending) return false;
    for (size_t i = 0; i < w.rows.size(); ++i) {
        if (w.rows[i].recordNumber == recno) {
            windowMoveTo(table, static_cast<int64_t>(i));
            return true;
        }
    }
    return false;
}

void keepRows(TableObj& table, uint32_t first, std::vector<Position>&& rows) {
    for (Position& p : rows) {
        if (p.bof || p.eof) break;
        if (!table.rows.try_emplace(first++, std::move(p)).second) break;  // held already
    }
}

UNSIGNED32 staticGoto(TableObj& table, int64_t ordinal) {
    const bool bof = ordinal <= 0 || table.count == 0;
    const bool eof = ordinal > table.count || table.count == 0;
    const auto n = static_cast<uint32_t>(ordinal);
    const Position* held = nullptr;
    if (!bof && !eof) {
        auto at = table.rows.find(n);
        if (at == table.rows.end()) {
            ConnectionObj* c = connectionOf(table);
            if (!c) return AE_INVALID_HANDLE;
            if (table.info.handle == 0)
                return fail(AE_INTERNAL_ERROR, "Row missing from a whole result.");
            std::vector<Position> fetched;
            Status st = call<protocol::Op::FetchRows>(*c, {table.info.handle, n, kFetchBatch},
                                                      &fetched, table.info.recordLength());
            if (!st.ok()) return fail(st);
            keepRows(table, n, std::move(fetched));
            at = table.rows.find(n);
            if (at == table.rows.end()) return fail(AE_INVALID_RECORD_NUMBER, "Row not available.");
        }
        held = &at->second;
    }
    // The position carries the row's flags; its image and blobs are read where they are held.
    table.position = edgePosition(bof, eof);
    if (held) {
        table.position.recordNumber = n;
        table.position.visible = held->visible;
    }
    table.heldRow = held;
    markMoved(table);
    return AE_SUCCESS;
}

UNSIGNED32 currentImage(const TableObj& table, std::string_view* image) {
    if (table.editing || table.appending) {
        *image = table.pending;
        return AE_SUCCESS;
    }
    *image = table.row().record;
    if (!table.positioned || table.position.bof || table.position.eof || image->empty()) {
        return fail(AE_NO_CURRENT_RECORD, "There is no current record.");
    }
    return AE_SUCCESS;
}

UNSIGNED32 copyRecord(const TableObj& t, UNSIGNED8* record, UNSIGNED32* length) {
    if (!length) return nullLength();
    std::string_view image;
    const UNSIGNED32 rc = currentImage(t, &image);
    if (rc != AE_SUCCESS) return rc;
    const UNSIGNED32 room = *length;
    *length = static_cast<UNSIGNED32>(image.size());
    if (!record || room < image.size()) {
        return fail(AE_INSUFFICIENT_BUFFER,
                    "The record needs " + std::to_string(image.size()) + " bytes.");
    }
    std::memcpy(record, image.data(), image.size());
    return AE_SUCCESS;
}

const std::string* blobContent(const TableObj& table, uint16_t column) {
    if (table.editing || table.appending) {
        auto it = table.pendingBlobs.find(column);
        if (it != table.pendingBlobs.end()) return &it->second;
        if (table.appending) return nullptr;
    }
    for (const BlobContent& b : table.row().blobs) {
        if (b.column == column) return b.isNull ? nullptr : &b.bytes;
    }
    return nullptr;
}

bool blobDamaged(const TableObj& table, uint16_t column) {
    if ((table.editing || table.appending) && (table.appending || table.pendingBlobs.count(column)))
        return false;
    for (const BlobContent& b : table.row().blobs) {
        if (b.column == column) return b.damaged;
    }
    return false;
}

UNSIGNED32 beginEdit(TableObj& table) {
    if (table.editing || table.appending) return AE_SUCCESS;
    if (table.isStatic())
        return fail(AE_STATIC_VIEW, "The cursor is a static result and cannot be updated.");
    std::string_view image;
    const UNSIGNED32 rc = currentImage(table, &image);
    if (rc != AE_SUCCESS) return rc;
    table.pending = image;
    table.editing = true;
    table.editRecord = table.position.recordNumber;
    table.writes.clear();
    table.pendingBlobs.clear();
    return AE_SUCCESS;
}

}  // namespace engine::client
