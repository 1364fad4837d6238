// state.h: what the client library holds per process — handles, connections, cursors —
// and what every entry point uses: the API lock, the last error, text and buffers.
//
// All state is guarded by one process-wide mutex taken for the whole of each C call
// (guarded()); the tool calls from one thread, and test programs with several threads are
// served one call at a time. Handles are made here, not by the server: each object keeps
// the server's id of what it stands for. What a connection and a cursor keep between calls
// (rows read ahead, recent rows, a static result's rows, deferred operations) is described
// in engine/doc/client_cache.md.
#ifndef BREVANTIS_ENGINE_CLIENT_STATE_H
#define BREVANTIS_ENGINE_CLIENT_STATE_H

#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/base/thread_annotations.h"
#include "engine/client/channel.h"
#include "engine/core/answers.h"
#include "engine/include/engine_api.h"
#include "engine/protocol/operations.h"
#include "engine/record/status.h"

namespace engine::client {

// Held for the whole of every C call that touches the library's state.
extern Mutex gApiMutex;

// C calls that took gApiMutex since the start or the last reset (EngineGetCalls).
extern std::atomic<uint32_t> gApiCalls;

enum class Kind { Connection, Table, Index, Statement, Find };

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    const Kind kind;
};

// What to do with a deferred operation's answer when it comes: false when the answer does
// not decode, which loses the connection like any undecodable answer.
using OnAnswer = std::function<bool(const protocol::OpResult&)>;

// An operation held back until the next request of its connection, with what to do with
// its answer when it comes.
struct Deferred {
    protocol::Op op = protocol::Op::Ping;
    uint8_t flags = 0;
    std::string args;  // encoded
    OnAnswer onAnswer;
    uint32_t syncOf = 0;  // server table whose cursor this move catches up (one at a time)
};

struct ConnectionObj : Object {
    ConnectionObj() : Object(Kind::Connection) {}
    std::unique_ptr<Channel> channel;
    bool dictionary = false;
    bool lost = false;
    std::vector<Deferred> deferred;
    protocol::LayoutSlots layouts;  // the layouts the server has sent, by slot
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

// A table or an SQL cursor (handleType tells which). A static cursor (an SQL result,
// info.handleType == ADS_CURSOR) moves by row ordinal over `rows`, fetching missing rows
// from the server cursor info.handle (0 when every row came with the execution).
struct TableObj : Object {
    TableObj(ADSHANDLE owner, CursorInfo&& description)
        : Object(Kind::Table), connection(owner), info(std::move(description)) {}
    ADSHANDLE connection = 0;
    CursorInfo info;
    std::vector<ADSHANDLE> indexes;  // client handles, in info.indexes order
    Position position;               // where the cursor stands; a table's with its row
    bool positioned = false;         // false until the first move
    uint64_t moves = 0;              // counts moves: a late answer applies only while no
                                     // later move happened
    uint32_t lastOrder = 0;          // server handle of the order the cursor last moved in

    // Tables: rows stood on lately, the latest last (one entry per record), for moves back
    // to them; the rows read around the last landing row, while they serve moves.
    std::vector<Position> recent;
    Window window;              // valid only until the next server move or change
    int32_t cacheRecords = -1;  // AdsCacheRecords; -1: read ahead as rows are used
    bool windowUnused = false;  // the window last received has served no move yet
    uint8_t idleWindows = 0;    // windows in a row that served no move

    // Static cursors: the rows held, by ordinal from 1, and the one stood on.
    uint32_t count = 0;
    std::map<uint32_t, Position> rows;
    const Position* heldRow = nullptr;  // in rows; null at BOF or EOF

    // Pending edit: an appended or changed record not yet written.
    bool editing = false;
    bool appending = false;
    uint32_t editRecord = 0;
    std::string pending;                     // record image being built
    std::map<uint16_t, ColumnWrite> writes;  // by column index from 0
    std::map<uint16_t, std::string> pendingBlobs;

    bool hasAof = false, hasFilter = false, exact = false;
    std::string aof, filter;

