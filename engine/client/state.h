// state.h: what the client library holds per process — handles, connections, cursors —
// and the helpers every C entry point uses (last error, locking, the batched call).
//
// All state is guarded by one process-wide lock taken for the whole of each C call
// (ApiLock, biased to the thread that calls first); the tool calls from one thread, and
// test programs with several threads are served one call at a time. Handles are made here,
// not by the server: each object keeps the server's id of what it stands for.
#ifndef BREVANTIS_ENGINE_CLIENT_STATE_H
#define BREVANTIS_ENGINE_CLIENT_STATE_H

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "engine/include/engine_api.h"
#include "engine/client/api_lock.h"
#include "engine/client/channel.h"
#include "engine/protocol/wire_types.h"
#include "engine/protocol/wire_format.h"
#include "engine/client/static_rows.h"

namespace engine::client {

enum class Kind { Connection, Table, Index, Statement, Find };

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    const Kind kind;
};

// What to do with a deferred operation's answer when it comes: false when the answer does
// not decode, which loses the connection like any undecodable answer.
using OnAnswer = std::function<bool(const protocol::OpResultView&)>;

// An operation held back until the next request of its connection, with what to do with
// its answer when it comes.
struct Deferred {
    protocol::OpRequest request;
    OnAnswer onAnswer;
    uint32_t syncOf = 0;  // server table whose cursor this move catches up (one at a time)
};

// Rows read around the current one in one order (see protocol::Neighbours). Moves within
// them are answered at once; the server's cursor follows with the next request.
// Invariant when valid: rows are consecutive in the order `order`; at is the index of the
// current row, -1 at BOF (only when startsAtBof), rows.size() at EOF (only when endsAtEof).
struct Window {
    bool valid = false;
    uint32_t order = 0;  // server handle of the table or index order
    std::vector<Position> rows;
    int64_t at = 0;
    int64_t landing = 0;  // index of the row the server's answer landed on
    bool startsAtBof = false;
    bool endsAtEof = false;
};

struct ConnectionObj : Object {
    ConnectionObj() : Object(Kind::Connection) {}
    std::unique_ptr<Channel> channel;
    bool dictionary = false;
    bool lost = false;
    std::vector<Deferred> deferred;
    protocol::LayoutSlots layouts;  // the layouts the server has sent, by slot
    // Storage each call reuses; what they hold between calls means nothing.
    std::string request;                        // the payload of the batch sent
    std::string answer;                         // the payload of the batch's answer
    std::vector<protocol::OpResultView> results;  // its results, views of answer
};

// A table or an SQL cursor (handleType tells which). Invariant: a static cursor
// (info.handleType == ADS_CURSOR) moves by row ordinal over `rows`, fetching missing rows
// from the server cursor info.handle (0 once every row is here).
struct TableObj : Object {
    TableObj(ADSHANDLE owner, CursorInfo&& description)
        : Object(Kind::Table), connection(owner), info(std::move(description)) {}
    ADSHANDLE connection = 0;
    CursorInfo info;
    std::vector<ADSHANDLE> indexes;  // client handles, in info.indexes order
    Position position;               // where the cursor stands, with its row (a static
                                     // cursor's row stays among its rows: see rowImage())
    bool positioned = false;         // false until the first move
    std::vector<Position> recent;    // tables: rows stood on lately, for moves back to them,
                                     // the latest last (one entry per record)
    uint64_t moves = 0;              // counts setPosition calls: a late answer applies only
                                     // while no later move happened
    Window window;                   // valid only until the next server move or change
    uint32_t lastOrder = 0;          // server handle of the order the cursor last moved in

    // Static cursors.
    uint32_t count = 0;
    StaticRows rows;  // by ordinal, with the answers their images are in
    const protocol::RowView* heldRow = nullptr;  // the row of rows the cursor stands on, if any

    // Pending edit: an appended or changed record not yet written.
    bool editing = false;
    bool appending = false;
    uint32_t editRecord = 0;
    std::string pending;  // record image being built
    std::map<uint16_t, ColumnWrite> writes;  // by column index from 0
    std::map<uint16_t, std::string> pendingBlobs;

    bool hasAof = false, hasFilter = false, exact = false;
    std::string aof, filter;
    int32_t cacheRecords = -1;  // AdsCacheRecords; -1: not set (read ahead as rows are used)
    // Read-ahead: rows around a landing row are asked for while they serve moves.
    bool windowUnused = false;  // the window last received has served no move yet
    uint8_t idleWindows = 0;    // windows in a row that served no move

