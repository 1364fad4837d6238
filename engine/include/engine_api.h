/*
 * engine_api.h: the C interface of the client engine.
 *
 * This is the whole contract between the data-access layer and the database engine. The
 * engine library (libengine.so) exports every function declared here; the tool resolves
 * them by name at its first engine call, so any library with this interface can take its
 * place.
 *
 * Conventions, stated once for every function below:
 *   - Every function returns UNSIGNED32: 0 (AE_SUCCESS) on success, otherwise an error
 *     code. After a failure AdsGetLastError gives the code and an English text; the last
 *     error is kept per calling thread. A successful call does not clear it.
 *   - Handles (ADSHANDLE) are 32-bit values made by the engine; 0 is never a valid handle.
 *     Whoever obtained a handle releases it (AdsDisconnect, AdsCloseTable,
 *     AdsCloseSQLStatement, AdsFindClose). Index-order handles belong to their table.
 *   - Text is NUL-terminated Windows-1252 (8-bit) unless the function name ends in W, in
 *     which case it is UTF-16 (WCHAR16 code units, native byte order).
 *   - An output buffer goes with a length: on input the size of the buffer (in bytes, or in
 *     characters for W functions, not counting room for a terminating NUL when the buffer
 *     holds text); on output the length written. A buffer that is too small answers
 *     AE_INSUFFICIENT_BUFFER (5005) with the needed length in the length argument.
 *   - A field argument (ADSFIELDID) names a column either by its name (case-insensitive)
 *     or by its 1-based number cast with ADSFIELD(n). For statement handles the same
 *     argument names an SQL parameter: ADSFIELD(n) is the n-th parameter, a name is
 *     ":name" without the colon.
 *   - Boolean answers are UNSIGNED16 0 or 1.
 *   - No function throws; none keeps a pointer passed to it after it returns.
 */
#ifndef BREVANTIS_ENGINE_INCLUDE_ENGINE_API_H
#define BREVANTIS_ENGINE_INCLUDE_ENGINE_API_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint8_t UNSIGNED8;
typedef uint16_t UNSIGNED16;
typedef uint32_t UNSIGNED32;
typedef int16_t SIGNED16;
typedef int32_t SIGNED32;
typedef int64_t SIGNED64;
typedef uint32_t ADSHANDLE;
typedef uint16_t WCHAR16;
typedef const char* ADSFIELDID;

/* A column or parameter given by number: numbers below 65536 are never valid addresses. */
#define ADSFIELD(n) ((ADSFIELDID)(uintptr_t)(n))
#define ADS_IS_FIELD_NUMBER(f) ((uintptr_t)(f) < 65536u)

#if defined(_WIN32)
#define ADS_EXPORT __declspec(dllexport)
#else
#define ADS_EXPORT __attribute__((visibility("default")))
#endif
#define ADSAPI ADS_EXPORT UNSIGNED32