    bool isStatic() const { return info.handleType == ADS_CURSOR; }
    // The row field reads see: a static cursor's where it is held.
    const Position& row() const { return heldRow ? *heldRow : position; }
};

struct IndexObj : Object {
    IndexObj() : Object(Kind::Index) {}
    ADSHANDLE table = 0;
    IndexInfo info;
    std::map<uint16_t, std::string> keyParts;  // segment (from 0) -> bytes as given
};

struct StatementObj : Object {
    StatementObj() : Object(Kind::Statement) {}
    ADSHANDLE connection = 0;
    protocol::ExecArgs request;  // text and parameters, as an execution sends them
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

// ---- Handles ------------------------------------------------------------------------------

// Takes ownership and returns the new handle (never 0).
ADSHANDLE addObject(std::unique_ptr<Object> object) REQUIRES(gApiMutex);
// The object a handle names, or nullptr.
Object* findObject(ADSHANDLE handle) REQUIRES(gApiMutex);
// Destroys the object and what belongs to it (a connection's objects, a table's indexes).
void removeObject(ADSHANDLE handle) REQUIRES(gApiMutex);
// Every handle whose owner is `owner` (a connection or a table), in the order made.
std::vector<ADSHANDLE> ownedBy(ADSHANDLE owner) REQUIRES(gApiMutex);

template <typename T>
T* findAs(ADSHANDLE handle, Kind kind) REQUIRES(gApiMutex) {
    Object* o = findObject(handle);
    return o && o->kind == kind ? static_cast<T*>(o) : nullptr;
}

// The table or cursor a handle moves: a table, SQL cursor or index handle (its table).
// *serverHandle, when given, is what the server moves: the index's own id for an index.
TableObj* cursorOf(ADSHANDLE handle, uint32_t* serverHandle = nullptr) REQUIRES(gApiMutex);

// The number EngineGetLayoutId gives `layout`: the same while that layout object lives,
// never one given to another object (a layout freed and another made at its address get
// different numbers).
uint32_t layoutId(const SharedLayout& layout) REQUIRES(gApiMutex);

// ---- Errors -------------------------------------------------------------------------------

// Records the calling thread's last error and returns its code.
UNSIGNED32 fail(UNSIGNED32 code, std::string text);
UNSIGNED32 fail(const Status& status);
// The calling thread's last error.
const Status& lastError();
void setLastError(Status status);

// The failures every kind of entry point has.
UNSIGNED32 badHandle(ADSHANDLE h);
UNSIGNED32 nullArgument();
UNSIGNED32 nullLength();

// Records the exception being handled as AE_INTERNAL_ERROR and returns that code.
// REQUIRES: called from a catch block.
UNSIGNED32 internalError() noexcept;

// ---- Entry points ---------------------------------------------------------------------------

// Runs one C entry point under the API lock; no exception leaves it (an escaping one
// becomes AE_INTERNAL_ERROR). `body` is annotated REQUIRES(gApiMutex).
template <typename F>
UNSIGNED32 guarded(F&& body) noexcept {
    try {
        MutexLock lock(gApiMutex);
        gApiCalls.fetch_add(1, std::memory_order_relaxed);
        return body();
    } catch (...) {
        return internalError();
    }
}

// ---- Text and buffers -----------------------------------------------------------------------

// Copies text to an 8-bit buffer of *len bytes (plus room for the NUL): 5005 with the
// needed length when it does not fit. Len is UNSIGNED16 or UNSIGNED32.
template <typename Len>
UNSIGNED32 copyText(std::string_view text, char* buffer, Len* len) {
    if (!len) return nullLength();
    if (!buffer || text.size() > *len) {
        const size_t have = *len;
        *len = static_cast<Len>(text.size());
        return fail(AE_INSUFFICIENT_BUFFER, "The buffer of " + std::to_string(have) +
                                                " bytes is too small; " +
                                                std::to_string(text.size()) + " are needed.");
    }
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    *len = static_cast<Len>(text.size());
    return AE_SUCCESS;
}

// Stores `value` in *out: AE_INVALID_ARGUMENT when out is null.
template <typename T>
UNSIGNED32 put(T* out, T value) {
    if (!out) return nullArgument();
    *out = value;
    return AE_SUCCESS;
}

// The Windows-1252 text of UTF-16 text up to its NUL ("" for nullptr).
std::string narrowText(const WCHAR16* text);

}  // namespace engine::client

#endif  // BREVANTIS_ENGINE_CLIENT_STATE_H
