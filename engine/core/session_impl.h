// session_impl.h: the server's shared state and a session's own state (internal to the core).
#ifndef BREVANTIS_ENGINE_CORE_SESSION_IMPL_H
#define BREVANTIS_ENGINE_CORE_SESSION_IMPL_H

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "engine/base/thread_annotations.h"
#include "engine/core/cursor.h"
#include "engine/core/dictionary.h"
#include "engine/core/locks.h"
#include "engine/core/session.h"
#include "engine/core/sql/catalog.h"
#include "engine/core/sql/executor.h"
#include "engine/core/table.h"

namespace engine {

// Who is connected, as the management procedures report it.
struct ConnectionEntry {
    ClientIdentity identity;
    std::string dictionaryUser;
};

// Which connections have a stored table open, and whether one holds it exclusively.
struct FileUse {
    std::map<uint32_t, int> handles;  // connection -> open handles
    uint32_t exclusiveOwner = 0;
};

// Everything sessions share. `mu` guards the registry of connections, dictionaries, tables
// and their use, and the dictionaries' contents; it is held for short steps only, never
// while a table's mutex is taken (a table's mutex may be held when `mu` is taken), so that
// no statement on a table can make a registry step wait. The record locks have a mutex of
// their own, taken last. Each table's records have theirs (table.h).
struct ServerState {
    explicit ServerState(Server::Options o) : options(o) {}
    const Server::Options options;
    Mutex mu;
    uint32_t nextConnection GUARDED_BY(mu) = 1;
    std::atomic<Handle> nextHandle{1};
    std::map<uint32_t, ConnectionEntry> connections GUARDED_BY(mu);
    std::map<std::string, std::shared_ptr<Dictionary>> dictionaries GUARDED_BY(mu);
    std::map<std::string, int64_t> dictionaryStamps GUARDED_BY(mu);     // mtime at load
    // Stored tables by key: the path they were first loaded by, which their record locks
    // use too. A file is one table however it is reached, hence the key of each file.
    std::map<std::string, std::weak_ptr<Table>> tables GUARDED_BY(mu);
    std::map<FileId, std::string> tableKeys GUARDED_BY(mu);
    std::map<std::string, FileUse> fileUse GUARDED_BY(mu);
    LockTable locks;
    // Loads one table at a time, without mu, so that a table file is read once.
    Mutex loadMu ACQUIRED_BEFORE(mu);

    // The stored table `file` names, loaded once (outside mu) and shared, whatever name it
    // is reached by; *key gets its key in `tables`. A file with other names (hard links) is
    // refused unless `listedName`, the name the connection's dictionary lists it by.
    Status acquireTable(const FolderFile& file, bool listedName, std::shared_ptr<Table>* out,
                        std::string* key) EXCLUDES(mu, loadMu);
    // The dictionary `file` names, reloaded when its file changed. Read by its path, it must
    // be the very file the folder held open has under that name: else AE_FILE_NOT_FOUND
    // (the folder was moved or swapped meanwhile).
    Status acquireDictionary(const FolderFile& file, std::shared_ptr<Dictionary>* out)
        REQUIRES(mu);
    // The dictionary of the folder `folderFd` (at `folder`) other than the one at `except`
    // that lists the table file `file` (letter case ignored): its canonical path in
    // *claimant, empty when none does. A damaged dictionary in the folder is an error: it
    // might claim the file.
    Status claimantOf(int folderFd, const std::string& folder, std::string_view file,
                      const std::string& except, std::string* claimant) REQUIRES(mu);
    // Checks a user's password on the dictionary `file` (AE_LOGIN_FAILED) and tells whether
    // the user is an administrator. Takes mu only around reading and rewriting the
    // dictionary: checking a password is slow by design.
    Status logIn(const FolderFile& file, std::string_view user, std::string_view password,
                 bool* administrator) EXCLUDES(mu);
};

// A handle on an index order of an open table.
struct IndexHandle {
    Handle cursor = 0;
    int index = 0;  // in the table's index list
};

// Where a table name leads for a session.
struct TablePlace {
    std::string named;  // the file as named, links not followed: what a DROP removes
    std::string file;   // its name in the connection's folder
    std::string path;   // the folder's path and that name: the table's key until it is loaded
    std::string table;  // the session's own dictionary's table at that file; empty if none
};

struct Session::Impl {
    std::shared_ptr<ServerState> server;
    uint32_t connection = 0;
    bool dictionaryConnection = false;
    bool administrator = false;
    std::string dataSource;                  // canonical dictionary file, or the free-table folder
    std::string folder;                      // where table files live
    // That folder, held open since the connection was made: every table file is opened,
    // created and removed through it, never by its path again.
    FileDescriptor folderFd;
    FileId folderId;
    std::shared_ptr<Dictionary> dictionary;  // shared: read and changed with server->mu held
    // The session's own: one thread at a time uses a session, so they need no lock.
    std::map<std::string, std::shared_ptr<Table>> tempTables;  // by upper-case name
    std::map<Handle, std::unique_ptr<Cursor>> cursors;
    std::map<Handle, IndexHandle> indexHandles;
    uint64_t resultBytes = 0;  // the kept results' heldBytes and tempTableBytes, summed
    // What was written into each temporary table (by upper-case name), counted with the
    // kept results against the same limit.
    std::map<std::string, uint64_t> tempTableBytes;
    std::function<bool()> clientGone;  // set by the transport: the client has gone

