// api_navigation.cpp: moving cursors, where they stand, bookmarks, record counts, filters
// and record locks. Static SQL results move among the rows the client holds; tables move
// on the server, and a move back to a row stood on lately is answered at once and
// confirmed by the server with the connection's next request.
#include <algorithm>
#include <cstring>

#include "engine/client/client_cursor.h"
#include "engine/expr/expression.h"
#include "engine/include/engine_client.h"
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

// Moves a table to a record: at once from the rows read ahead or a recent row (the server
// confirms later), else on the server.
UNSIGNED32 gotoRecord(TableObj& t, uint32_t order, uint32_t recno) REQUIRES(gApiMutex) {
    if (t.isStatic()) {
        if (recno > t.count)
            return fail(AE_INVALID_RECORD_NUMBER,
                        "Invalid record number " + std::to_string(recno) + ".");
        return staticGoto(t, recno == 0 ? int64_t(t.count) + 1 : recno);
    }
    if (windowGoto(t, recno)) return AE_SUCCESS;
    const protocol::RecordArgs args{order, recno};
    if (t.editing || t.appending) return serverMove<Op::GotoRecord>(t, args);
    // Record 0 is the end of the table; a recent row is known: both are answered at once.
    auto recent = std::find_if(t.recent.begin(), t.recent.end(),
                               [&](const Position& p) { return p.recordNumber == recno; });
    if (recno != 0 && recent == t.recent.end()) return serverMove<Op::GotoRecord>(t, args);
    ConnectionObj* c = connectionOf(t);
    if (!c) return AE_INVALID_HANDLE;
    Position known;
    known.eof = true;
    if (recno != 0) known = *recent;
    setPosition(t, std::move(known));
    const ADSHANDLE owner = t.connection;
    const uint32_t tableId = t.info.handle;
    const uint64_t serial = t.moves;
    defer<Op::GotoRecord>(
        *c, args, protocol::kOpMayFail,
        [owner, tableId, serial](const protocol::OpResult& r) REQUIRES(gApiMutex) {
            // The table may be closed by now: find it again by its server id.
            for (ADSHANDLE h : ownedBy(owner)) {
                TableObj* table = findAs<TableObj>(h, Kind::Table);
                if (!table || table->info.handle != tableId || table->moves != serial) continue;
                Position p;
                p.eof = true;
                protocol::AnswerContext context{nullptr, table->info.recordLength()};
                if (r.status == 0 &&
                    !protocol::decodeAnswerBody<Op::GotoRecord>(r.body, &p, context)) {
                    return false;
                }
                setPosition(*table, std::move(p));
            }
            return true;
        });
    return AE_SUCCESS;
}

UNSIGNED32 tableSkip(TableObj& t, uint32_t order, int32_t rows) REQUIRES(gApiMutex) {
    if (windowSkip(t, order, rows)) return AE_SUCCESS;
    ConnectionObj* c = connectionOf(t);
    if (!c) return AE_INVALID_HANDLE;
    t.idleWindows = 0;  // the rows around the landing row are wanted again
    protocol::Moved moved;
    Status st =
        call<Op::Skip>(*c, {order, rows, neighboursWanted(t)}, &moved, t.info.recordLength());
    if (!st.ok()) return fail(st);
    takeMoved(t, order, std::move(moved));
    return AE_SUCCESS;
}

// Live tables only: filters, expressions and locks work on the server's table.
UNSIGNED32 refuseStatic() {
    return fail(AE_STATIC_VIEW, "A static SQL result does not support this operation.");
}

std::string filterText(const void* expr, UNSIGNED32 options) {
    if (options & ADS_FILTER_UTF16) return narrowText(static_cast<const WCHAR16*>(expr));
    return static_cast<const char*>(expr);
}

UNSIGNED32 setFilterLike(ADSHANDLE hTable, const void* pvExpr, UNSIGNED32 ulOptions, bool aof) {
    return withTable(hTable, [=](TableObj& t) REQUIRES(gApiMutex) -> UNSIGNED32 {
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
        (aof ? t.hasAof : t.hasFilter) = true;
        (aof ? t.aof : t.filter) = text;
        t.window.valid = false;  // the rows read ahead were read under the old filter
        // Rides with the next request; a refused expression fails that request.
        const protocol::ExpressionArgs args{t.info.handle, std::move(text)};
        auto forget = [hTable, aof](const protocol::OpResult& r) REQUIRES(gApiMutex) {
            TableObj* table = findAs<TableObj>(hTable, Kind::Table);
            if (table && r.status != 0) (aof ? table->hasAof : table->hasFilter) = false;
            return true;
        };
        if (aof)
            defer<Op::SetAof>(*c, args, 0, forget);
        else
            defer<Op::SetFilter>(*c, args, 0, forget);
        return AE_SUCCESS;
    });
}