/* ---- Error codes --------------------------------------------------------------------- */
#define AE_SUCCESS 0
#define AE_INTERNAL_ERROR 5000          /* unexpected failure inside the engine */
#define AE_INVALID_ARGUMENT 5002        /* null pointer, bad option value, bad field number */
#define AE_INSUFFICIENT_BUFFER 5005     /* output buffer too small; length gives the need */
#define AE_INVALID_HANDLE 5018          /* unknown handle, or a handle of the wrong type */
#define AE_INVALID_RECORD_NUMBER 5022   /* no record with that number */
#define AE_CONNECTION_LOST 5024         /* the connection is gone (server stopped, closed) */
#define AE_NO_COLLATION 5025            /* the table has no collation of its own */
#define AE_RECORD_LOCKED 5035           /* another connection holds the record lock */
#define AE_TABLE_LOCKED 5036            /* another connection holds the table exclusively */
#define AE_NO_FILTER 5037               /* no AOF / filter is set */
#define AE_NO_SCOPE 5038                /* no scope is set on the order */
#define AE_FILE_NOT_FOUND 5041          /* a data source or table file does not exist */
#define AE_PERMISSION_DENIED 5054       /* rights do not allow the operation */
#define AE_NO_TABLE 5059                /* table enumeration: no (more) table */
#define AE_STATIC_VIEW 5064             /* the cursor cannot be updated */
#define AE_NO_CURRENT_RECORD 5068       /* the cursor is at BOF/EOF or before any move */
#define AE_NO_PENDING_UPDATE 5085       /* nothing to cancel */
#define AE_LOGIN_FAILED 5091            /* unknown user or wrong password */
#define AE_SERVER_TYPE_REFUSED 5093     /* no server of an allowed ServerType */
#define AE_INVALID_STATEMENT 5106       /* statement handle invalid */
#define AE_NO_ROW_COUNT 5117            /* the statement produced no row count */
#define AE_LAYER_ERROR 5121             /* reserved for the data-access layer's own errors */
#define AE_TABLE_NOT_IN_DICTIONARY 5132 /* name is not a table of the dictionary */
#define AE_PROPERTY_NOT_SET 5138        /* dictionary property has no value (no default index) */
#define AE_COLUMN_NOT_FOUND 5147        /* text names the column as: column "NAME" */
#define AE_COLUMN_TYPE_MISMATCH 5148    /* text names the column as: column "NAME" */
#define AE_COLUMN_VALUE_INVALID 5149    /* text names the column as: column "NAME" */
#define AE_RECORD_CHANGED 5186          /* record changed by another connection */
#define AE_FILTER_PRESENT 5211          /* AOF / filter getters: one is set (no buffer given) */
#define AE_UNIQUE_VIOLATION 5216        /* a unique index already holds the key */
#define AE_TABLE_OUTSIDE_SOURCE                               \
    5300 /* table outside the connection's folder, or another \
            dictionary's table */
#define AE_READ_ONLY_STORAGE                                       \
    5301 /* the table's files cannot be written (read-only folder, \
            file or file system) */
#define AE_TOO_MANY_CURSORS                                        \
    5302 /* the connection holds as many tables and cursors as the \
            server allows */
#define AE_RESULTS_TOO_LARGE                                                                  \
    5303                             /* the connection's kept results would pass the server's \
                                        limit; close some */
#define AE_SERVER_NOT_AVAILABLE 6060 /* no server answers at the configured address */
#define AE_SERVER_NOT_TRUSTED                                                               \
    6061                             /* the server at the address runs as another user: the \
                                        password is not sent */
#define AE_SERVER_BUSY 6062          /* the server takes no more connections */
#define AE_PROTOCOL_ERROR 6097       /* malformed message on the wire */
#define AE_SQL_ERROR 7200            /* SQL failed; text carries "NativeError = N;" */
#define AE_SQL_STATEMENT_CLOSED 7209 /* statement unusable; caller closes it */

/* ---- Table types, character types, locking, rights ----------------------------------- */
#define ADS_NTX 1
#define ADS_CDX 2
#define ADS_ADT 3
#define ADS_VFP 4

#define ADS_ANSI 1
#define ADS_OEM 2

#define ADS_COMPATIBLE_LOCKING 0
#define ADS_PROPRIETARY_LOCKING 1

#define ADS_CHECKRIGHTS 1
#define ADS_IGNORERIGHTS 2

/* AdsOpenTable90 options; AdsGetTableOpenOptions also reports the permission bits. */
#define ADS_EXCLUSIVE 0x00000001u
#define ADS_READONLY 0x00000002u
#define ADS_PERMISSION_UPDATE 0x00000020u /* reported: the user may update rows */
#define ADS_PERMISSION_INSERT 0x00000040u /* reported: the user may insert rows */
#define ADS_PERMISSION_DELETE 0x00000080u /* reported: the user may delete rows */
#define ADS_REINDEX_ON_COLLATION_MISMATCH 0x00000100u
#define ADS_IGNORE_COLLATION_MISMATCH 0x00000200u
#define ADS_CACHE_READS 0x20000000u
#define ADS_CACHE_WRITES 0x40000000u

/* Column permissions (AdsGetColumnPermissions). */
#define ADS_COLUMN_READ 0x01
#define ADS_COLUMN_UPDATE 0x02
#define ADS_COLUMN_INSERT 0x04