    bool isStatic() const { return info.handleType == ADS_CURSOR; }
    // The image and blobs of the row field reads see: a static cursor's where it is held.
    std::string_view rowImage() const { return heldRow ? heldRow->record : std::string_view(position.record); }
    const std::vector<BlobContent>& rowBlobs() const { return heldRow ? heldRow->blobs : position.blobs; }
    // Rows to read on each side of a row a skip or a write lands on.
    uint16_t neighbours() const;

    // The tool makes and closes a cursor per statement: the memory of the one closed last is
    // kept for the next. REQUIRES: the API lock held.
    static void* operator new(size_t size);
    static void operator delete(void* p, size_t size);
    // A skip the window could not serve: the rows around the landing row are wanted again.
    void readAheadMissed() { idleWindows = 0; }
};

struct IndexObj : Object {
    IndexObj() : Object(Kind::Index) {}
    ADSHANDLE table = 0;
    IndexInfo info;
    bool keyStarted = false;
    std::map<uint16_t, std::string> keyParts;  // segment (from 0) -> bytes as given
};

struct StatementObj : Object {
    StatementObj() : Object(Kind::Statement) {}
    ADSHANDLE connection = 0;
    protocol::ExecArgs request;  // text and parameters, as an execution sends them
    std::string encoded;         // room for the request encoded, reused by each execution
    bool prepared = false;
    uint32_t timeoutSeconds = 0;
    bool hasRowCount = false;
    uint32_t rowCount = 0;
};

struct FindObj : Object {
    FindObj() : Object(Kind::Find) {}
    ADSHANDLE connection = 0;
    std::vector<std::string> names;
    size_t next = 0;
};

// ---- Process-wide state ------------------------------------------------------------------

// Taken by ApiLock only.
extern BiasedLock gApiMutex;

// Held for the whole of every C call.
class ApiLock {
public:
    ApiLock() { gApiMutex.lock(); }
    // Adopts the lock the caller has taken.
    struct Taken {};
    explicit ApiLock(Taken) {}
    ~ApiLock() { gApiMutex.unlock(); }
    ApiLock(const ApiLock&) = delete;
    ApiLock& operator=(const ApiLock&) = delete;
};

// Records the calling thread's last error and returns its code.
UNSIGNED32 fail(UNSIGNED32 code, std::string text);
UNSIGNED32 fail(const Status& status);
// The calling thread's last error.
const Status& lastError();
void setLastError(Status status);

// Handle table. add() takes ownership and returns the new handle.
ADSHANDLE addObject(std::unique_ptr<Object> object);

// Callers use one handle many times in a row: the last one found is looked up first,
// inline. Handle 0 is never made: it matches the empty LastFound and finds nullptr.
struct LastFound {
    ADSHANDLE handle = 0;
    Object* object = nullptr;
};
extern LastFound gLastFound;  // GUARDED_BY(gApiMutex)

// The handle table's lookup behind findObject.
Object* lookUpObject(ADSHANDLE handle);

// The object a handle names, or nullptr.
inline Object* findObject(ADSHANDLE handle) {
    return handle == gLastFound.handle ? gLastFound.object : lookUpObject(handle);
}
// Destroys the object (and, for connections and tables, what belongs to it).
void removeObject(ADSHANDLE handle);
// Every handle of the given kind whose owner is `owner` (a connection or a table).
std::vector<ADSHANDLE> ownedBy(ADSHANDLE owner);

template <typename T>
T* findAs(ADSHANDLE handle, Kind kind) {
    Object* o = findObject(handle);
    return o && o->kind == kind ? static_cast<T*>(o) : nullptr;
}

// cursorOf for what is not a table: an index handle's table, else nullptr.
TableObj* indexCursorOf(Object* o, uint32_t* serverHandle);

// Resolves a handle through which a cursor moves: a table, SQL cursor or index handle.
// *serverHandle is what the server moves (the index's own id for an index handle).
inline TableObj* cursorOf(ADSHANDLE handle, uint32_t* serverHandle = nullptr) {
    Object* o = findObject(handle);
    if (!o || o->kind != Kind::Table) return indexCursorOf(o, serverHandle);
    auto* t = static_cast<TableObj*>(o);
    if (serverHandle) *serverHandle = t->info.handle;
    return t;
}

// ---- Calls to the server -----------------------------------------------------------------

