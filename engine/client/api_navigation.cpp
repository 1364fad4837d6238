// api_navigation.cpp: moving cursors, where they stand, bookmarks, record counts, filters
// and record locks. Static SQL results move among the rows the client holds; tables move
// on the server, and a move back to a row stood on lately is answered at once and
// confirmed by the server with the connection's next request.
#include <cstring>

#include "engine/client/client_cursor.h"
#include "engine/expr/expression.h"
#include "engine/expr/field_source.h"
#include "engine/record/record.h"

using namespace engine;
using namespace engine::client;
using protocol::Op;

namespace {

int64_t staticOrdinal(const TableObj& t) {
    if (t.position.bof) return 0;
    if (t.position.eof) return static_cast<int64_t>(t.count) + 1;
    return t.position.recordNumber;
}

// Moves a table to a record: at once from a recent row (the server confirms later), else
// on the server.
UNSIGNED32 gotoRecord(TableObj& t, uint32_t serverHandle, uint32_t recno) {
    if (t.isStatic()) {
        if (recno > t.count) return fail(AE_INVALID_RECORD_NUMBER, "Invalid record number " + std::to_string(recno) + ".");
        return staticGoto(t, recno == 0 ? int64_t(t.count) + 1 : recno);
    }
    if (windowGoto(t, recno)) return AE_SUCCESS;
    protocol::Writer args;
    args.u32(recno);
    if (t.editing || t.appending) return serverMove(t, Op::GotoRecord, serverHandle, args.take());
    // Record 0 is the end of the table; a recent row is known: both are answered at once.
    const Position* known = nullptr;
    Position end;
    end.eof = true;
    if (recno == 0) known = &end;
    for (const Position& p : t.recent) {
        if (!known && p.recordNumber == recno) known = &p;
    }
    if (known) {
        ConnectionObj* c = connectionOf(t);
        if (!c) return AE_INVALID_HANDLE;
        setPosition(t, *known);
        ADSHANDLE owner = t.connection;
        uint32_t tableId = t.info.handle;
        uint64_t serial = t.moves;
        protocol::Writer w;
        w.u32(serverHandle);
        w.raw(args.data());
        defer(*c, Op::GotoRecord, w.take(), protocol::kOpMayFail,
              [owner, tableId, serial](const protocol::OpResultView& r) {
                  // The table may be closed by now: find it again by its server id.
                  for (ADSHANDLE h : ownedBy(owner)) {
                      TableObj* table = findAs<TableObj>(h, Kind::Table);
                      if (!table || table->info.handle != tableId || table->moves != serial) continue;
                      Position p;
                      p.eof = true;
                      if (r.status == 0) {
                          protocol::Reader rd(r.body);
                          p = protocol::decodePosition(rd, table->info.recordLength());
                          if (!rd.done()) return false;
                      }
                      setPosition(*table, std::move(p));
                  }
                  return true;
              });
        return AE_SUCCESS;
    }
    return serverMove(t, Op::GotoRecord, serverHandle, args.take());
}

// AdsSkip on a table, out of line: a static cursor's skip, within the rows it holds, then
// needs no frame.
[[gnu::noinline]] UNSIGNED32 tableSkip(TableObj& t, uint32_t serverHandle, int32_t rows) {
    if (windowSkip(t, serverHandle, rows)) return AE_SUCCESS;
    protocol::Writer w;
    w.i32(rows);
    t.readAheadMissed();
    w.u16(t.neighbours());
    return serverMove(t, Op::Skip, serverHandle, w.take());
}

template <typename F>
UNSIGNED32 withMover(ADSHANDLE h, F&& body) {
    return guardedQuick(
        [&]() -> UNSIGNED32 {
            TableObj* t = lastFoundAs<TableObj>(h, Kind::Table);
            return t ? body(*t, t->info.handle) : kNotQuick;
        },
        [h, body]() -> UNSIGNED32 {
            uint32_t serverHandle = 0;
            TableObj* t = cursorOf(h, &serverHandle);
            return t ? body(*t, serverHandle) : badHandle(h);
        });
}

// Live tables only: filters, expressions and locks work on the server's table.
UNSIGNED32 refuseStatic() {
    return fail(AE_STATIC_VIEW, "A static SQL result does not support this operation.");
}

std::string filterText(const void* expr, UNSIGNED32 options) {
    if (options & ADS_FILTER_UTF16) {
        std::string text;
        narrowText(static_cast<const WCHAR16*>(expr), &text);
        return text;
    }
    return static_cast<const char*>(expr);
}

UNSIGNED32 setFilterLike(ADSHANDLE hTable, const void* pvExpr, UNSIGNED32 ulOptions, bool aof) {
    return withTable(hTable, [=](TableObj& t) -> UNSIGNED32 {
        if (!pvExpr) return fail(AE_INVALID_ARGUMENT, "No filter expression given.");
        if (t.isStatic()) return refuseStatic();
        ConnectionObj* c = connectionOf(t);
        if (!c) return AE_INVALID_HANDLE;
        std::string text = filterText(pvExpr, ulOptions);
        // Checked here against the columns, so that the caller hears of a bad expression
        // now although the filter itself travels with the next request.
        expr::RowFieldSource columns(&t.info.columns());
        std::string error;
        if (!expr::Expression::compile(text, columns, &error)) {
            return fail(AE_INVALID_ARGUMENT, "Invalid filter expression: " + error);
        }
        protocol::Writer w;
        w.u32(t.info.handle);
        w.bytes(text);
        (aof ? t.hasAof : t.hasFilter) = true;
        (aof ? t.aof : t.filter) = text;
        dropWindow(t);  // the rows read ahead were read under the old filter
        ADSHANDLE h = hTable;
        // Rides with the next request; a refused expression fails that request.
        defer(*c, aof ? Op::SetAof : Op::SetFilter, w.take(), 0,
              [h, aof](const protocol::OpResultView& r) {
                  TableObj* table = findAs<TableObj>(h, Kind::Table);
                  if (table && r.status != 0) (aof ? table->hasAof : table->hasFilter) = false;
                  return true;
              });
        return AE_SUCCESS;
    });
}

UNSIGNED32 clearFilterLike(ADSHANDLE hTable, bool aof) {
    return withTable(hTable, [=](TableObj& t) -> UNSIGNED32 {
        bool& has = aof ? t.hasAof : t.hasFilter;
        if (!has) return AE_SUCCESS;
        ConnectionObj* c = connectionOf(t);
        if (!c) return AE_INVALID_HANDLE;
        has = false;
        dropWindow(t);
        protocol::Writer w;
        w.u32(t.info.handle);
        defer(*c, aof ? Op::ClearAof : Op::ClearFilter, w.take(), protocol::kOpMayFail);
        return AE_SUCCESS;
    });
}

UNSIGNED32 getFilterLike(ADSHANDLE hTable, char* pucFilter, UNSIGNED16* pusLen, bool aof) {
    return withTable(hTable, [=](TableObj& t) -> UNSIGNED32 {
        if (!(aof ? t.hasAof : t.hasFilter)) {
            return fail(AE_NO_FILTER, aof ? "No optimized filter is set." : "No filter is set.");
        }
        const std::string& text = aof ? t.aof : t.filter;
        if (!pucFilter && (!pusLen || *pusLen == 0)) {
            if (pusLen) *pusLen = static_cast<UNSIGNED16>(text.size());
            return fail(AE_FILTER_PRESENT, aof ? "An optimized filter is set." : "A filter is set.");
        }
        return copyText(text, pucFilter, pusLen);
    });
}

UNSIGNED32 lockLike(ADSHANDLE hTable, UNSIGNED32 recno, bool lock) {
    return withTable(hTable, [=](TableObj& t) -> UNSIGNED32 {
        if (t.isStatic()) return refuseStatic();
        ConnectionObj* c = connectionOf(t);
        if (!c) return AE_INVALID_HANDLE;
        protocol::Writer w;
        w.u32(t.info.handle);
        w.u32(recno);
        Status st = call(*c, lock ? Op::LockRecord : Op::UnlockRecord, w.take(), nullptr);
        return st.ok() ? AE_SUCCESS : fail(st);
    });
}

}  // namespace