/* Record counts and record numbers. */
#define ADS_RESPECTFILTERS 1
#define ADS_IGNOREFILTERS 2
#define ADS_RESPECTSCOPES 3
#define ADS_REFRESHCOUNT 4 /* added to one of the three above */

/* Handle types (AdsGetHandleType). */
#define ADS_CONNECTION 1
#define ADS_TABLE 2
#define ADS_INDEX_ORDER 3
#define ADS_STATEMENT 4
#define ADS_CURSOR 5

/* Column types (AdsGetFieldType). */
#define ADS_LOGICAL 1
#define ADS_NUMERIC 2
#define ADS_DATE 3
#define ADS_STRING 4
#define ADS_MEMO 5
#define ADS_BINARY 6
#define ADS_IMAGE 7
#define ADS_VARCHAR 8
#define ADS_COMPACTDATE 9
#define ADS_DOUBLE 10
#define ADS_INTEGER 11
#define ADS_SHORTINT 12
#define ADS_TIME 13
#define ADS_TIMESTAMP 14
#define ADS_AUTOINC 15
#define ADS_RAW 16
#define ADS_CURDOUBLE 17
#define ADS_MONEY 18
#define ADS_RESERVED1 19
#define ADS_CISTRING 20
#define ADS_ROWVERSION 21
#define ADS_MODTIME 22
#define ADS_VARCHAR_FOX 23
#define ADS_VARBINARY_FOX 24
#define ADS_SYSTEM_FIELD 25
#define ADS_NCHAR 26
#define ADS_NVARCHAR 27
#define ADS_NMEMO 28

/* Index flags (AdsGetIndexFlags). */
#define ADS_INDEX_UNIQUE 0x0001u
#define ADS_INDEX_DESCENDING 0x0008u
#define ADS_INDEX_CUSTOM 0x0010u
#define ADS_INDEX_PRIMARY_KEY 0x0020u

/* Scopes, keys and seeks. */
#define ADS_TOP 1
#define ADS_BOTTOM 2
#define ADS_RAWKEY 1
#define ADS_SOFTSEEK 1
#define ADS_HARDSEEK 2
#define ADS_RAWKEY_FULL 1         /* AdsBuildRawKey100: pad every segment to its width */
#define ADS_RAWKEY_PARTIAL_WIDE 4 /* AdsBuildRawKey100: partial key ending in a wide segment */

/* AdsGetField / AdsGetFieldW options: blanks removed from the value read. */
#define ADS_NONE 0
#define ADS_LTRIM 1
#define ADS_RTRIM 2
#define ADS_TRIM 3

/* Filters: the expression is UTF-16; an AOF is resolved at once. */
#define ADS_FILTER_UTF16 0x2000u
#define ADS_AOF_RESOLVE_NOW 0x0002u

/* Dictionary table properties (AdsDDGetTableProperty). */
#define ADS_DD_TABLE_DEFAULT_INDEX 213

/* ---- Connections and table enumeration ----------------------------------------------- */
/* Opens a connection from a connection string of "Key=Value;" parts: Data Source (a
 * dictionary file NAME.add or a folder of free tables), User ID, Password (may be enclosed
 * in double quotes), FIPS, ServerType (LOCAL, REMOTE, INTERNET joined by '|'). pOptions is
 * reserved and must be null. */
ADSAPI AdsConnect101(const char* pucConnectString, void* pOptions, ADSHANDLE* phConnect);
ADSAPI AdsDisconnect(ADSHANDLE hConnect);
/* Enumerates tables: a dictionary connection ignores the mask and lists its tables; a
 * free-table connection lists the .adt files matching the mask. Names come without
 * extension. AE_NO_TABLE (5059) ends the enumeration. */
ADSAPI AdsFindFirstTable(ADSHANDLE hConnect, const char* pucMask, char* pucName, UNSIGNED16* pusLen,
                         ADSHANDLE* phFind);
ADSAPI AdsFindNextTable(ADSHANDLE hConnect, ADSHANDLE hFind, char* pucName, UNSIGNED16* pusLen);
ADSAPI AdsFindClose(ADSHANDLE hConnect, ADSHANDLE hFind);
ADSAPI AdsDDGetTableProperty(ADSHANDLE hConnect, const char* pucTableName, UNSIGNED16 usProperty,
                             void* pvBuffer, UNSIGNED16* pusLen);