    // Picks up the dictionary again when its file changed since it was read.
    Status refreshDictionary() REQUIRES(server->mu);
    // Where a stored table's name leads: a bare name on a dictionary connection is the
    // dictionary's table, anything else a file path (".adt" added when missing) relative to
    // the folder. The file must lie directly in the connection's folder, be no link, and
    // belong to no dictionary but the connection's own: else AE_TABLE_OUTSIDE_SOURCE. AE_TABLE_NOT_IN_DICTIONARY for a bare name the dictionary
    // lacks. Whether the file exists is not checked.
    Status placeTable(std::string_view name, TablePlace* out) REQUIRES(server->mu);
    // The same for a file given by its path (absolute, or relative to the folder).
    Status placeFile(const std::string& named, TablePlace* out) REQUIRES(server->mu);
    // The checks of placeFile for out->path, a key of the connection's folder already
    // (out->named is kept for the messages).
    Status checkPlace(TablePlace* out) REQUIRES(server->mu);
    // The file a place names, through the connection's folder.
    FolderFile folderFile(const TablePlace& place) const {
        return {folderFd.get(), place.file, place.path};
    }
    // The connection's dictionary file, through its folder.
    FolderFile dictionaryFile() const;
    // Finds the shared Table for a name: temp, dictionary or free table, with the
    // dictionary's indexes. *lockFile gets the key its record locks use.
    Status findTable(std::string_view name, std::shared_ptr<Table>* out, std::string* lockFile)
        EXCLUDES(server->mu);
    Status createTable(std::string_view name, std::vector<ColumnDef> columns) EXCLUDES(server->mu);
    Status createIndex(std::string_view table, IndexDef def) EXCLUDES(server->mu);
    Status dropTable(std::string_view name) EXCLUDES(server->mu);
    // AE_TOO_MANY_CURSORS when the connection holds as many tables and cursors as the
    // server allows, AE_RESULTS_TOO_LARGE when a result of `resultBytes` more would take its
    // kept results past their limit.
    Status roomFor(uint64_t resultBytes) const;
    // Whether `growth` bytes more written into the connection's temporary tables, by SQL or
    // by a cursor, stay within the limit they share with the kept results
    // (AE_RESULTS_TOO_LARGE otherwise).
    Status roomForTemporary(int64_t growth) const;
    // Counts `growth` bytes (negative: freed) written into the temporary table `table`
    // (upper-case name); dropping it gives them back.
    void countTemporary(const std::string& table, int64_t growth);
    // Gives the cursor and its index orders their handles, and puts it at its top.
    // REQUIRES: the cursor's table's mutex not held by this thread.
    Handle addCursor(std::unique_ptr<Cursor> cursor);
    // The cursor a handle names, and the place of its index order among the table's
    // indexes (-1: a table or cursor handle, record order).
    Status cursorFor(Handle h, Cursor** out, int* index);
    void closeCursor(Handle h) REQUIRES(server->mu);
    void closeAll() REQUIRES(server->mu);
};

// The management procedures, answered from the server's lock table and connections. Each
// procedure's results share one layout. They take no table's mutex: no statement makes
// them wait.
Status runManagementProcedure(Session::Impl& s, std::string_view name, const Row& args,
                              sql::ResultSet* out, bool* known) EXCLUDES(s.server->mu);

// Canonical form of a path: realpath when the file exists, else the path made absolute
// and cleaned of "." and ".." parts.
std::string canonicalPath(const std::string& path);

// A value that changes whenever the file is rewritten (-1 when it does not exist).
int64_t fileStamp(const std::string& path);

}  // namespace engine

#endif  // BREVANTIS_ENGINE_CORE_SESSION_IMPL_H
