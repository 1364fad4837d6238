// api_table.cpp: opening and closing tables and cursors, and everything the client answers
// from their descriptions — columns, record length, options, indexes.
#include <cstring>

#include "engine/client/client_cursor.h"
#include "engine/record/record_text.h"

using namespace engine;
using namespace engine::client;
using protocol::Op;

extern "C" {

ADSAPI AdsOpenTable90(ADSHANDLE hConnect, const char* pucName, const char* /*pucAlias*/,
                      UNSIGNED16 usTableType, UNSIGNED16 usCharType, UNSIGNED16 usLockType,
                      UNSIGNED16 usCheckRights, UNSIGNED32 ulOptions, const char* pucCollation,
                      ADSHANDLE* phTable) {
    return guarded([&]() REQUIRES(gApiMutex) -> UNSIGNED32 {
        ConnectionObj* c = findAs<ConnectionObj>(hConnect, Kind::Connection);
        if (!c) return badHandle(hConnect);
        if (!pucName || !phTable) return nullArgument();
        *phTable = 0;
        protocol::OpenedTable opened;
        Status st =
            call<Op::OpenTable>(*c,
                                {pucName, usTableType, usCharType, usLockType, usCheckRights,
                                 ulOptions, pucCollation ? pucCollation : ""},
                                &opened);
        if (!st.ok()) return fail(st);
        ADSHANDLE h = addCursor(hConnect, std::move(opened.cursor));
        setPosition(*cursorOf(h), std::move(opened.position));
        *phTable = h;
        return AE_SUCCESS;
    });
}

ADSAPI AdsCloseTable(ADSHANDLE hTable) {
    return guarded([&]() REQUIRES(gApiMutex) -> UNSIGNED32 {
        TableObj* t = findAs<TableObj>(hTable, Kind::Table);
        if (!t) return badHandle(hTable);
        const uint32_t serverHandle = t->info.handle;
        const bool isStatic = t->isStatic();
        ConnectionObj* c = findAs<ConnectionObj>(t->connection, Kind::Connection);
        removeObject(hTable);
        if (serverHandle == 0) return AE_SUCCESS;  // a result sent whole: no server cursor
        if (!c || c->lost) return AE_SUCCESS;
        if (isStatic) {
            // A static result holds no lock: its close rides with the next request.
            defer<Op::CloseCursor>(*c, {serverHandle}, protocol::kOpMayFail);
            return AE_SUCCESS;
        }
        // A table may hold record locks, which must be gone when this returns.
        Status st = call<Op::CloseCursor>(*c, {serverHandle}, nullptr);
        return st.ok() ? AE_SUCCESS : fail(st);
    });
}

ADSAPI AdsGetHandleType(ADSHANDLE hObj, UNSIGNED16* pusType) {
    return guarded([&]() REQUIRES(gApiMutex) -> UNSIGNED32 {
        Object* o = findObject(hObj);
        if (!o || o->kind == Kind::Find) return badHandle(hObj);
        UNSIGNED16 type = ADS_CONNECTION;
        if (o->kind == Kind::Table) type = static_cast<TableObj*>(o)->info.handleType;
        if (o->kind == Kind::Index) type = ADS_INDEX_ORDER;
        if (o->kind == Kind::Statement) type = ADS_STATEMENT;
        return put(pusType, type);
    });
}

ADSAPI AdsGetTableType(ADSHANDLE hTable, UNSIGNED16* pusType) {
    return withTable(hTable, [=](TableObj& t) { return put(pusType, t.info.tableType); });
}

ADSAPI AdsGetTableCharType(ADSHANDLE hTable, UNSIGNED16* pusCharType) {
    return withTable(hTable, [=](TableObj& t) { return put(pusCharType, t.info.charType); });
}

ADSAPI AdsGetTableCollation(ADSHANDLE hTable, char* pucCollation, UNSIGNED16* pusLen) {
    return withTable(hTable, [=](TableObj& t) -> UNSIGNED32 {
        if (t.info.collation.empty()) {
            if (pusLen) *pusLen = 0;
            if (pucCollation) *pucCollation = '\0';
            return fail(AE_NO_COLLATION, "The table has no collation of its own.");
        }
        return copyText(t.info.collation, pucCollation, pusLen);
    });
}

ADSAPI AdsGetTableOpenOptions(ADSHANDLE hTable, UNSIGNED32* pulOptions) {
    return withTable(hTable, [=](TableObj& t) { return put(pulOptions, t.info.openOptions); });
}

ADSAPI AdsGetRecordLength(ADSHANDLE hTable, UNSIGNED32* pulLength) {
    return withTable(hTable, [=](TableObj& t) { return put(pulLength, t.info.recordLength()); });
}

ADSAPI EngineGetLayoutId(ADSHANDLE hTable, UNSIGNED32* pulLayout) {
    return withTable(hTable,
                     [=](TableObj& t) REQUIRES(gApiMutex) { return put(pulLayout, layoutId(t.info.layout)); });
}

ADSAPI AdsGetNumFields(ADSHANDLE hTable, UNSIGNED16* pusCount) {
    return withTable(hTable, [=](TableObj& t) {
        return put(pusCount, static_cast<UNSIGNED16>(t.info.columns().size()));
    });
}

ADSAPI AdsGetFieldName(ADSHANDLE hTable, UNSIGNED16 usFld, char* pucName, UNSIGNED16* pusLen) {
    return withColumn(hTable, ADSFIELD(usFld), [=](TableObj&, const ColumnDef& c) {
        return copyText(c.name, pucName, pusLen);
    });
}

ADSAPI AdsGetFieldType(ADSHANDLE hTable, ADSFIELDID pucFld, UNSIGNED16* pusType) {
    return withColumn(hTable, pucFld, [=](TableObj&, const ColumnDef& c) {
        return put(pusType, static_cast<UNSIGNED16>(c.type));
    });
}

ADSAPI AdsGetFieldLength(ADSHANDLE hTable, ADSFIELDID pucFld, UNSIGNED32* pulLength) {
    return withColumn(hTable, pucFld, [=](TableObj&, const ColumnDef& c) {
        // Wide columns are described in bytes: two per character.
        bool wide = c.type == ColumnType::NChar || c.type == ColumnType::NVarchar;
        return put(pulLength, wide ? c.length * 2 : c.length);
    });
}

ADSAPI AdsGetFieldDecimals(ADSHANDLE hTable, ADSFIELDID pucFld, UNSIGNED16* pusDecimals) {
    return withColumn(hTable, pucFld,
                      [=](TableObj&, const ColumnDef& c) { return put(pusDecimals, c.decimals); });
}

ADSAPI AdsGetFieldOffset(ADSHANDLE hTable, ADSFIELDID pucFld, UNSIGNED32* pulOffset) {
    return withColumn(hTable, pucFld,
                      [=](TableObj&, const ColumnDef& c) { return put(pulOffset, c.offset); });
}

ADSAPI AdsIsNullable(ADSHANDLE hTable, ADSFIELDID pucFld, UNSIGNED16* pbNullable) {
    return withColumn(hTable, pucFld, [=](TableObj&, const ColumnDef& c) {
        return put(pbNullable, static_cast<UNSIGNED16>(c.nullable ? 1 : 0));
    });
}

ADSAPI AdsGetColumnPermissions(ADSHANDLE hTable, UNSIGNED16 usFld, UNSIGNED8* pucPermissions) {
    return withColumn(hTable, ADSFIELD(usFld), [=](TableObj&, const ColumnDef& c) {
        return put(pucPermissions, c.permissions);
    });
}

ADSAPI AdsCacheRecords(ADSHANDLE hTable, UNSIGNED16 usRecords) {
    return withTable(hTable, [=](TableObj& t) -> UNSIGNED32 {
        t.cacheRecords = usRecords;  // rows read on each side of a skip or a write
        return AE_SUCCESS;
    });
}

ADSAPI AdsSqlPeekStatement(ADSHANDLE hCursor, UNSIGNED16* pbLive) {
    return withTable(hCursor, [=](TableObj& t) {
        return put(pbLive, static_cast<UNSIGNED16>(t.info.live ? 1 : 0));
    });
}

ADSAPI AdsClearRecordBuffer(ADSHANDLE hTable, UNSIGNED8* pucBuf, UNSIGNED32 ulLen) {
    return withTable(hTable, [=](TableObj& t) -> UNSIGNED32 {
        if (!pucBuf) return fail(AE_INVALID_ARGUMENT, "Null record buffer.");
        if (ulLen < t.info.blankRecord().size()) {
            return fail(AE_INSUFFICIENT_BUFFER, "The record buffer is shorter than the record.");
        }
        std::memcpy(pucBuf, t.info.blankRecord().data(), t.info.blankRecord().size());
        return AE_SUCCESS;
    });
}

// ---- Indexes ---------------------------------------------------------------------------

ADSAPI AdsGetNumIndexes(ADSHANDLE hTable, UNSIGNED16* pusCount) {
    return withTable(hTable, [=](TableObj& t) {
        return put(pusCount, static_cast<UNSIGNED16>(t.indexes.size()));
    });
}

ADSAPI AdsGetAllIndexes(ADSHANDLE hTable, ADSHANDLE* pahIndex, UNSIGNED16* pusCount) {
    return withTable(hTable, [=](TableObj& t) -> UNSIGNED32 {
        if (!pusCount) return fail(AE_INVALID_ARGUMENT, "Null count argument.");
        size_t room = pahIndex ? *pusCount : 0;
        for (size_t i = 0; i < t.indexes.size() && i < room; ++i) pahIndex[i] = t.indexes[i];
        *pusCount = static_cast<UNSIGNED16>(t.indexes.size());
        if (t.indexes.size() > room) {
            return fail(AE_INSUFFICIENT_BUFFER,
                        "The table has " + std::to_string(t.indexes.size()) + " indexes.");
        }
        return AE_SUCCESS;
    });
}

ADSAPI AdsGetIndexHandle(ADSHANDLE hTable, const char* pucIndexName, ADSHANDLE* phIndex) {
    return withTable(hTable, [=](TableObj& t) -> UNSIGNED32 {
        if (!pucIndexName || !phIndex) return fail(AE_INVALID_ARGUMENT, "Null argument.");
        for (size_t i = 0; i < t.info.indexes.size(); ++i) {
            if (record::equalsNoCase(t.info.indexes[i].name, pucIndexName)) {
                *phIndex = t.indexes[i];
                return AE_SUCCESS;
            }
        }
        return fail(AE_INVALID_ARGUMENT, std::string("The index \"") + pucIndexName +
                                             "\" does not exist on this table.");
    });
}

ADSAPI AdsGetIndexName(ADSHANDLE hIndex, char* pucName, UNSIGNED16* pusLen) {
    return withIndex(
        hIndex, [&](IndexObj& x, TableObj&) { return copyText(x.info.name, pucName, pusLen); });
}

ADSAPI AdsGetIndexCondition(ADSHANDLE hIndex, char* pucCondition, UNSIGNED16* pusLen) {
    return withIndex(hIndex, [&](IndexObj& x, TableObj&) {
        return copyText(x.info.condition, pucCondition, pusLen);
    });
}

ADSAPI AdsGetIndexFlags(ADSHANDLE hIndex, UNSIGNED32* pulFlags) {
    return withIndex(hIndex, [&](IndexObj& x, TableObj&) { return put(pulFlags, x.info.flags); });
}

ADSAPI AdsGetIndexPageSize(ADSHANDLE hIndex, UNSIGNED32* pulPageSize) {
    return withIndex(hIndex,
                     [&](IndexObj& x, TableObj&) { return put(pulPageSize, x.info.pageSize); });
}

ADSAPI AdsGetNumSegments(ADSHANDLE hIndex, UNSIGNED16* pusSegments) {
    return withIndex(hIndex, [&](IndexObj& x, TableObj&) {
        return put(pusSegments, static_cast<UNSIGNED16>(x.info.segments.size()));
    });
}

ADSAPI AdsGetSegmentFieldname(ADSHANDLE hIndex, UNSIGNED16 usSegment, char* pucName,
                              UNSIGNED16* pusLen) {
    return withIndex(hIndex, [&](IndexObj& x, TableObj&) -> UNSIGNED32 {
        if (usSegment == 0 || usSegment > x.info.segments.size()) {
            return fail(AE_INVALID_ARGUMENT,
                        "Segment " + std::to_string(usSegment) + " is out of range.");
        }
        return copyText(x.info.segments[usSegment - 1], pucName, pusLen);
    });
}

static UNSIGNED32 indexFlag(ADSHANDLE hIndex, uint32_t flag, UNSIGNED16* pb) {
    return withIndex(hIndex, [&](IndexObj& x, TableObj&) {
        return put(pb, static_cast<UNSIGNED16>((x.info.flags & flag) ? 1 : 0));
    });
}

ADSAPI AdsIsIndexDescending(ADSHANDLE hIndex, UNSIGNED16* pb) {
    return indexFlag(hIndex, ADS_INDEX_DESCENDING, pb);
}
ADSAPI AdsIsIndexUnique(ADSHANDLE hIndex, UNSIGNED16* pb) {
    return indexFlag(hIndex, ADS_INDEX_UNIQUE, pb);
}
ADSAPI AdsIsIndexPrimaryKey(ADSHANDLE hIndex, UNSIGNED16* pb) {
    return indexFlag(hIndex, ADS_INDEX_PRIMARY_KEY, pb);
}
ADSAPI AdsIsIndexCustom(ADSHANDLE hIndex, UNSIGNED16* pb) {
    return indexFlag(hIndex, ADS_INDEX_CUSTOM, pb);
}

ADSAPI AdsGetScope(ADSHANDLE hIndex, UNSIGNED16 /*usScopeOption*/, UNSIGNED8* /*pucScope*/,
                   UNSIGNED16* /*pusLen*/) {
    // No call sets a scope, so every order answers that none is set.
    return withIndex(hIndex, [&](IndexObj&, TableObj&) {
        return fail(AE_NO_SCOPE, "No scope is set on this index order.");
    });
}

}  // extern "C"