/* ---- Errors --------------------------------------------------------------------------- */
ADSAPI AdsGetLastError(UNSIGNED32* pulErrCode, char* pucBuf, UNSIGNED16* pusBufLen);
ADSAPI AdsSetLastError(UNSIGNED32 ulErrCode, const char* pucDetails);
/* Shows the last error; the stand-in writes "title: code text" to stderr. */
ADSAPI AdsShowError(const char* pucTitle);

/* ---- Tables, cursors and their columns ------------------------------------------------ */
ADSAPI AdsOpenTable90(ADSHANDLE hConnect, const char* pucName, const char* pucAlias,
                      UNSIGNED16 usTableType, UNSIGNED16 usCharType, UNSIGNED16 usLockType,
                      UNSIGNED16 usCheckRights, UNSIGNED32 ulOptions, const char* pucCollation,
                      ADSHANDLE* phTable);
/* Closes a table or an SQL cursor; releases the connection's record locks on that table
 * when it was the connection's last handle on it. */
ADSAPI AdsCloseTable(ADSHANDLE hTable);
ADSAPI AdsGetHandleType(ADSHANDLE hObj, UNSIGNED16* pusType);
ADSAPI AdsGetTableType(ADSHANDLE hTable, UNSIGNED16* pusType);
ADSAPI AdsGetTableCharType(ADSHANDLE hTable, UNSIGNED16* pusCharType);
ADSAPI AdsGetTableCollation(ADSHANDLE hTable, char* pucCollation, UNSIGNED16* pusLen);
ADSAPI AdsGetTableOpenOptions(ADSHANDLE hTable, UNSIGNED32* pulOptions);
ADSAPI AdsGetRecordLength(ADSHANDLE hTable, UNSIGNED32* pulLength);
ADSAPI AdsGetNumFields(ADSHANDLE hTable, UNSIGNED16* pusCount);
ADSAPI AdsGetFieldName(ADSHANDLE hTable, UNSIGNED16 usFld, char* pucName, UNSIGNED16* pusLen);
ADSAPI AdsGetFieldType(ADSHANDLE hTable, ADSFIELDID pucFld, UNSIGNED16* pusType);
ADSAPI AdsGetFieldLength(ADSHANDLE hTable, ADSFIELDID pucFld, UNSIGNED32* pulLength);
ADSAPI AdsGetFieldDecimals(ADSHANDLE hTable, ADSFIELDID pucFld, UNSIGNED16* pusDecimals);
ADSAPI AdsGetFieldOffset(ADSHANDLE hTable, ADSFIELDID pucFld, UNSIGNED32* pulOffset);
ADSAPI AdsIsNullable(ADSHANDLE hTable, ADSFIELDID pucFld, UNSIGNED16* pbNullable);
ADSAPI AdsGetColumnPermissions(ADSHANDLE hTable, UNSIGNED16 usFld, UNSIGNED8* pucPermissions);
/* Asks the engine to prefetch that many records per read (0 = no read-ahead). */
ADSAPI AdsCacheRecords(ADSHANDLE hTable, UNSIGNED16 usRecords);

/* ---- Navigation ----------------------------------------------------------------------- */
ADSAPI AdsGotoTop(ADSHANDLE hObj);
/* Positions before the first row: AdsAtBOF answers true, AdsSkip(1) reads the first row. */
ADSAPI AdsGotoBOF(ADSHANDLE hObj);
ADSAPI AdsGotoRecord(ADSHANDLE hObj, UNSIGNED32 ulRecNum);
ADSAPI AdsSkip(ADSHANDLE hObj, SIGNED32 lRecs);
ADSAPI AdsAtBOF(ADSHANDLE hObj, UNSIGNED16* pbBof);
ADSAPI AdsAtEOF(ADSHANDLE hObj, UNSIGNED16* pbEof);
ADSAPI AdsIsRecordVisible(ADSHANDLE hObj, UNSIGNED16* pbVisible);
ADSAPI AdsGetRecordNum(ADSHANDLE hObj, UNSIGNED16 usFilterOption, UNSIGNED32* pulRecNum);
ADSAPI AdsGetRecordCount(ADSHANDLE hObj, UNSIGNED16 usFilterOption, UNSIGNED32* pulCount);
/* Bookmarks: a bookmark's first four bytes are the record number. */
ADSAPI AdsGetBookmarkLength(ADSHANDLE hObj, UNSIGNED32* pulLength);
ADSAPI AdsGetBookmark60(ADSHANDLE hObj, UNSIGNED8* pucBookmark, UNSIGNED32* pulLength);
ADSAPI AdsGetBookmark(ADSHANDLE hObj, ADSHANDLE* phBookmark);
ADSAPI AdsGotoBookmark(ADSHANDLE hObj, ADSHANDLE hBookmark);