UNSIGNED32 clearFilterLike(ADSHANDLE hTable, bool aof) {
    return withTable(hTable, [=](TableObj& t) REQUIRES(gApiMutex) -> UNSIGNED32 {
        bool& has = aof ? t.hasAof : t.hasFilter;
        if (!has) return AE_SUCCESS;
        ConnectionObj* c = connectionOf(t);
        if (!c) return AE_INVALID_HANDLE;
        has = false;
        t.window.valid = false;
        if (aof)
            defer<Op::ClearAof>(*c, {t.info.handle}, protocol::kOpMayFail);
        else
            defer<Op::ClearFilter>(*c, {t.info.handle}, protocol::kOpMayFail);
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
            return fail(AE_FILTER_PRESENT,
                        aof ? "An optimized filter is set." : "A filter is set.");
        }
        return copyText(text, pucFilter, pusLen);
    });
}

UNSIGNED32 lockLike(ADSHANDLE hTable, UNSIGNED32 recno, bool lock) {
    return withTable(hTable, [=](TableObj& t) REQUIRES(gApiMutex) -> UNSIGNED32 {
        if (t.isStatic()) return refuseStatic();
        ConnectionObj* c = connectionOf(t);
        if (!c) return AE_INVALID_HANDLE;
        const protocol::RecordArgs args{t.info.handle, recno};
        Status st = lock ? call<Op::LockRecord>(*c, args, nullptr)
                         : call<Op::UnlockRecord>(*c, args, nullptr);
        return st.ok() ? AE_SUCCESS : fail(st);
    });
}


// AdsSkip's move: among the rows held for a static result, else the table's skip.
UNSIGNED32 skip(TableObj& t, uint32_t order, int32_t rows) REQUIRES(gApiMutex) {
    return t.isStatic() ? staticGoto(t, staticOrdinal(t) + rows) : tableSkip(t, order, rows);
}

// AdsGetBookmark60's answer: the record number (0 off the rows), in native order as the
// caller reads it back, padded with zeros to the bookmark's length.
UNSIGNED32 copyBookmark(const TableObj& t, UNSIGNED8* bookmark, UNSIGNED32* length) {
    if (!length) return nullLength();
    const uint32_t need = std::max<uint32_t>(t.info.bookmarkLength, 4);
    if (!bookmark || *length < need) {
        *length = need;
        return fail(AE_INSUFFICIENT_BUFFER, "The bookmark needs " + std::to_string(need) + " bytes.");
    }
    const uint32_t recno = t.position.bof || t.position.eof ? 0 : t.position.recordNumber;
    std::memcpy(bookmark, &recno, 4);
    if (need > 4) std::memset(bookmark + 4, 0, need - 4);
    *length = need;
    return AE_SUCCESS;
}
}  // namespace

