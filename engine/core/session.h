// session.h: the engine core's server-side API — one Server, one Session per connection.
//
// The dispatcher of enginesrv (and the in-process transport of the tests) turns every
// client request into one call here. Calls return rich results so that the client library
// can answer most C calls from what it already holds: opening gives the whole description
// of a table or cursor, and every positioning call gives the new position with the record
// image. Every call is independent, cheap to chain, and returns a Status (AE_* code and
// English text); none throws. Text is Windows-1252.
//
// Threads: a Server serves any number of Sessions from any threads; one Session is used by
// one thread at a time (its connection's handler).
#ifndef BREVANTIS_ENGINE_CORE_SESSION_H
#define BREVANTIS_ENGINE_CORE_SESSION_H

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/answers.h"
#include "engine/record/status.h"
#include "engine/record/value.h"

namespace engine {

class Session;
struct ServerState;

// Owns the shared state: dictionaries and table files in use, record locks, connections.
class Server {
  public:
    struct Options {
        bool allowLocal = true;                // accept ServerType lists naming LOCAL
        bool allowRemote = true;               // accept ServerType lists naming REMOTE
        bool syncWrites = false;               // fdatasync after each write (power-loss durability)
        uint32_t maxCursors = 1000;            // tables and cursors one connection holds open
        uint64_t maxResultBytes = 256u << 20;  // memory one connection's kept results take
    };
    Server();
    explicit Server(Options options);
    ~Server();  // REQUIRES: every Session of this server has been destroyed
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Opens a connection from a connection string ("Data Source=...;User ID=...;
    // Password="...";FIPS=False;ServerType=REMOTE;"). Answers AE_FILE_NOT_FOUND (5041)
    // for a data source that does not exist, AE_LOGIN_FAILED (5091) for an unknown user
    // or a wrong password, AE_SERVER_TYPE_REFUSED (5093) when no allowed server type is
    // named, AE_INVALID_ARGUMENT (5002) for a malformed string.
    Status connect(std::string_view connectionString, const ClientIdentity& identity,
                   std::unique_ptr<Session>* out);

  private:
    friend class Session;
    std::shared_ptr<ServerState> state_;
};

// One connection. Destroying it disconnects: its handles close, its record locks are
// released and its temporary tables vanish.
class Session {
  public:
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    uint32_t connectionNumber() const;
    bool isDictionary() const;
    // Replaces the application id reported for this connection.
    void setApplicationId(std::string applicationId);

    // ---- Catalog -------------------------------------------------------------------------
    // All table names at once: a dictionary's tables (mask ignored), or the .adt files of
    // the free-table folder matching `mask` (a '*'/'?' pattern on the file name; a path in
    // front of it is ignored). Names without extension, in the dictionary's order or
    // sorted. An empty list is a success.
    Status listTables(std::string_view mask, std::vector<std::string>* names);

    // Dictionary table property. Only ADS_DD_TABLE_DEFAULT_INDEX (213) is known: the
    // default index name, or AE_PROPERTY_NOT_SET (5138) when the table has none.
    // AE_TABLE_NOT_IN_DICTIONARY (5132) for an unknown table.
    Status tableProperty(std::string_view table, uint16_t property, std::string* value);

    // ---- Tables and cursors --------------------------------------------------------------
    // Opens a table: a '#name' temporary table of this connection, a table of the
    // dictionary, or a table file (a path, with or without ".adt"; relative paths from the
    // data source's folder). On a dictionary connection a bare name that the dictionary
    // does not hold answers AE_TABLE_NOT_IN_DICTIONARY (5132); a missing file
    // AE_FILE_NOT_FOUND (5041); a table held exclusively elsewhere (or opened exclusively
    // while open elsewhere) AE_TABLE_LOCKED (5036). The position is at the top.
    Status openTable(std::string_view name, uint16_t tableType, uint16_t charType,
                     uint16_t lockType, uint16_t checkRights, uint32_t options,
                     std::string_view collation, CursorInfo* out);

    // Closes a table or cursor handle and its index handles. Closing the connection's last
    // handle on a table file releases the connection's record locks on it.
    Status close(Handle handle);

