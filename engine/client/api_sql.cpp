// api_sql.cpp: SQL statements. A statement lives in the client only; executing it sends
// its text and parameters in one request, whose answer brings the result's description,
// its row count and its first rows — a small result needs no further round trip.
#include "engine/client/client_cursor.h"

using namespace engine;
using namespace engine::client;
using protocol::Op;

namespace {

// Rows that come with the execution's answer; the rest are fetched when read.
constexpr uint32_t kPrefetchRows = 2048;

template <typename F>
UNSIGNED32 withStatement(ADSHANDLE h, F&& body) {
    return guarded([&]() REQUIRES(gApiMutex) -> UNSIGNED32 {
        StatementObj* s = findAs<StatementObj>(h, Kind::Statement);
        return s ? body(*s)
                 : fail(AE_INVALID_STATEMENT,
                        "Invalid statement handle " + std::to_string(h) + ".");
    });
}

// The statement options are the client's business: every result is a static cursor.
UNSIGNED32 checkOption(ADSHANDLE h, UNSIGNED16 value, UNSIGNED16 low, UNSIGNED16 high) {
    return withStatement(h, [=](StatementObj&) -> UNSIGNED32 {
        if (value >= low && value <= high) return AE_SUCCESS;
        return fail(AE_INVALID_ARGUMENT,
                    "Statement option value " + std::to_string(value) + " is out of range.");
    });
}

}  // namespace

extern "C" {

ADSAPI AdsGetSQLStmtParams(char* pucSQL, UNSIGNED32 /*ulLen*/) {
    // The text is sent as it stands; nothing to rewrite, no connection needed.
    return pucSQL ? AE_SUCCESS : fail(AE_INVALID_ARGUMENT, "No SQL text given.");
}

ADSAPI AdsCreateSQLStatement(ADSHANDLE hConnect, ADSHANDLE* phStmt) {
    return guarded([&]() REQUIRES(gApiMutex) -> UNSIGNED32 {
        if (!findAs<ConnectionObj>(hConnect, Kind::Connection)) return badHandle(hConnect);
        if (!phStmt) return nullArgument();
        auto s = std::make_unique<StatementObj>();
        s->connection = hConnect;
        *phStmt = addObject(std::move(s));
        return AE_SUCCESS;
    });
}

ADSAPI AdsCloseSQLStatement(ADSHANDLE hStmt) {
    // Its cursors stay open: they belong to the connection and close on their own.
    return withStatement(hStmt, [=](StatementObj&) REQUIRES(gApiMutex) -> UNSIGNED32 {
        removeObject(hStmt);
        return AE_SUCCESS;
    });
}

ADSAPI AdsSetSQLTimeout(ADSHANDLE hStmt, UNSIGNED32 ulTimeoutSeconds) {
    return withStatement(hStmt, [=](StatementObj& s) -> UNSIGNED32 {
        s.timeoutSeconds = ulTimeoutSeconds;
        return AE_SUCCESS;
    });
}

ADSAPI AdsStmtSetTableLockType(ADSHANDLE hStmt, UNSIGNED16 usLockType) {
    return checkOption(hStmt, usLockType, ADS_COMPATIBLE_LOCKING, ADS_PROPRIETARY_LOCKING);
}

ADSAPI AdsStmtSetTableCollation(ADSHANDLE hStmt, const char* /*pucCollation*/) {
    return withStatement(hStmt, [](StatementObj&) -> UNSIGNED32 { return AE_SUCCESS; });
}

ADSAPI AdsStmtSetTableRights(ADSHANDLE hStmt, UNSIGNED16 usCheckRights) {
    return checkOption(hStmt, usCheckRights, ADS_CHECKRIGHTS, ADS_IGNORERIGHTS);
}

ADSAPI AdsStmtSetTableReadOnly(ADSHANDLE hStmt, UNSIGNED16 usReadOnly) {
    return checkOption(hStmt, usReadOnly, 1, 2);
}

ADSAPI AdsStmtSetTableType(ADSHANDLE hStmt, UNSIGNED16 usTableType) {
    return checkOption(hStmt, usTableType, ADS_NTX, ADS_VFP);
}

ADSAPI AdsStmtConstrainUpdates(ADSHANDLE hStmt, UNSIGNED16 usConstrain) {
    return checkOption(hStmt, usConstrain, 1, 2);
}

ADSAPI AdsStmtReadAllColumns(ADSHANDLE hStmt, UNSIGNED16 usReadAll) {
    return checkOption(hStmt, usReadAll, 1, 2);
}

ADSAPI AdsPrepareSQLW(ADSHANDLE hStmt, const WCHAR16* pwcSQL) {
    return withStatement(hStmt, [=](StatementObj& s) -> UNSIGNED32 {
        if (!pwcSQL) return fail(AE_INVALID_ARGUMENT, "No SQL text given.");
        s.request.text = narrowText(pwcSQL);
        s.prepared = true;
        return AE_SUCCESS;
    });
}

ADSAPI AdsExecuteSQL(ADSHANDLE hStmt, ADSHANDLE* phCursor) {
    return withStatement(hStmt, [=](StatementObj& s) REQUIRES(gApiMutex) -> UNSIGNED32 {
        if (!phCursor) return nullArgument();
        *phCursor = 0;
        if (!s.prepared) return fail(AE_INVALID_ARGUMENT, "No SQL text has been prepared.");
        ConnectionObj* c = findAs<ConnectionObj>(s.connection, Kind::Connection);
        if (!c)
            return fail(AE_SQL_STATEMENT_CLOSED, "The statement's connection is closed (7209).");
        s.hasRowCount = false;
        s.request.prefetchRows = kPrefetchRows;
        const int timeoutMs =
            s.timeoutSeconds
                ? static_cast<int>(std::min<uint32_t>(s.timeoutSeconds, 86400) + 5) * 1000
                : 0;
        SqlResult result;
        Status st = call<Op::ExecuteSql>(*c, s.request, &result, 0, timeoutMs);
        if (!st.ok()) return fail(st);
        if (!result.returnsRows) {
            s.hasRowCount = result.rowsAffected >= 0;
            s.rowCount = static_cast<uint32_t>(std::max<int64_t>(result.rowsAffected, 0));
            return AE_SUCCESS;
        }
        s.hasRowCount = true;
        s.rowCount = result.recordCount;
        ADSHANDLE h = addCursor(s.connection, std::move(result.cursor));
        TableObj* t = cursorOf(h);
        t->count = result.recordCount;
        keepRows(*t, 1, std::move(result.rows));
        staticGoto(*t, 0);  // a fresh result stands before its first row
        *phCursor = h;
        return AE_SUCCESS;
    });
}

}  // extern "C"