extern "C" {

ADSAPI AdsGotoTop(ADSHANDLE hObj) {
    return withMover(hObj, [=](TableObj& t, uint32_t order) REQUIRES(gApiMutex) {
        return t.isStatic() ? staticGoto(t, 1) : serverMove<Op::GotoTop>(t, {order});
    });
}

ADSAPI AdsGotoBOF(ADSHANDLE hObj) {
    return withMover(hObj, [=](TableObj& t, uint32_t order) REQUIRES(gApiMutex) {
        return t.isStatic() ? staticGoto(t, 0) : serverMove<Op::GotoBof>(t, {order});
    });
}

ADSAPI AdsGotoRecord(ADSHANDLE hObj, UNSIGNED32 ulRecNum) {
    return withMover(hObj, [=](TableObj& t, uint32_t order)
                               REQUIRES(gApiMutex) { return gotoRecord(t, order, ulRecNum); });
}

ADSAPI AdsSkip(ADSHANDLE hObj, SIGNED32 lRecs) {
    return withMover(hObj, [=](TableObj& t, uint32_t order)
                               REQUIRES(gApiMutex) { return skip(t, order, lRecs); });
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
            return fail(AE_NO_CURRENT_RECORD, "There is no current record.");
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
    return guarded([&]() REQUIRES(gApiMutex) -> UNSIGNED32 {
        if (auto* s = findAs<StatementObj>(hObj, Kind::Statement)) {
            if (!s->hasRowCount)
                return fail(AE_NO_ROW_COUNT, "The statement produced no row count.");
            return put(pulCount, s->rowCount);
        }
        uint32_t serverHandle = 0;
        TableObj* t = cursorOf(hObj, &serverHandle);
        if (!t) return badHandle(hObj);
        if (t->isStatic()) return put(pulCount, t->count);
        ConnectionObj* c = connectionOf(*t);
        if (!c) return AE_INVALID_HANDLE;
        protocol::Count count;
        Status st = call<Op::RecordCount>(*c, {serverHandle, usFilterOption}, &count);
        return st.ok() ? put(pulCount, count.count) : fail(st);
    });
}

ADSAPI AdsGetBookmarkLength(ADSHANDLE hObj, UNSIGNED32* pulLength) {
    return withTable(hObj, [=](TableObj& t) { return put(pulLength, t.info.bookmarkLength); });
}

ADSAPI AdsGetBookmark60(ADSHANDLE hObj, UNSIGNED8* pucBookmark, UNSIGNED32* pulLength) {
    return withTable(hObj, [=](TableObj& t) { return copyBookmark(t, pucBookmark, pulLength); });
}

ADSAPI EngineReadRow(ADSHANDLE hObj, SIGNED32 lRecs, UNSIGNED16* pusWhere, UNSIGNED8* pucRecord,
                     UNSIGNED32* pulRecordLen, UNSIGNED8* pucBookmark,
                     UNSIGNED32* pulBookmarkLen) {
    return withMover(hObj, [=](TableObj& t, uint32_t order) REQUIRES(gApiMutex) -> UNSIGNED32 {
        if (!pusWhere) return nullArgument();
        if (lRecs != 0) {
            const UNSIGNED32 rc = skip(t, order, lRecs);
            if (rc != AE_SUCCESS) return rc;
        }
        UNSIGNED16 where = 0;
        if (t.position.eof) where |= ENGINE_ROW_EOF;
        if (t.position.bof) where |= ENGINE_ROW_BOF;
        if (where == 0 && !(t.positioned && (t.isStatic() || t.position.visible)))
            where |= ENGINE_ROW_HIDDEN;
        *pusWhere = where;
        if (where != 0) return AE_SUCCESS;
        const UNSIGNED32 rc = copyRecord(t, pucRecord, pulRecordLen);
        return rc != AE_SUCCESS ? rc : copyBookmark(t, pucBookmark, pulBookmarkLen);
    });
}

// A bookmark handle is the record number itself: nothing to allocate or free.
ADSAPI AdsGetBookmark(ADSHANDLE hObj, ADSHANDLE* phBookmark) {
    return withTable(hObj, [=](TableObj& t) {
        return put(phBookmark, t.position.bof || t.position.eof ? 0 : t.position.recordNumber);
    });
}

ADSAPI AdsGotoBookmark(ADSHANDLE hObj, ADSHANDLE hBookmark) {
    return withMover(hObj, [=](TableObj& t, uint32_t order)
                               REQUIRES(gApiMutex) { return gotoRecord(t, order, hBookmark); });
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

ADSAPI AdsClearAOF(ADSHANDLE hTable) {
    return clearFilterLike(hTable, true);
}
ADSAPI AdsClearFilter(ADSHANDLE hTable) {
    return clearFilterLike(hTable, false);
}

ADSAPI AdsGetExact22(ADSHANDLE hTable, UNSIGNED16* pbExact) {
    return withTable(hTable, [=](TableObj& t) {
        return put(pbExact, static_cast<UNSIGNED16>(t.exact ? 1 : 0));
    });
}

ADSAPI AdsSetExact22(ADSHANDLE hTable, UNSIGNED16 bExact) {
    return withTable(hTable, [=](TableObj& t) REQUIRES(gApiMutex) -> UNSIGNED32 {
        if (t.exact == (bExact != 0)) return AE_SUCCESS;
        t.exact = bExact != 0;
        if (t.isStatic()) return AE_SUCCESS;
        if (t.hasAof || t.hasFilter) t.window.valid = false;
        ConnectionObj* c = connectionOf(t);
        if (!c) return AE_INVALID_HANDLE;
        defer<Op::SetExact>(*c, {t.info.handle, t.exact}, protocol::kOpMayFail);
        return AE_SUCCESS;
    });
}

ADSAPI AdsEvalLogicalExpr(ADSHANDLE hTable, const char* pucExpr, UNSIGNED16* pbResult) {
    return withMover(hTable, [=](TableObj& t, uint32_t order) REQUIRES(gApiMutex) -> UNSIGNED32 {
        if (!pucExpr || !pbResult) return nullArgument();
        if (t.isStatic()) return refuseStatic();
        ConnectionObj* c = connectionOf(t);
        if (!c) return AE_INVALID_HANDLE;
        protocol::Truth result;
        Status st = call<Op::EvalExpression>(*c, {order, pucExpr}, &result);
        if (!st.ok()) return fail(st);
        *pbResult = result.value ? 1 : 0;
        return AE_SUCCESS;
    });
}

ADSAPI AdsLockRecord(ADSHANDLE hTable, UNSIGNED32 ulRecNum) {
    return lockLike(hTable, ulRecNum, true);
}
ADSAPI AdsUnlockRecord(ADSHANDLE hTable, UNSIGNED32 ulRecNum) {
    return lockLike(hTable, ulRecNum, false);
}

}  // extern "C"