extern "C" {

ADSAPI AdsGotoTop(ADSHANDLE hObj) {
    return withMover(hObj, [=](TableObj& t, uint32_t sh) {
        return t.isStatic() ? staticGoto(t, 1) : serverMove(t, Op::GotoTop, sh);
    });
}

ADSAPI AdsGotoBOF(ADSHANDLE hObj) {
    return withMover(hObj, [=](TableObj& t, uint32_t sh) {
        return t.isStatic() ? staticGoto(t, 0) : serverMove(t, Op::GotoBof, sh);
    });
}

ADSAPI AdsGotoRecord(ADSHANDLE hObj, UNSIGNED32 ulRecNum) {
    return withMover(hObj, [=](TableObj& t, uint32_t sh) { return gotoRecord(t, sh, ulRecNum); });
}

ADSAPI AdsSkip(ADSHANDLE hObj, SIGNED32 lRecs) {
    return withMover(hObj, [=](TableObj& t, uint32_t sh) -> UNSIGNED32 {
        return t.isStatic() ? staticGoto(t, staticOrdinal(t) + lRecs) : tableSkip(t, sh, lRecs);
    });
}

ADSAPI AdsAtBOF(ADSHANDLE hObj, UNSIGNED16* pbBof) {
    return withTable(hObj, [=](TableObj& t) {
        return put(pbBof, static_cast<UNSIGNED16>(t.position.bof ? 1 : 0));
    });
}

ADSAPI AdsAtEOF(ADSHANDLE hObj, UNSIGNED16* pbEof) {
    return withTable(hObj, [=](TableObj& t) {
        return put(pbEof, static_cast<UNSIGNED16>(t.position.eof ? 1 : 0));
    });
}

ADSAPI AdsIsRecordVisible(ADSHANDLE hObj, UNSIGNED16* pbVisible) {
    return withTable(hObj, [=](TableObj& t) -> UNSIGNED32 {
        if (!t.positioned || t.position.bof || t.position.eof) {
            noCurrentRecord();
            return AE_NO_CURRENT_RECORD;
        }
        return put(pbVisible, static_cast<UNSIGNED16>(t.isStatic() || t.position.visible ? 1 : 0));
    });
}

ADSAPI AdsGetRecordNum(ADSHANDLE hObj, UNSIGNED16 /*usFilterOption*/, UNSIGNED32* pulRecNum) {
    return withTable(hObj, [=](TableObj& t) {
        // A record being appended has no number until it is written.
        uint32_t n = t.appending || t.position.bof || t.position.eof ? 0 : t.position.recordNumber;
        return put(pulRecNum, n);
    });
}

ADSAPI AdsGetRecordCount(ADSHANDLE hObj, UNSIGNED16 usFilterOption, UNSIGNED32* pulCount) {
    return guarded([&]() -> UNSIGNED32 {
        if (auto* s = findAs<StatementObj>(hObj, Kind::Statement)) {
            if (!s->hasRowCount) return fail(AE_NO_ROW_COUNT, "The statement produced no row count.");
            return put(pulCount, s->rowCount);
        }
        uint32_t serverHandle = 0;
        TableObj* t = cursorOf(hObj, &serverHandle);
        if (!t) return badHandle(hObj);
        if (t->isStatic()) return put(pulCount, t->count);
        ConnectionObj* c = connectionOf(*t);
        if (!c) return AE_INVALID_HANDLE;
        protocol::Writer w;
        w.u32(serverHandle);
        w.u16(usFilterOption);
        std::string_view body;
        Status st = call(*c, Op::RecordCount, w.take(), &body);
        if (!st.ok()) return fail(st);
        protocol::Reader r(body);
        uint32_t count = r.u32();
        if (!r.done()) return fail(loseConnection(*c));
        return put(pulCount, count);
    });
}

ADSAPI AdsGetBookmarkLength(ADSHANDLE hObj, UNSIGNED32* pulLength) {
    return withTable(hObj, [=](TableObj& t) { return put(pulLength, t.info.bookmarkLength); });
}

ADSAPI AdsGetBookmark60(ADSHANDLE hObj, UNSIGNED8* pucBookmark, UNSIGNED32* pulLength) {
    return withTable(hObj, [=](TableObj& t) -> UNSIGNED32 {
        if (!pulLength) return nullLengthArgument();
        uint32_t need = std::max<uint32_t>(t.info.bookmarkLength, 4);
        if (!pucBookmark || *pulLength < need) {
            *pulLength = need;
            return bufferNeeds("The bookmark", need);
        }
        uint32_t recno = t.position.bof || t.position.eof ? 0 : t.position.recordNumber;
        std::memcpy(pucBookmark, &recno, 4);  // native order, as the caller reads it back
        if (need > 4) std::memset(pucBookmark + 4, 0, need - 4);
        *pulLength = need;
        return AE_SUCCESS;
    });
}

// A bookmark handle is the record number itself: nothing to allocate or free.
ADSAPI AdsGetBookmark(ADSHANDLE hObj, ADSHANDLE* phBookmark) {
    return withTable(hObj, [=](TableObj& t) {
        return put(phBookmark, t.position.bof || t.position.eof ? 0 : t.position.recordNumber);
    });
}

ADSAPI AdsGotoBookmark(ADSHANDLE hObj, ADSHANDLE hBookmark) {
    return withMover(hObj, [=](TableObj& t, uint32_t sh) { return gotoRecord(t, sh, hBookmark); });
}

ADSAPI AdsGetAOF(ADSHANDLE hTable, char* pucFilter, UNSIGNED16* pusLen) {
    return getFilterLike(hTable, pucFilter, pusLen, true);
}

ADSAPI AdsGetFilter(ADSHANDLE hTable, char* pucFilter, UNSIGNED16* pusLen) {
    return getFilterLike(hTable, pucFilter, pusLen, false);
}

ADSAPI AdsSetAOF100(ADSHANDLE hTable, const void* pvExpr, UNSIGNED32 ulOptions) {
    return setFilterLike(hTable, pvExpr, ulOptions, true);
}

ADSAPI AdsSetFilter100(ADSHANDLE hTable, const void* pvExpr, UNSIGNED32 ulOptions) {
    return setFilterLike(hTable, pvExpr, ulOptions, false);
}

ADSAPI AdsClearAOF(ADSHANDLE hTable) { return clearFilterLike(hTable, true); }
ADSAPI AdsClearFilter(ADSHANDLE hTable) { return clearFilterLike(hTable, false); }

ADSAPI AdsGetExact22(ADSHANDLE hTable, UNSIGNED16* pbExact) {
    return withTable(hTable, [=](TableObj& t) {
        return put(pbExact, static_cast<UNSIGNED16>(t.exact ? 1 : 0));
    });
}

ADSAPI AdsSetExact22(ADSHANDLE hTable, UNSIGNED16 bExact) {
    return withTable(hTable, [=](TableObj& t) -> UNSIGNED32 {
        if (t.exact == (bExact != 0)) return AE_SUCCESS;
        t.exact = bExact != 0;
        if (t.isStatic()) return AE_SUCCESS;
        if (t.hasAof || t.hasFilter) dropWindow(t);
        ConnectionObj* c = connectionOf(t);
        if (!c) return AE_INVALID_HANDLE;
        protocol::Writer w;
        w.u32(t.info.handle);
        w.boolean(t.exact);
        defer(*c, Op::SetExact, w.take(), protocol::kOpMayFail);
        return AE_SUCCESS;
    });
}

ADSAPI AdsEvalLogicalExpr(ADSHANDLE hTable, const char* pucExpr, UNSIGNED16* pbResult) {
    return withMover(hTable, [=](TableObj& t, uint32_t sh) -> UNSIGNED32 {
        if (!pucExpr || !pbResult) return fail(AE_INVALID_ARGUMENT, "Null argument.");
        if (t.isStatic()) return refuseStatic();
        ConnectionObj* c = connectionOf(t);
        if (!c) return AE_INVALID_HANDLE;
        protocol::Writer w;
        w.u32(sh);
        w.bytes(pucExpr);
        std::string_view body;
        Status st = call(*c, Op::EvalExpression, w.take(), &body);
        if (!st.ok()) return fail(st);
        protocol::Reader r(body);
        bool result = r.boolean();
        if (!r.done()) return fail(loseConnection(*c));
        *pbResult = result ? 1 : 0;
        return AE_SUCCESS;
    });
}

ADSAPI AdsLockRecord(ADSHANDLE hTable, UNSIGNED32 ulRecNum) { return lockLike(hTable, ulRecNum, true); }
ADSAPI AdsUnlockRecord(ADSHANDLE hTable, UNSIGNED32 ulRecNum) {
    return lockLike(hTable, ulRecNum, false);
}

}  // extern "C"