// Sends the connection's deferred operations followed by `op`, waits for the answer and
// runs the deferred answers' callbacks. Returns the first failure among the deferred
// operations that may not fail and `op` itself; *body views op's answer body in the
// connection's answer, until its next call or until a static cursor keeps that answer (see
// StaticRows::keep). A dead channel marks the connection lost and answers AE_CONNECTION_LOST.
Status call(ConnectionObj& connection, protocol::Op op, std::string_view args,
            std::string_view* body, int timeoutMs = 0);
// Marks the connection lost (its channel is closed) and returns AE_CONNECTION_LOST: what a
// dead channel leads to, and an answer body that does not decode whole (malformed,
// truncated, or describing images that do not fit: the Reader is then not done()). Every
// body read checks that before using what it decoded.
Status loseConnection(ConnectionObj& connection);

// Holds `op` back until the connection's next request.
void defer(ConnectionObj& connection, protocol::Op op, std::string args, uint8_t flags,
           OnAnswer onAnswer = {});

// Request/answer pairs exchanged by this process.
void countRoundTrip();
uint32_t roundTrips();
void resetRoundTrips();

// Records the exception being handled as AE_INTERNAL_ERROR and returns that code.
// REQUIRES: called from a catch block.
UNSIGNED32 internalError() noexcept;

// Runs one C entry point under the API lock; no exception leaves it (an escaping one
// becomes AE_INTERNAL_ERROR).
template <typename F>
UNSIGNED32 guarded(F&& body) noexcept {
    try {
        ApiLock lock;
        return body();
    } catch (...) {
        return internalError();
    }
}

// guarded() out of line, for a lock the caller may have taken already (`taken`). The body
// comes by value, so that the caller makes it on its way here only.
template <typename F>
[[gnu::noinline]] UNSIGNED32 guardedOutOfLine(bool taken, F body) noexcept {
    try {
        ApiLock lock = taken ? ApiLock(ApiLock::Taken{}) : ApiLock();
        return body();
    } catch (...) {
        return internalError();
    }
}

// What a quick path returns when it cannot answer: no entry point returns it.
constexpr UNSIGNED32 kNotQuick = UINT32_MAX;

// guarded() for the entry points that work on one object, which is as a rule the one the
// last lookup found. `quick()` answers from what gLastFound holds, calling nothing on its
// way, or returns kNotQuick having changed nothing; `general()` is the whole body. When the
// calling thread holds the lock's bias, the common case then runs to its answer with no
// call: the entry point keeps no registers for the slow paths, which are one call.
template <typename Quick, typename General>
[[gnu::always_inline]] inline UNSIGNED32 guardedQuick(Quick&& quick, General general) noexcept {
    const bool taken = gApiMutex.tryLockBiased();
    if (taken) {
        UNSIGNED32 answer;
        try {
            answer = quick();
        } catch (...) {
            gApiMutex.unlockBiased();
            return internalError();
        }
        if (answer != kNotQuick) {
            gApiMutex.unlockBiased();
            return answer;
        }
    }
    return guardedOutOfLine(taken, general);
}

// The object gLastFound holds when `handle` names it and it is of kind `kind`; nullptr
// otherwise, which says nothing of the handle. Calls nothing.
template <typename T>
T* lastFoundAs(ADSHANDLE handle, Kind kind) {
    Object* o = handle == gLastFound.handle ? gLastFound.object : nullptr;
    return o && o->kind == kind ? static_cast<T*>(o) : nullptr;
}

// ---- Text and buffers --------------------------------------------------------------------

// The failures of copyText, out of line so that copyText stays small enough to inline.
UNSIGNED32 nullLength();
UNSIGNED32 bufferTooSmall(size_t have, size_t need);

// Copies text to an 8-bit buffer of *len bytes (plus room for the NUL): 5005 with the
// needed length when it does not fit. Len is UNSIGNED16 or UNSIGNED32.
template <typename Len>
UNSIGNED32 copyText(std::string_view text, char* buffer, Len* len) {
    if (!len) return nullLength();
    if (!buffer || text.size() > *len) {
        const Len have = *len;
        *len = static_cast<Len>(text.size());
        return bufferTooSmall(have, text.size());
    }
    // The copy last: nothing is left to keep across it.
    *len = static_cast<Len>(text.size());
    buffer[text.size()] = '\0';
    std::memcpy(buffer, text.data(), text.size());
    return AE_SUCCESS;
}
// Makes *out the UTF-16 text up to its NUL as Windows-1252 text ("" for nullptr), in the
// buffer *out has.
void narrowText(const WCHAR16* text, std::string* out);

}  // namespace engine::client

#endif  // BREVANTIS_ENGINE_CLIENT_STATE_H