/* ---- Reading the current record ------------------------------------------------------- */
/* The record image: AdsGetRecordLength bytes, each column at its AdsGetFieldOffset. */
ADSAPI AdsGetRecord(ADSHANDLE hObj, UNSIGNED8* pucRec, UNSIGNED32* pulLength);
ADSAPI AdsGetField(ADSHANDLE hObj, ADSFIELDID pucFld, UNSIGNED8* pucBuf, UNSIGNED32* pulLen,
                   UNSIGNED16 usOption);
ADSAPI AdsGetFieldW(ADSHANDLE hObj, ADSFIELDID pucFld, WCHAR16* pwcBuf, UNSIGNED32* pulLen,
                    UNSIGNED16 usOption);
ADSAPI AdsIsEmpty(ADSHANDLE hObj, ADSFIELDID pucFld, UNSIGNED16* pbEmpty);
ADSAPI AdsIsNull(ADSHANDLE hObj, ADSFIELDID pucFld, UNSIGNED16* pbNull);
ADSAPI AdsGetRecordCRC(ADSHANDLE hObj, UNSIGNED32* pulCRC, UNSIGNED32 ulOptions);
/* VFP tables only: option 1 reads the row's null flag of the column, 2 sets it. */
ADSAPI AdsAccessVfpSystemField(ADSHANDLE hObj, ADSFIELDID pucFld, UNSIGNED8* pucBuf,
                               UNSIGNED32* pulLen, UNSIGNED16 usOption);
ADSAPI AdsConvertStringToJulian(const char* pucDate, UNSIGNED16 usLen, double* pdJulian);
ADSAPI AdsConvertJulianToString(double dJulian, char* pucDate, UNSIGNED16* pusLen);

/* ---- Editing -------------------------------------------------------------------------- */
/* Fills the buffer with the table's blank record image. */
ADSAPI AdsClearRecordBuffer(ADSHANDLE hTable, UNSIGNED8* pucBuf, UNSIGNED32 ulLen);
/* Starts a new record after the last one; its column values follow until AdsWriteRecord. */
ADSAPI AdsAppendRecord(ADSHANDLE hTable);
ADSAPI AdsSetField(ADSHANDLE hObj, ADSFIELDID pucFld, const UNSIGNED8* pucBuf, UNSIGNED32 ulLen);
ADSAPI AdsSetFieldRaw(ADSHANDLE hObj, ADSFIELDID pucFld, const UNSIGNED8* pucBuf, UNSIGNED32 ulLen);
ADSAPI AdsSetFieldW(ADSHANDLE hObj, ADSFIELDID pucFld, const WCHAR16* pwcBuf, UNSIGNED32 ulLen);
ADSAPI AdsSetEmpty(ADSHANDLE hObj, ADSFIELDID pucFld);
ADSAPI AdsSetNull(ADSHANDLE hObj, ADSFIELDID pucFld);
ADSAPI AdsWriteRecord(ADSHANDLE hTable);
ADSAPI AdsCancelUpdate(ADSHANDLE hTable);
ADSAPI AdsLockRecord(ADSHANDLE hTable, UNSIGNED32 ulRecNum);
ADSAPI AdsUnlockRecord(ADSHANDLE hTable, UNSIGNED32 ulRecNum);

