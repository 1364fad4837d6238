// state.cpp: the handle table, the API lock and the last error.
#include "engine/client/state.h"

#include <algorithm>
#include <unordered_map>

#include "codepage/cp1252.h"

namespace engine::client {

Mutex gApiMutex;  // no entry point calls another: never taken twice by one thread
std::atomic<uint32_t> gApiCalls{0};

namespace {

std::unordered_map<ADSHANDLE, std::unique_ptr<Object>> gObjects GUARDED_BY(gApiMutex);
ADSHANDLE gNextHandle GUARDED_BY(gApiMutex) = 1;

// The numbers given to layouts, by address; an expired entry's address may hold another.
struct NumberedLayout {
    std::weak_ptr<const RecordLayout> layout;
    uint32_t id = 0;
};
std::unordered_map<const RecordLayout*, NumberedLayout> gLayoutIds GUARDED_BY(gApiMutex);
uint32_t gNextLayoutId GUARDED_BY(gApiMutex) = 1;
thread_local Status tLastError;

ADSHANDLE ownerOf(const Object& o) {
    switch (o.kind) {
        case Kind::Table:
            return static_cast<const TableObj&>(o).connection;
        case Kind::Index:
            return static_cast<const IndexObj&>(o).table;
        case Kind::Statement:
            return static_cast<const StatementObj&>(o).connection;
        case Kind::Find:
            return static_cast<const FindObj&>(o).connection;
        case Kind::Connection:
            return 0;
    }
    return 0;
}

}  // namespace

ADSHANDLE addObject(std::unique_ptr<Object> object) {
    // Wrapping past 2^32 would need four billion live handles; skip any still in use.
    while (gNextHandle == 0 || gObjects.count(gNextHandle)) ++gNextHandle;
    gObjects.emplace(gNextHandle, std::move(object));
    return gNextHandle++;
}

Object* findObject(ADSHANDLE handle) {
    auto it = gObjects.find(handle);
    return it == gObjects.end() ? nullptr : it->second.get();
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
    auto it = gObjects.find(handle);
    if (it == gObjects.end()) return;
    std::unique_ptr<Object> o = std::move(it->second);
    gObjects.erase(it);
    if (o->kind == Kind::Connection) {
        for (ADSHANDLE child : ownedBy(handle)) removeObject(child);
    } else if (o->kind == Kind::Table) {
        for (ADSHANDLE index : static_cast<TableObj&>(*o).indexes) removeObject(index);
    }
}

TableObj* cursorOf(ADSHANDLE handle, uint32_t* serverHandle) {
    Object* o = findObject(handle);
    if (o && o->kind == Kind::Index) {
        auto* x = static_cast<IndexObj*>(o);
        if (serverHandle) *serverHandle = x->info.handle;
        return findAs<TableObj>(x->table, Kind::Table);
    }
    if (!o || o->kind != Kind::Table) return nullptr;
    auto* t = static_cast<TableObj*>(o);
    if (serverHandle) *serverHandle = t->info.handle;
    return t;
}

uint32_t layoutId(const SharedLayout& layout) {
    auto it = gLayoutIds.find(layout.get());
    if (it != gLayoutIds.end() && it->second.layout.lock() == layout) return it->second.id;
    if (gLayoutIds.size() >= 1024)  // forget the layouts that are gone
        std::erase_if(gLayoutIds, [](const auto& e) { return e.second.layout.expired(); });
    if (gNextLayoutId == 0) ++gNextLayoutId;  // wrapped: 0 is never given
    gLayoutIds[layout.get()] = {layout, gNextLayoutId};
    return gNextLayoutId++;
}

UNSIGNED32 fail(UNSIGNED32 code, std::string text) {
    tLastError = Status::error(code, std::move(text));
    return code;
}

UNSIGNED32 fail(const Status& status) {
    return fail(status.code, status.text);
}

const Status& lastError() {
    return tLastError;
}
void setLastError(Status status) {
    tLastError = std::move(status);
}

UNSIGNED32 badHandle(ADSHANDLE h) {
    return fail(AE_INVALID_HANDLE, "Invalid handle " + std::to_string(h) + ".");
}

UNSIGNED32 nullArgument() {
    return fail(AE_INVALID_ARGUMENT, "Null argument.");
}
UNSIGNED32 nullLength() {
    return fail(AE_INVALID_ARGUMENT, "Null length argument.");
}

UNSIGNED32 internalError() noexcept {
    try {
        throw;
    } catch (const std::exception& e) {
        return fail(AE_INTERNAL_ERROR,
                    std::string("Internal error in the client engine: ") + e.what());
    } catch (...) {
        return fail(AE_INTERNAL_ERROR, "Internal error in the client engine.");
    }
}

std::string narrowText(const WCHAR16* text) {
    if (!text) return {};
    size_t n = 0;
    while (text[n] != 0) ++n;
    return cp1252::fromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(text), n));
}

}  // namespace engine::client
