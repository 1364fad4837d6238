// api_connection.cpp: connections, table enumeration, dictionary properties, errors and
// the stand-in extras of engine_client.h.
#include <errno.h>
#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "engine/client/requests.h"
#include "engine/include/engine_client.h"
#include "engine/protocol/address.h"

using namespace engine;
using namespace engine::client;
using protocol::Op;

namespace {

constexpr size_t kMaxIdentityText = 200;

ClientIdentity defaultIdentity() {
    ClientIdentity id;
    char host[HOST_NAME_MAX + 1] = {};
    if (::gethostname(host, sizeof host - 1) == 0) id.userName = host;
    if (const passwd* pw = ::getpwuid(::geteuid())) id.osLogin = pw->pw_name;
    id.applicationId = program_invocation_short_name;
    return id;
}

// Identity and address for later connections.
struct ClientSettings {
    std::optional<ClientIdentity> identity;  // made at the first use that needs it
    std::string address;                     // empty: the default
};
ClientSettings gSettings GUARDED_BY(gApiMutex);

ClientIdentity& identity() REQUIRES(gApiMutex) {
    if (!gSettings.identity) gSettings.identity = defaultIdentity();
    return *gSettings.identity;
}

// Opens a channel to the first address where a server answers; an untrusted server stops
// the search. Else the failure at the first address, the one the user chose or owns.
Status openFirstChannel(const std::vector<std::string>& addresses,
                        std::unique_ptr<Channel>* channel) {
    Status first;
    for (size_t i = 0; i < addresses.size(); ++i) {
        Status failure;
        *channel = openChannel(addresses[i], &failure);
        if (*channel) return Status::success();
        if (i == 0) first = failure;
        if (failure.code != AE_SERVER_NOT_AVAILABLE) return failure;
    }
    return first;
}

ConnectionObj* connectionOf(ADSHANDLE h) REQUIRES(gApiMutex) {
    return findAs<ConnectionObj>(h, Kind::Connection);
}

UNSIGNED32 badConnection(ADSHANDLE h) {
    return fail(AE_INVALID_HANDLE, "Invalid connection handle " + std::to_string(h) + ".");
}

}  // namespace

