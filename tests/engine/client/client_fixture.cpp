// client_fixture.cpp: dictionary folder and C-interface helpers for the client tests.
#include "tests/engine/client/client_fixture.h"

#include <stdlib.h>

#include <filesystem>

#include "engine/core/session.h"

namespace engine::testing {

DictionaryFolder::DictionaryFolder() {
    char tmpl[] = "/tmp/brevantis_client_XXXXXX";
    dir_ = ::mkdtemp(tmpl);
    dictionary_ = dir_ + "/Gestion.add";
    EXPECT_TRUE(createDictionary(dictionary_, "kor5382").ok());
    EXPECT_TRUE(addDictionaryUser(dictionary_, "lecteur", "secret", false).ok());
}

DictionaryFolder::~DictionaryFolder() {
    std::filesystem::remove_all(dir_);
}

std::string DictionaryFolder::connectString(const std::string& user,
                                            const std::string& password) const {
    return "Data Source=" + dictionary_ + ";User ID=" + user + ";Password=\"" + password +
           "\";FIPS=False;ServerType=REMOTE;";
}

std::string lastErrorText() {
    UNSIGNED32 code = 0;
    char text[601] = {};
    UNSIGNED16 len = 600;
    AdsGetLastError(&code, text, &len);
    return std::to_string(code) + " " + text;
}

ADSHANDLE connectOrFail(const std::string& connectString) {
    ADSHANDLE h = 0;
    EXPECT_EQ(AdsConnect101(connectString.c_str(), nullptr, &h), AE_SUCCESS) << lastErrorText();
    return h;
}

ADSHANDLE runSql(ADSHANDLE connection, const std::string& text, UNSIGNED32* code) {
    ADSHANDLE stmt = 0, cursor = 0;
    EXPECT_EQ(AdsCreateSQLStatement(connection, &stmt), AE_SUCCESS);
    std::u16string wide;
    for (unsigned char c : text) wide.push_back(c);  // Latin-1 covers the tests' texts
    EXPECT_EQ(AdsPrepareSQLW(stmt, reinterpret_cast<const WCHAR16*>(wide.c_str())), AE_SUCCESS);
    UNSIGNED32 rc = AdsExecuteSQL(stmt, &cursor);
    if (code) {
        *code = rc;
    } else {
        EXPECT_EQ(rc, AE_SUCCESS) << text << ": " << lastErrorText();
    }
    AdsCloseSQLStatement(stmt);
    return cursor;
}

std::vector<std::vector<std::string>> readAll(ADSHANDLE cursor) {
    std::vector<std::vector<std::string>> rows;
    UNSIGNED16 fields = 0, eof = 0;
    AdsGetNumFields(cursor, &fields);
    AdsGotoTop(cursor);
    while (AdsAtEOF(cursor, &eof) == AE_SUCCESS && !eof) {
        std::vector<std::string> row;
        for (UNSIGNED16 f = 1; f <= fields; ++f) {
            char buf[1024] = {};
            UNSIGNED32 len = sizeof buf - 1;
            EXPECT_EQ(AdsGetField(cursor, ADSFIELD(f), reinterpret_cast<UNSIGNED8*>(buf), &len,
                                  ADS_RTRIM),
                      AE_SUCCESS)
                << lastErrorText();
            row.emplace_back(buf, len);
        }
        rows.push_back(std::move(row));
        if (AdsSkip(cursor, 1) != AE_SUCCESS) break;
    }
    return rows;
}

uint32_t roundTripsSinceLastCall() {
    UNSIGNED32 n = 0;
    EngineGetRoundTrips(&n);
    EngineResetRoundTrips();
    return n;
}

}  // namespace engine::testing
