// client.cpp: connection, SQL and lock-procedure helpers over the C interface.
#include "tests/engine/reliability/client.h"

#include <mutex>

#include "engine/include/engine_client.h"
#include "engine/tools/lockholder/holder.h"

namespace reliability {
namespace {

// The address and identity are library settings read at connect time.
std::mutex connectMutex;

std::vector<WCHAR16> utf16(const std::string& ascii) {
    std::vector<WCHAR16> out(ascii.begin(), ascii.end());
    out.push_back(0);
    return out;
}

std::string trimRight(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return s;
}

std::vector<std::string> columnNames(ADSHANDLE cursor) {
    std::vector<std::string> names;
    UNSIGNED16 count = 0;
    if (AdsGetNumFields(cursor, &count) != AE_SUCCESS) return names;
    for (UNSIGNED16 i = 1; i <= count; ++i) {
        char name[256] = {};
        UNSIGNED16 len = sizeof name - 1;
        if (AdsGetFieldName(cursor, i, name, &len) == AE_SUCCESS) names.emplace_back(name, len);
    }
    return names;
}

}  // namespace

std::string lastError() {
    return lockholder::lastEngineError();
}

Client::Client(const std::string& address, const std::string& dict, const std::string& user,
               const std::string& password, const std::string& workstation,
               const std::string& osLogin, const std::string& application) {
    const std::string cs = "Data Source=" + dict + ";User ID=" + user + ";Password=\"" + password +
                           "\";ServerType=REMOTE;";
    std::lock_guard<std::mutex> guard(connectMutex);
    EngineSetServerAddress(address.c_str());
    EngineSetClientIdentity(workstation.c_str(), osLogin.c_str(), application.c_str());
    connectCode_ = AdsConnect101(cs.c_str(), nullptr, &connection_);
    if (connectCode_ != AE_SUCCESS) connection_ = 0;
}

Client::~Client() {
    if (connection_ != 0) AdsDisconnect(connection_);
}

ADSHANDLE Client::open(const std::string& table) {
    ADSHANDLE t = 0;
    if (AdsOpenTable90(connection_, table.c_str(), nullptr, ADS_ADT, ADS_ANSI,
                       ADS_PROPRIETARY_LOCKING, ADS_CHECKRIGHTS, 0, nullptr, &t) != AE_SUCCESS) {
        return 0;
    }
    return t;
}

UNSIGNED32 Client::query(const std::string& sql, std::vector<Row>* rows,
                         const std::vector<std::string>& columns) {
    ADSHANDLE stmt = 0, cursor = 0;
    UNSIGNED32 rc = AdsCreateSQLStatement(connection_, &stmt);
    if (rc != AE_SUCCESS) return rc;
    const auto text = utf16(sql);
    rc = AdsPrepareSQLW(stmt, text.data());
    if (rc == AE_SUCCESS) rc = AdsExecuteSQL(stmt, &cursor);
    if (rc == AE_SUCCESS && cursor != 0) {
        const std::vector<std::string> names = columns.empty() ? columnNames(cursor) : columns;
        rc = AdsGotoTop(cursor);
        UNSIGNED16 eof = 0;
        while (rc == AE_SUCCESS && (rc = AdsAtEOF(cursor, &eof)) == AE_SUCCESS && !eof) {
            Row row;
            for (const std::string& name : names) {
                char buf[512] = {};
                UNSIGNED32 len = sizeof buf - 1;
                rc = AdsGetField(cursor, name.c_str(), reinterpret_cast<UNSIGNED8*>(buf), &len, 0);
                if (rc != AE_SUCCESS) break;
                row[name] = trimRight(std::string(buf, len));
            }
            if (rc == AE_SUCCESS) {
                rows->push_back(std::move(row));
                rc = AdsSkip(cursor, 1);
            }
        }
        AdsCloseTable(cursor);
    }
    AdsCloseSQLStatement(stmt);
    return rc;
}

std::vector<uint32_t> Client::allLocks(const std::string& tablePath, UNSIGNED32* rc) {
    std::vector<Row> rows;
    *rc =
        query("EXECUTE PROCEDURE sp_mgGetAllLocks('" + tablePath + " ');", &rows, {"LockedRecNo"});
    std::vector<uint32_t> records;
    for (const Row& r : rows)
        records.push_back(static_cast<uint32_t>(std::stoul(r.at("LockedRecNo"))));
    return records;
}

std::vector<std::string> Client::lockOwners(const std::string& tablePath, uint32_t record,
                                            UNSIGNED32* rc) {
    std::vector<Row> rows;
    *rc = query(
        "EXECUTE PROCEDURE sp_mgGetLockOwner( '" + tablePath + "'," + std::to_string(record) + ");",
        &rows, {"UserName"});
    std::vector<std::string> owners;
    for (const Row& r : rows) owners.push_back(r.at("UserName"));
    return owners;
}

}  // namespace reliability
