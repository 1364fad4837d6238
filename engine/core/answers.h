// answers.h: the engine core's answer types — what a Session answers, and what the client
// library keeps of it. Plain structures over engine/record alone, so that the protocol and
// the client library use them without the core's classes.
//
// The core's Session answers in these structures and the protocol carries them as they are
// (wire_format.h has one encode/decode pair per structure), so that the client library
// holds descriptions, positions and record images without compiling against the server's
// classes. Text is Windows-1252.
#ifndef BREVANTIS_ENGINE_CORE_ANSWERS_H
#define BREVANTIS_ENGINE_CORE_ANSWERS_H

#include <cstdint>
#include <string>
#include <vector>

#include "engine/record/value.h"

namespace engine {

using Handle = uint32_t;  // made by the server; 0 is never valid

// Who a connection is: what sp_mgGetLockOwner reports about it.
struct ClientIdentity {
    std::string userName;       // workstation / user name (UserName)
    std::string address;        // network address (Address)
    std::string osLogin;        // OS login (OSUserLoginName)
    std::string tsAddress;      // terminal address (TSAddress)
    std::string applicationId;  // application id (ApplicationID)
};

// One index order of a table. The handle belongs to the table handle it came with.
struct IndexInfo {
    Handle handle = 0;
    std::string name;
    uint32_t flags = 0;                 // ADS_INDEX_UNIQUE | DESCENDING | PRIMARY_KEY
    std::vector<std::string> segments;  // column names, in key order
    std::string condition;              // empty: every record is in the index
    uint32_t pageSize = 512;
};

// Everything a client needs to know about an open table or SQL cursor.
struct CursorInfo {
    Handle handle = 0;
    uint16_t handleType = 2;              // ADS_TABLE, or ADS_CURSOR for an SQL result
    std::string name;                     // table name as opened ("#x" for a temporary table)
    uint16_t tableType = 3;               // always ADS_ADT
    uint16_t charType = 1;                // ADS_ANSI
    std::string collation;                // empty: the table has none of its own
    uint32_t openOptions = 0;             // open options | ADS_PERMISSION_* bits granted
    SharedLayout layout = emptyLayout();  // columns with offsets and permissions, shared
    uint32_t bookmarkLength = 4;          // a bookmark is the record number
    std::vector<IndexInfo> indexes;
    bool live = false;  // SQL cursor reflecting its table (AdsSqlPeekStatement)

    const std::vector<ColumnDef>& columns() const { return layout->columns; }
    uint32_t recordLength() const { return layout->recordLength; }
    const std::string& blankRecord() const {
        return layout->blankRecord;
    }  // AdsClearRecordBuffer's
};

// Content of a memo / binary / wide-memo column of the current row.
struct BlobContent {
    uint16_t column = 0;  // column index from 0
    bool isNull = false;
    std::string bytes;     // NMEMO: UTF-16 code units in native order
    bool damaged = false;  // the stored content cannot be read: no bytes, and reading it fails
};

// Where a cursor stands after a positioning call.
// Invariant: when bof or eof, record is empty and recordNumber is 0.
struct Position {
    bool bof = false;
    bool eof = false;
    uint32_t recordNumber = 0;
    bool visible = false;  // passes the AOF and filter (and is not deleted)
    std::string record;    // the record image; blob cells read -1 (content) or 0
    std::vector<BlobContent> blobs;
};

// One column given to writeRecord.
struct ColumnWrite {
    enum class Kind : uint8_t { Bytes, Empty, Null };
    uint16_t column = 0;  // index from 0
    Kind kind = Kind::Bytes;
    std::string bytes;  // as AdsSetField/Raw/W give them; blob columns: the content
};

// A record write: a new record (append) or the record `recordNumber` (0: the current one).
struct WriteRequest {
    bool append = false;
    uint32_t recordNumber = 0;
    std::vector<ColumnWrite> columns;  // modified columns only, each at most once
};

// One bound SQL parameter: by number (from 1) or by name (without the colon).
struct SqlParam {
    uint16_t number = 0;
    std::string name;
    Value value;
};

// The outcome of executeSql.
struct SqlResult {
    bool returnsRows = false;    // the last statement is a query: cursor describes its rows
    CursorInfo cursor;           // handle 0 when no cursor is kept (see executeSql)
    uint32_t recordCount = 0;    // rows of the result
    int64_t rowsAffected = -1;   // rows inserted by a last INSERT
    std::vector<Position> rows;  // the first rows of the result, in order
};

}  // namespace engine

#endif  // BREVANTIS_ENGINE_CORE_ANSWERS_H