/* Typed setters: used for SQL parameters (statement handles) and for table columns. */
ADSAPI AdsSetString(ADSHANDLE hObj, ADSFIELDID pucFld, const char* pucBuf, UNSIGNED32 ulLen);
ADSAPI AdsSetStringW(ADSHANDLE hObj, ADSFIELDID pucFld, const WCHAR16* pwcBuf, UNSIGNED32 ulLen);
ADSAPI AdsSetLogical(ADSHANDLE hObj, ADSFIELDID pucFld, UNSIGNED16 bValue);
ADSAPI AdsSetDouble(ADSHANDLE hObj, ADSFIELDID pucFld, double dValue);
ADSAPI AdsSetJulian(ADSHANDLE hObj, ADSFIELDID pucFld, SIGNED32 lJulian);
ADSAPI AdsSetMilliseconds(ADSHANDLE hObj, ADSFIELDID pucFld, SIGNED32 lMilliseconds);
ADSAPI AdsSetTimeStampRaw(ADSHANDLE hObj, ADSFIELDID pucFld, const UNSIGNED8* pucBuf,
                          UNSIGNED32 ulLen);
ADSAPI AdsSetBinary(ADSHANDLE hObj, ADSFIELDID pucFld, UNSIGNED16 usBinaryType,
                    UNSIGNED32 ulTotalLength, UNSIGNED32 ulOffset, const UNSIGNED8* pucBuf,
                    UNSIGNED32 ulLen);

/* ---- Indexes -------------------------------------------------------------------------- */
ADSAPI AdsGetNumIndexes(ADSHANDLE hTable, UNSIGNED16* pusCount);
/* Fills up to *pusCount index handles; AE_INSUFFICIENT_BUFFER when the table has more
 * (the handles that fit are written and *pusCount gives the total). */
ADSAPI AdsGetAllIndexes(ADSHANDLE hTable, ADSHANDLE* pahIndex, UNSIGNED16* pusCount);
ADSAPI AdsGetIndexHandle(ADSHANDLE hTable, const char* pucIndexName, ADSHANDLE* phIndex);
ADSAPI AdsGetIndexName(ADSHANDLE hIndex, char* pucName, UNSIGNED16* pusLen);
ADSAPI AdsGetIndexCondition(ADSHANDLE hIndex, char* pucCondition, UNSIGNED16* pusLen);
ADSAPI AdsGetIndexFlags(ADSHANDLE hIndex, UNSIGNED32* pulFlags);
ADSAPI AdsGetIndexPageSize(ADSHANDLE hIndex, UNSIGNED32* pulPageSize);
ADSAPI AdsGetNumSegments(ADSHANDLE hIndex, UNSIGNED16* pusSegments);
/* Segment numbers run from 1. */
ADSAPI AdsGetSegmentFieldname(ADSHANDLE hIndex, UNSIGNED16 usSegment, char* pucName,
                              UNSIGNED16* pusLen);
ADSAPI AdsIsIndexDescending(ADSHANDLE hIndex, UNSIGNED16* pbDescending);
ADSAPI AdsIsIndexUnique(ADSHANDLE hIndex, UNSIGNED16* pbUnique);
ADSAPI AdsIsIndexPrimaryKey(ADSHANDLE hIndex, UNSIGNED16* pbPrimary);
ADSAPI AdsIsIndexCustom(ADSHANDLE hIndex, UNSIGNED16* pbCustom);
ADSAPI AdsGetScope(ADSHANDLE hIndex, UNSIGNED16 usScopeOption, UNSIGNED8* pucScope,
                   UNSIGNED16* pusLen);
/* Raw keys: AdsInitRawKey starts a key, AdsSetField/AdsSetFieldW/AdsSetFieldRaw on the index
 * handle set its segments, AdsBuildRawKey(100) writes the key bytes, AdsSeek looks it up. */
ADSAPI AdsInitRawKey(ADSHANDLE hIndex);
ADSAPI AdsBuildRawKey(ADSHANDLE hIndex, UNSIGNED8* pucKey, UNSIGNED16* pusKeyLen);
ADSAPI AdsBuildRawKey100(ADSHANDLE hIndex, UNSIGNED8* pucKey, UNSIGNED16* pusKeyLen,
                         UNSIGNED32 ulOptions);
