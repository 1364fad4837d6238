// client_cursor.cpp: cursor handles, column lookup and cursor moves.
#include "engine/client/client_cursor.h"

#include <algorithm>
#include <cstdint>

#include "engine/record/record_text.h"

namespace engine::client {
namespace {

constexpr size_t kRecentRows = 8;
// Rows asked for at once when a static cursor runs past what the client holds.
constexpr uint32_t kFetchBatch = 1024;

Position edgePosition(bool bof, bool eof) {
    Position p;
    p.bof = bof;
    p.eof = eof;
    return p;
}

}  // namespace

// Enough for a grid of a few dozen rows to fill itself around a row without asking again.
constexpr uint16_t kDefaultNeighbours = 32;
// A caller that moves from row to row by searches and writes uses no row read ahead: after
// this many unused windows in a row, nothing is read ahead until a skip misses.
constexpr uint8_t kIdleWindowsBeforeStopping = 2;

uint16_t TableObj::neighbours() const {
    if (cacheRecords >= 0) return static_cast<uint16_t>(cacheRecords);
    return idleWindows >= kIdleWindowsBeforeStopping ? 0 : kDefaultNeighbours;
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

namespace {

thread_local UNSIGNED32 tColumnCode = 0;

// Records why a field argument names no column: kept apart from the lookup by name, so
// that every lookup does not pay for the frame these messages need.
[[gnu::cold, gnu::noinline]] UNSIGNED32 missingColumn(ADSFIELDID field) {
    if (!field) return fail(AE_INVALID_ARGUMENT, "No column given.");
    if (ADS_IS_FIELD_NUMBER(field)) {
        return fail(AE_INVALID_ARGUMENT, "Column number " +
                                             std::to_string(reinterpret_cast<uintptr_t>(field)) +
                                             " is out of range.");
    }
    return fail(AE_COLUMN_NOT_FOUND, std::string("Column not found: column \"") + field + "\".");
}

}  // namespace

int findColumnByName(const CursorInfo& info, ADSFIELDID field) {
    if (!ADS_IS_FIELD_NUMBER(field)) {
        const std::string_view name(field);
        for (size_t i = 0; i < info.columns().size(); ++i) {
            if (record::equalsNoCase(info.columns()[i].name, name)) return static_cast<int>(i);
        }
    }
    tColumnCode = missingColumn(field);
    return -1;
}

UNSIGNED32 lastCode() { return tColumnCode; }

UNSIGNED32 nullOutput() { return fail(AE_INVALID_ARGUMENT, "Null output argument."); }

UNSIGNED32 nullLengthArgument() { return fail(AE_INVALID_ARGUMENT, "Null length argument."); }

UNSIGNED32 bufferNeeds(const char* what, size_t bytes) {
    return fail(AE_INSUFFICIENT_BUFFER, std::string(what) + " needs " + std::to_string(bytes) + " bytes.");
}

ConnectionObj* connectionOf(const TableObj& table) {
    ConnectionObj* c = findAs<ConnectionObj>(table.connection, Kind::Connection);
    if (!c) fail(AE_INVALID_HANDLE, "The table's connection is closed.");
    return c;
}

void setPosition(TableObj& table, Position p) {
    table.position = std::move(p);
    markMoved(table, nullptr);
    // A static cursor moves among the rows it holds: it has no use for recent rows.
    if (table.isStatic() || table.position.bof || table.position.eof) return;
    auto& recent = table.recent;
    recent.erase(std::remove_if(recent.begin(), recent.end(),
                                [&](const Position& r) {
                                    return r.recordNumber == table.position.recordNumber;
                                }),
                 recent.end());
    if (recent.size() == kRecentRows) recent.erase(recent.begin());
    recent.push_back(table.position);
}

void takeNeighbours(TableObj& table, uint32_t order, Position p, protocol::Neighbours n) {
    setPosition(table, std::move(p));
    table.lastOrder = order;
    if (table.windowUnused && table.idleWindows < UINT8_MAX) ++table.idleWindows;
    table.windowUnused = true;
    if (table.position.bof || table.position.eof) return;
    Window& w = table.window;
    w.rows.clear();
    for (auto it = n.before.rbegin(); it != n.before.rend(); ++it) w.rows.push_back(std::move(*it));
    w.at = w.landing = static_cast<int64_t>(w.rows.size());
    w.rows.push_back(table.position);
    for (Position& r : n.after) w.rows.push_back(std::move(r));
    w.startsAtBof = n.reachedBof;
    w.endsAtEof = n.reachedEof;
    w.order = order;
    w.valid = true;
}

void dropWindow(TableObj& table) { table.window.valid = false; }

namespace {

// Makes window row `at` (or BOF/EOF beyond the ends) current, keeping the window, and
// holds back one move of the server's cursor to it.
void windowMoveTo(TableObj& table, int64_t at) {
    Window& w = table.window;
    Position p = at < 0 ? edgePosition(true, false)
                        : at >= static_cast<int64_t>(w.rows.size()) ? edgePosition(false, true)
                                                                    : w.rows[at];
    setPosition(table, std::move(p));
    w.valid = true;  // setPosition forgets the window; this move stays inside it
    w.at = at;
    if (at != w.landing) {
        table.windowUnused = false;
        table.idleWindows = 0;
    }
    ConnectionObj* c = findAs<ConnectionObj>(table.connection, Kind::Connection);
    if (!c) return;
    auto& pending = c->deferred;
    pending.erase(std::remove_if(pending.begin(), pending.end(),
                                 [&](const Deferred& d) { return d.syncOf == table.info.handle; }),
                  pending.end());
    protocol::Writer args;
    args.u32(w.order);
    protocol::Op op = protocol::Op::GotoBof;
    if (!table.position.bof) {
        op = protocol::Op::GotoRecord;
        args.u32(table.position.eof ? 0 : table.position.recordNumber);
    }
    defer(*c, op, args.take(), protocol::kOpMayFail);
    c->deferred.back().syncOf = table.info.handle;
}

}  // namespace

bool windowSkip(TableObj& table, uint32_t order, int64_t rows) {
    Window& w = table.window;
    if (!w.valid || w.order != order || table.editing || table.appending) return false;
    int64_t target = w.at + rows;
    int64_t size = static_cast<int64_t>(w.rows.size());
    bool inside = target >= 0 && target < size;
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

UNSIGNED32 serverMove(TableObj& table, protocol::Op op, uint32_t serverHandle,
                      std::string extraArgs) {
    ConnectionObj* c = connectionOf(table);
    if (!c) return AE_INVALID_HANDLE;
    protocol::Writer w;
    w.u32(serverHandle);
    w.raw(extraArgs);
    std::string_view body;
    Status st = call(*c, op, w.take(), &body);
    if (!st.ok()) return fail(st);
    protocol::Reader r(body);
    const bool skip = op == protocol::Op::Skip;
    Position p = protocol::decodePosition(r, table.info.recordLength());
    protocol::Neighbours around;  // only a skip reads rows around where it lands
    if (skip) around = protocol::decodeNeighbours(r, table.info.recordLength());
    if (!r.done()) return fail(loseConnection(*c));
    if (skip) {
        takeNeighbours(table, serverHandle, std::move(p), std::move(around));
    } else {
        setPosition(table, std::move(p));
        table.lastOrder = serverHandle;
    }
    return AE_SUCCESS;
}

UNSIGNED32 staticGotoAnyRow(TableObj& table, int64_t ordinal) {
    if (ordinal <= 0) {
        standAt(table, true, table.count == 0, 0, false, nullptr);
        return AE_SUCCESS;
    }
    if (ordinal > table.count) {
        standAt(table, table.count == 0, true, 0, false, nullptr);
        return AE_SUCCESS;
    }
    uint32_t n = static_cast<uint32_t>(ordinal);
    const protocol::RowView* held = table.rows.find(n);
    if (!held) {
        ConnectionObj* c = connectionOf(table);
        if (!c) return AE_INVALID_HANDLE;
        if (table.info.handle == 0) return fail(AE_INTERNAL_ERROR, "Row missing from a whole result.");
        protocol::Writer w;
        w.u32(table.info.handle);
        w.u32(n);
        w.u32(kFetchBatch);
        std::string_view body;
        Status st = call(*c, protocol::Op::FetchRows, w.take(), &body);
        if (!st.ok()) return fail(st);
        protocol::Reader r(table.rows.keep(std::move(c->answer), body));
        std::vector<protocol::RowView> fetched = protocol::decodeRowViews(r, table.info.recordLength());
        if (!r.done()) return fail(loseConnection(*c));
        table.rows.add(n, std::move(fetched));
        held = table.rows.find(n);
        if (!held) {
            // The cursor stays where it was; adding may have moved its row.
            if (table.heldRow) table.heldRow = table.rows.find(table.position.recordNumber);
            return fail(AE_INVALID_RECORD_NUMBER, "Row not available.");
        }
    }
    // The position carries the row's flags; its image and blobs are read where they are held.
    standAt(table, false, false, n, held->visible, held);
    return AE_SUCCESS;
}

std::optional<std::string_view> noCurrentRecord() {
    fail(AE_NO_CURRENT_RECORD, "There is no current record.");
    return std::nullopt;
}

const std::string* blobContent(const TableObj& table, uint16_t column) {
    if (table.editing || table.appending) {
        auto it = table.pendingBlobs.find(column);
        if (it != table.pendingBlobs.end()) return &it->second;
        if (table.appending) return nullptr;
    }
    for (const BlobContent& b : table.rowBlobs()) {
        if (b.column == column) return b.isNull ? nullptr : &b.bytes;
    }
    return nullptr;
}

UNSIGNED32 beginEdit(TableObj& table) {
    if (table.editing || table.appending) return AE_SUCCESS;
    if (table.isStatic()) return fail(AE_STATIC_VIEW, "The cursor is a static result and cannot be updated.");
    const std::optional<std::string_view> image = currentImage(table);
    if (!image) return AE_NO_CURRENT_RECORD;
    table.pending = *image;
    table.editing = true;
    table.editRecord = table.position.recordNumber;
    table.writes.clear();
    table.pendingBlobs.clear();
    return AE_SUCCESS;
}

}  // namespace engine::client
