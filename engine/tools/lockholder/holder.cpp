// holder.cpp: connecting as a given identity, locking and releasing records.
#include "engine/tools/lockholder/holder.h"

#include <algorithm>
#include <mutex>

#include "codepage/cp1252.h"
#include "engine/include/engine_client.h"

namespace lockholder {
namespace {

// The client identity is a setting of the library taken at connect time; connections made
// from several threads take turns so that each one gets its own.
std::mutex connectMutex;

}  // namespace

std::string lastEngineError() {
    UNSIGNED32 code = 0;
    char text[600] = {};
    UNSIGNED16 len = sizeof text - 1;
    AdsGetLastError(&code, text, &len);
    return std::to_string(code) + " " + text;
}

Holder::~Holder() {
    close();
}

bool Holder::open(const Options& options, const Who& who, const std::vector<std::string>& tables,
                  std::string* error) {
    const std::string cs = "Data Source=" + options.dictionary + ";User ID=" + options.user +
                           ";Password=\"" + options.password + "\";ServerType=REMOTE;";
    {
        std::lock_guard<std::mutex> guard(connectMutex);
        if (!options.server.empty() &&
            EngineSetServerAddress(options.server.c_str()) != AE_SUCCESS) {
            *error = "server address " + options.server + ": " + lastEngineError();
            return false;
        }
        // The command line is UTF-8; the engine takes its 8-bit code page.
        const std::string workstation = cp1252::fromUtf8(who.workstation);
        const std::string osLogin = cp1252::fromUtf8(who.osLogin);
        const std::string application = cp1252::fromUtf8(who.application);
        EngineSetClientIdentity(workstation.empty() ? nullptr : workstation.c_str(),
                                osLogin.empty() ? nullptr : osLogin.c_str(),
                                application.empty() ? nullptr : application.c_str());
        if (AdsConnect101(cs.c_str(), nullptr, &connection_) != AE_SUCCESS) {
            connection_ = 0;
            *error = "connect to " + options.dictionary + ": " + lastEngineError();
            return false;
        }
    }
    for (const std::string& name : tables) {
        ADSHANDLE t = 0;
        UNSIGNED32 count = 0;
        if (AdsOpenTable90(connection_, name.c_str(), nullptr, ADS_ADT, ADS_ANSI,
                           ADS_PROPRIETARY_LOCKING, ADS_CHECKRIGHTS, 0, nullptr,
                           &t) != AE_SUCCESS ||
            AdsGetRecordCount(t, ADS_IGNOREFILTERS, &count) != AE_SUCCESS) {
            *error = "open " + name + ": " + lastEngineError();
            if (t != 0) AdsCloseTable(t);
            close();
            return false;
        }
        tables_.push_back(t);
        counts_.push_back(count);
    }
    return true;
}

uint32_t Holder::lock(size_t table, uint32_t record) {
    const UNSIGNED32 rc = AdsLockRecord(tables_[table], record);
    if (rc == AE_SUCCESS) held_.emplace_back(table, record);
    return rc;
}

uint32_t Holder::unlock(size_t table, uint32_t record) {
    const UNSIGNED32 rc = AdsUnlockRecord(tables_[table], record);
    const auto it = std::find(held_.begin(), held_.end(), std::make_pair(table, record));
    if (it != held_.end()) held_.erase(it);
    return rc;
}

void Holder::close() {
    // Explicit unlocks first: closing and disconnecting release them too, but a holder that
    // says it released its locks should not depend on that.
    for (const auto& [table, record] : held_) AdsUnlockRecord(tables_[table], record);
    held_.clear();
    for (ADSHANDLE t : tables_) AdsCloseTable(t);
    tables_.clear();
    counts_.clear();
    if (connection_ != 0) AdsDisconnect(connection_);
    connection_ = 0;
}

}  // namespace lockholder