extern "C" {

ADSAPI AdsConnect101(const char* pucConnectString, void* pOptions, ADSHANDLE* phConnect) {
    return guarded([&]() REQUIRES(gApiMutex) -> UNSIGNED32 {
        if (!pucConnectString || !phConnect || pOptions) {
            return fail(AE_INVALID_ARGUMENT,
                        "AdsConnect101 needs a connection string, a "
                        "handle address and no options.");
        }
        *phConnect = 0;
        const std::vector<std::string> addresses =
            gSettings.address.empty() ? protocol::clientServerAddresses()
                                      : std::vector<std::string>{gSettings.address};
        auto conn = std::make_unique<ConnectionObj>();
        Status failure = openFirstChannel(addresses, &conn->channel);
        if (!conn->channel) return fail(failure);
        protocol::Connected connected;  // its number is the server's business
        Status st = call<Op::Connect>(*conn, {pucConnectString, identity()}, &connected);
        if (!st.ok()) return fail(st);
        conn->dictionary = connected.dictionary;
        *phConnect = addObject(std::move(conn));
        return AE_SUCCESS;
    });
}

ADSAPI AdsDisconnect(ADSHANDLE hConnect) {
    return guarded([&]() REQUIRES(gApiMutex) -> UNSIGNED32 {
        ConnectionObj* c = connectionOf(hConnect);
        if (!c) return badConnection(hConnect);
        // Waits for the answer: once this returns, the server has released every lock.
        Status st =
            c->lost ? Status::error(AE_CONNECTION_LOST, "The connection to the server was lost.")
                    : call<Op::Disconnect>(*c, {}, nullptr);
        removeObject(hConnect);
        return st.ok() ? AE_SUCCESS : fail(st);
    });
}

ADSAPI AdsFindFirstTable(ADSHANDLE hConnect, const char* pucMask, char* pucName, UNSIGNED16* pusLen,
                         ADSHANDLE* phFind) {
    return guarded([&]() REQUIRES(gApiMutex) -> UNSIGNED32 {
        ConnectionObj* c = connectionOf(hConnect);
        if (!c) return badConnection(hConnect);
        if (!phFind || !pusLen) return nullArgument();
        *phFind = 0;
        protocol::TableNames tables;
        Status st = call<Op::ListTables>(*c, {pucMask ? pucMask : ""}, &tables);
        if (!st.ok()) return fail(st);
        auto find = std::make_unique<FindObj>();
        find->connection = hConnect;
        find->names = std::move(tables.names);
        if (find->names.empty()) return fail(AE_NO_TABLE, "No table found.");
        UNSIGNED32 rc = copyText(find->names[0], pucName, pusLen);
        if (rc != AE_SUCCESS) return rc;
        find->next = 1;
        *phFind = addObject(std::move(find));
        return AE_SUCCESS;
    });
}

ADSAPI AdsFindNextTable(ADSHANDLE hConnect, ADSHANDLE hFind, char* pucName, UNSIGNED16* pusLen) {
    return guarded([&]() REQUIRES(gApiMutex) -> UNSIGNED32 {
        FindObj* f = findAs<FindObj>(hFind, Kind::Find);
        if (!f || f->connection != hConnect) {
            return fail(AE_INVALID_HANDLE, "Invalid table search handle.");
        }
        if (f->next >= f->names.size()) return fail(AE_NO_TABLE, "No more tables.");
        UNSIGNED32 rc = copyText(f->names[f->next], pucName, pusLen);
        if (rc == AE_SUCCESS) ++f->next;
        return rc;
    });
}

ADSAPI AdsFindClose(ADSHANDLE hConnect, ADSHANDLE hFind) {
    return guarded([&]() REQUIRES(gApiMutex) -> UNSIGNED32 {
        FindObj* f = findAs<FindObj>(hFind, Kind::Find);
        if (!f || f->connection != hConnect) {
            return fail(AE_INVALID_HANDLE, "Invalid table search handle.");
        }
        removeObject(hFind);
        return AE_SUCCESS;
    });
}

ADSAPI AdsDDGetTableProperty(ADSHANDLE hConnect, const char* pucTableName, UNSIGNED16 usProperty,
                             void* pvBuffer, UNSIGNED16* pusLen) {
    return guarded([&]() REQUIRES(gApiMutex) -> UNSIGNED32 {
        ConnectionObj* c = connectionOf(hConnect);
        if (!c) return badConnection(hConnect);
        if (!pucTableName || !pusLen) return nullArgument();
        protocol::PropertyValue value;
        Status st = call<Op::GetTableProperty>(*c, {pucTableName, usProperty}, &value);
        if (!st.ok()) return fail(st);
        return copyText(value.value, static_cast<char*>(pvBuffer), pusLen);
    });
}

ADSAPI AdsGetLastError(UNSIGNED32* pulErrCode, char* pucBuf, UNSIGNED16* pusBufLen) {
    // No lock: the last error is the calling thread's own. Its own failure leaves it as is.
    if (!pulErrCode) return AE_INVALID_ARGUMENT;
    const Status& e = lastError();
    *pulErrCode = e.code;
    if (!pusBufLen) return AE_SUCCESS;
    if (!pucBuf || e.text.size() > *pusBufLen) {
        *pusBufLen = static_cast<UNSIGNED16>(std::min<size_t>(e.text.size(), UINT16_MAX));
        return AE_INSUFFICIENT_BUFFER;
    }
    std::memcpy(pucBuf, e.text.data(), e.text.size());
    pucBuf[e.text.size()] = '\0';
    *pusBufLen = static_cast<UNSIGNED16>(e.text.size());
    return AE_SUCCESS;
}

ADSAPI AdsSetLastError(UNSIGNED32 ulErrCode, const char* pucDetails) {
    setLastError(Status{ulErrCode, pucDetails ? pucDetails : ""});
    return AE_SUCCESS;
}

ADSAPI AdsShowError(const char* pucTitle) {
    const Status& e = lastError();
    std::fprintf(stderr, "%s: %u %s\n", pucTitle ? pucTitle : "", e.code, e.text.c_str());
    return AE_SUCCESS;
}

ADSAPI EngineSetClientIdentity(const char* pucUserName, const char* pucOsLogin,
                               const char* pucApplicationId) {
    return guarded([&]() REQUIRES(gApiMutex) -> UNSIGNED32 {
        for (const char* s : {pucUserName, pucOsLogin, pucApplicationId}) {
            if (s && std::strlen(s) > kMaxIdentityText) {
                return fail(AE_INVALID_ARGUMENT, "An identity value is longer than 200 bytes.");
            }
        }
        if (pucUserName) identity().userName = pucUserName;
        if (pucOsLogin) identity().osLogin = pucOsLogin;
        if (pucApplicationId) identity().applicationId = pucApplicationId;
        return AE_SUCCESS;
    });
}

ADSAPI EngineSetServerAddress(const char* pucAddress) {
    return guarded([&]() REQUIRES(gApiMutex) -> UNSIGNED32 {
        std::string address = pucAddress ? pucAddress : "";
        std::string path, error;
        uint16_t port = 0;
        if (!address.empty() && !protocol::parseServerAddress(address, &path, &port, &error)) {
            return fail(AE_INVALID_ARGUMENT, error);
        }
        gSettings.address = address;
        return AE_SUCCESS;
    });
}

ADSAPI EngineGetRoundTrips(UNSIGNED32* pulRoundTrips) {
    if (!pulRoundTrips) return AE_INVALID_ARGUMENT;
    *pulRoundTrips = roundTrips();
    return AE_SUCCESS;
}

ADSAPI EngineResetRoundTrips(void) {
    resetRoundTrips();
    return AE_SUCCESS;
}

ADSAPI EngineGetCalls(UNSIGNED32* pulCalls) {
    if (!pulCalls) return AE_INVALID_ARGUMENT;
    *pulCalls = gApiCalls.load(std::memory_order_relaxed);
    return AE_SUCCESS;
}

ADSAPI EngineResetCalls(void) {
    gApiCalls = 0;
    return AE_SUCCESS;
}

}  // extern "C"
