// state.cpp: the handle table, the last error, the API lock and the batched server call.
#include "engine/client/state.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "engine/record/record_text.h"

namespace engine::client {
namespace {

constexpr int kDefaultCallTimeoutMs = 60000;

using ObjectTable = std::unordered_map<ADSHANDLE, std::unique_ptr<Object>>;
ObjectTable gObjects;  // GUARDED_BY(gApiMutex)
// The entry of the handle removed last, kept empty for the next handle made: the tool makes
// and closes a cursor per statement. GUARDED_BY(gApiMutex)
ObjectTable::node_type gSpareEntry;
ADSHANDLE gNextHandle = 1;                               // GUARDED_BY(gApiMutex)
std::atomic<uint32_t> gRoundTrips{0};
thread_local Status tLastError;

ADSHANDLE ownerOf(const Object& o) {
    switch (o.kind) {
        case Kind::Table: return static_cast<const TableObj&>(o).connection;
        case Kind::Index: return static_cast<const IndexObj&>(o).table;
        case Kind::Statement: return static_cast<const StatementObj&>(o).connection;
        case Kind::Find: return static_cast<const FindObj&>(o).connection;
        case Kind::Connection: return 0;
    }
    return 0;
}

}  // namespace

BiasedLock gApiMutex;     // no entry point calls another: never taken twice by one thread
LastFound gLastFound;     // GUARDED_BY(gApiMutex)

UNSIGNED32 fail(UNSIGNED32 code, std::string text) {
    tLastError = Status::error(code, std::move(text));
    return code;
}

UNSIGNED32 fail(const Status& status) { return fail(status.code, status.text); }

UNSIGNED32 internalError() noexcept {
    try {
        throw;
    } catch (const std::exception& e) {
        return fail(AE_INTERNAL_ERROR, std::string("Internal error in the client engine: ") + e.what());
    } catch (...) {
        return fail(AE_INTERNAL_ERROR, "Internal error in the client engine.");
    }
}

const Status& lastError() { return tLastError; }
void setLastError(Status status) { tLastError = std::move(status); }

ADSHANDLE addObject(std::unique_ptr<Object> object) {
    Object* const made = object.get();
    // Wrapping past 2^32 would need four billion live handles; skip any still in use. The
    // insertion itself tells whether the handle is taken: one lookup per handle tried.
    for (;; ++gNextHandle) {
        if (gNextHandle == 0) continue;
        if (gSpareEntry.empty()) {
            if (gObjects.try_emplace(gNextHandle, std::move(object)).second) break;
            continue;
        }
        gSpareEntry.key() = gNextHandle;
        if (object) gSpareEntry.mapped() = std::move(object);
        auto placed = gObjects.insert(std::move(gSpareEntry));
        if (placed.inserted) break;
        gSpareEntry = std::move(placed.node);
    }
    gLastFound = {gNextHandle, made};  // a handle made is mostly the next one named
    return gNextHandle++;
}

Object* lookUpObject(ADSHANDLE handle) {
    auto it = gObjects.find(handle);
    if (it == gObjects.end()) return nullptr;
    gLastFound = {handle, it->second.get()};
    return gLastFound.object;
}

std::vector<ADSHANDLE> ownedBy(ADSHANDLE owner) {
    std::vector<ADSHANDLE> out;
    for (const auto& [h, o] : gObjects) {
        if (ownerOf(*o) == owner) out.push_back(h);
    }
    std::sort(out.begin(), out.end());  // in the order they were made
    return out;
}

void removeObject(ADSHANDLE handle) {
    const ObjectTable::iterator at = gObjects.find(handle);  // removing others keeps it valid
    if (at == gObjects.end()) return;
    Object* o = at->second.get();
    if (o->kind == Kind::Connection) {
        for (ADSHANDLE child : ownedBy(handle)) removeObject(child);
    } else if (o->kind == Kind::Table) {
        // A table owns its index handles only, all made with it: no need to scan them all.
        for (ADSHANDLE index : static_cast<TableObj*>(o)->indexes) removeObject(index);
    }
    if (handle == gLastFound.handle) gLastFound = {};
    ObjectTable::node_type entry = gObjects.extract(at);
    entry.mapped().reset();
    gSpareEntry = std::move(entry);
}

namespace {
void* gSpareTable = nullptr;  // the memory of the table or cursor closed last; GUARDED_BY(gApiMutex)
}  // namespace

// Only a block of TableObj's own size is kept and given: a type made from it later, larger,
// must not be placed in a cursor's memory.
void* TableObj::operator new(size_t size) {
    if (size == sizeof(TableObj) && gSpareTable) return std::exchange(gSpareTable, nullptr);
    return ::operator new(size);
}

void TableObj::operator delete(void* p, size_t size) {
    if (gSpareTable || size != sizeof(TableObj)) return ::operator delete(p, size);
    gSpareTable = p;
}

TableObj* indexCursorOf(Object* o, uint32_t* serverHandle) {
    if (!o || o->kind != Kind::Index) return nullptr;
    auto* x = static_cast<IndexObj*>(o);
    if (serverHandle) *serverHandle = x->info.handle;
    return findAs<TableObj>(x->table, Kind::Table);
}

void countRoundTrip() { ++gRoundTrips; }
uint32_t roundTrips() { return gRoundTrips; }
void resetRoundTrips() { gRoundTrips = 0; }

void defer(ConnectionObj& connection, protocol::Op op, std::string args, uint8_t flags,
           OnAnswer onAnswer) {
    connection.deferred.push_back({{op, flags, std::move(args)}, std::move(onAnswer)});
}

Status call(ConnectionObj& connection, protocol::Op op, std::string_view args,
            std::string_view* body, int timeoutMs) {
    std::vector<Deferred> batch = std::move(connection.deferred);
    connection.deferred.clear();
    if (connection.lost || !connection.channel) {
        return Status::error(AE_CONNECTION_LOST, "The connection to the server was lost.");
    }
    protocol::Writer w(std::move(connection.request));  // the last request's room
    const size_t sent = batch.size() + 1;
    protocol::encodeRequestCount(w, static_cast<uint32_t>(sent));
    for (const Deferred& d : batch) protocol::encodeOp(w, d.request.op, d.request.flags, d.request.args);
    protocol::encodeOp(w, op, 0, args);
    connection.request = w.take();
    countRoundTrip();
    const std::vector<protocol::OpResultView>& results = connection.results;
    if (!connection.channel->exchange(connection.request, &connection.answer,
                                      timeoutMs > 0 ? timeoutMs : kDefaultCallTimeoutMs) ||
        !protocol::decodeResponseViews(connection.answer, &connection.results) ||
        results.size() != sent) {
        return loseConnection(connection);
    }
    Status status;
    for (size_t i = 0; i < batch.size(); ++i) {
        const protocol::OpResultView& r = results[i];
        if (batch[i].onAnswer && !batch[i].onAnswer(r)) return loseConnection(connection);
        bool mayFail = batch[i].request.flags & protocol::kOpMayFail;
        if (status.ok() && r.status != 0 && !mayFail) status = Status::error(r.status, std::string(r.text));
    }
    const protocol::OpResultView& last = results.back();
    if (status.ok() && last.status != 0) status = Status::error(last.status, std::string(last.text));
    if (body) *body = last.body;
    return status;
}

Status loseConnection(ConnectionObj& connection) {
    connection.lost = true;
    connection.channel.reset();
    return Status::error(AE_CONNECTION_LOST, "The connection to the server was lost during the call.");
}

UNSIGNED32 nullLength() { return fail(AE_INVALID_ARGUMENT, "The length argument is null."); }

UNSIGNED32 bufferTooSmall(size_t have, size_t need) {
    return fail(AE_INSUFFICIENT_BUFFER, "The buffer of " + std::to_string(have) +
                                            " bytes is too small; " + std::to_string(need) +
                                            " are needed.");
}

void narrowText(const WCHAR16* text, std::string* out) {
    record::fromUtf16Units(text, text ? record::utf16Length(text) : 0, out);
}

}  // namespace engine::client