    // ---- Navigation: `handle` is a table, cursor or index handle ------------------------
    // A table or cursor handle moves in record-number order, an index handle in its key
    // order; both share the table handle's position, AOF, filter and exact setting.
    Status gotoTop(Handle handle, Position* out);
    Status gotoBottom(Handle handle, Position* out);
    Status gotoBof(Handle handle, Position* out);  // before the first row
    // Record `recno`, visible or not. AE_INVALID_RECORD_NUMBER (5022) past the end; 0 goes
    // to EOF.
    Status gotoRecord(Handle handle, uint32_t recno, Position* out);
    // Moves n visible rows (negative: backwards); stops at BOF/EOF.
    Status skip(Handle handle, int32_t n, Position* out);
    // Re-reads the current row (it may have been changed by another connection).
    Status current(Handle handle, Position* out);
    // Up to `count` skips of `step`, the position after each one; stops after the first
    // BOF or EOF. For reading rows in batches.
    Status fetch(Handle handle, int32_t step, uint32_t count, std::vector<Position>* out);
    // ADS_RESPECTFILTERS (1), ADS_IGNOREFILTERS (2) or ADS_RESPECTSCOPES (3), optionally
    // + ADS_REFRESHCOUNT (4). Ignoring filters counts every record slot.
    Status recordCount(Handle handle, uint16_t option, uint32_t* count);

    // Seeks `key` (built with raw_key.h, possibly partial) in an index. Soft seek
    // (ADS_SOFTSEEK) stops at the first key not below it, hard seek (ADS_HARDSEEK) at EOF
    // when not found. *found tells whether the key's bytes matched.
    Status seek(Handle index, std::string_view key, uint16_t seekType, bool* found, Position* out);

    // ---- Filters and expressions (on a table or cursor handle) ---------------------------
    // AOF and filter: expression text of the filter language; AE_SQL_ERROR-free: a bad
    // expression answers AE_INVALID_ARGUMENT (5002) with the reason. Setting leaves the
    // position where it is (the caller moves). Getters answer AE_NO_FILTER (5037) when none.
    Status setAof(Handle handle, std::string_view expression);
    Status clearAof(Handle handle);
    Status aof(Handle handle, std::string* expression);
    Status setFilter(Handle handle, std::string_view expression);
    Status clearFilter(Handle handle);
    Status filter(Handle handle, std::string* expression);
    Status setExact(Handle handle, bool exact);
    Status exact(Handle handle, bool* exact);
    // Evaluates a logical expression on the current row (AE_NO_CURRENT_RECORD at BOF/EOF).
    Status evalLogical(Handle handle, std::string_view expression, bool* result);

    // ---- Editing (table handles; SQL cursors are static: AE_STATIC_VIEW) ---------------
    // Writes the given columns into a new record (append) or an existing one, in one step:
    // AUTOINC columns of a new record take the next number; a column without the needed
    // permission answers AE_PERMISSION_DENIED (5054); a record locked by another
    // connection AE_RECORD_LOCKED (5035); a read-only open 5054. On success the table
    // handle is on the written record and *out tells where.
    Status writeRecord(Handle handle, const WriteRequest& request, Position* out);

    // ---- Record locks --------------------------------------------------------------------
    // Locks record `recno` (0: the current one) of the handle's table file for this
    // connection. Another connection's lock answers AE_RECORD_LOCKED (5035); locking a
    // record this connection holds already succeeds.
    Status lockRecord(Handle handle, uint32_t recno);
    Status unlockRecord(Handle handle, uint32_t recno);

    // ---- SQL -------------------------------------------------------------------------------
    // Runs `text` (one or more statements) with the bound parameters. The description,
    // count and first `prefetchRows` rows of the last statement's rows, if any, are
    // returned. When they are not all returned, the rows become a static cursor standing
    // before its first row; when they are, no cursor is kept (cursor.handle is 0).
    Status executeSql(std::string_view text, const std::vector<SqlParam>& params,
                      uint32_t prefetchRows, SqlResult* out);

    // Tells the session how to learn that its client has gone: a long statement then stops
    // instead of working for nobody. `gone` is called from the session's thread.
    void watchClient(std::function<bool()> gone);

    // ---- Offline creation (demo builder, tests) --------------------------------------
    // Sets or clears (empty name) a dictionary table's default index (property 213).
    Status setDefaultIndex(std::string_view table, std::string_view index);

    struct Impl;  // the core's own state of a session (session_impl.h)

  private:
    friend class Server;
    explicit Session(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Creates an empty dictionary file `path` (NAME.add) with its administrator user "adssys"
// whose password is `adminPassword`. AE_INVALID_ARGUMENT when the file already exists.
Status createDictionary(const std::string& path, const std::string& adminPassword);

// Adds a user to a dictionary (its password stored as an Argon2id hash).
Status addDictionaryUser(const std::string& dictionaryPath, const std::string& user,
                         const std::string& password, bool administrator);

}  // namespace engine

#endif  // BREVANTIS_ENGINE_CORE_SESSION_H