ADSAPI AdsSeek(ADSHANDLE hIndex, const UNSIGNED8* pucKey, UNSIGNED16 usKeyLen,
               UNSIGNED16 usDataType, UNSIGNED16 usSeekType, UNSIGNED16* pbFound);

/* ---- Filters and expressions ---------------------------------------------------------- */
/* Getters with a null buffer and length 0 answer AE_NO_FILTER when none is set and
 * AE_FILTER_PRESENT when one is. */
ADSAPI AdsGetAOF(ADSHANDLE hTable, char* pucFilter, UNSIGNED16* pusLen);
ADSAPI AdsGetFilter(ADSHANDLE hTable, char* pucFilter, UNSIGNED16* pusLen);
/* pvExpr is UTF-16 when ulOptions carries ADS_FILTER_UTF16, else 8-bit text. */
ADSAPI AdsSetAOF100(ADSHANDLE hTable, const void* pvExpr, UNSIGNED32 ulOptions);
ADSAPI AdsSetFilter100(ADSHANDLE hTable, const void* pvExpr, UNSIGNED32 ulOptions);
ADSAPI AdsClearAOF(ADSHANDLE hTable);
ADSAPI AdsClearFilter(ADSHANDLE hTable);
ADSAPI AdsEvalLogicalExpr(ADSHANDLE hTable, const char* pucExpr, UNSIGNED16* pbResult);
/* The exact-match setting: with it on, "=" on strings compares whole values; off, the
 * right-hand string need only be a prefix of the left-hand one. Per table handle. */
ADSAPI AdsGetExact22(ADSHANDLE hTable, UNSIGNED16* pbExact);
ADSAPI AdsSetExact22(ADSHANDLE hTable, UNSIGNED16 bExact);

/* ---- SQL ------------------------------------------------------------------------------ */
/* Looks at an SQL text before it is prepared; may rewrite it in place (the stand-in leaves
 * it as it is). ulLen is the buffer size. */
ADSAPI AdsGetSQLStmtParams(char* pucSQL, UNSIGNED32 ulLen);
ADSAPI AdsCreateSQLStatement(ADSHANDLE hConnect, ADSHANDLE* phStmt);
ADSAPI AdsCloseSQLStatement(ADSHANDLE hStmt);
ADSAPI AdsSetSQLTimeout(ADSHANDLE hStmt, UNSIGNED32 ulTimeoutSeconds);
ADSAPI AdsStmtSetTableLockType(ADSHANDLE hStmt, UNSIGNED16 usLockType);
ADSAPI AdsStmtSetTableCollation(ADSHANDLE hStmt, const char* pucCollation);
ADSAPI AdsStmtSetTableRights(ADSHANDLE hStmt, UNSIGNED16 usCheckRights);
ADSAPI AdsStmtSetTableReadOnly(ADSHANDLE hStmt, UNSIGNED16 usReadOnly); /* 1 read-only, 2 live */
ADSAPI AdsStmtSetTableType(ADSHANDLE hStmt, UNSIGNED16 usTableType);
ADSAPI AdsStmtConstrainUpdates(ADSHANDLE hStmt, UNSIGNED16 usConstrain); /* 1 on, 2 off */
ADSAPI AdsStmtReadAllColumns(ADSHANDLE hStmt, UNSIGNED16 usReadAll);     /* 1 on, 2 off */
ADSAPI AdsPrepareSQLW(ADSHANDLE hStmt, const WCHAR16* pwcSQL);
/* Executes the prepared text (several statements separated by ';' run in order); *phCursor
 * receives the last statement's cursor, or 0 when it returns no rows. */
ADSAPI AdsExecuteSQL(ADSHANDLE hStmt, ADSHANDLE* phCursor);
/* Whether a cursor is live (updatable, reflecting its table) rather than a static result. */
ADSAPI AdsSqlPeekStatement(ADSHANDLE hCursor, UNSIGNED16* pbLive);

#ifdef __cplusplus
}
#endif

#endif /* BREVANTIS_ENGINE_INCLUDE_ENGINE_API_H */
