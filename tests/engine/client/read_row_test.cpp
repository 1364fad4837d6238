// read_row_test.cpp: EngineReadRow answers as AdsSkip, AdsAtEOF, AdsAtBOF,
// AdsIsRecordVisible, AdsGetRecord and AdsGetBookmark60 answer one after the other, on a
// table under a filter and on a static SQL result, for random moves. (The server skips the
// rows a filter hides, so the walks meet no hidden row.)
#include <random>
#include <string>

#include "engine/core/session.h"
#include "engine/testing/in_process.h"
#include "tests/engine/client/client_fixture.h"

namespace engine::testing {
namespace {

// What a row read tells, however it was read.
struct Read {
    UNSIGNED32 code = 0;
    UNSIGNED16 where = 0;
    std::string record, bookmark;
    bool operator==(const Read&) const = default;
};

std::string describe(const Read& r) {
    return std::to_string(r.code) + "/" + std::to_string(r.where) + "/" + r.record + "/" +
           std::to_string(r.bookmark.size());
}

Read byOneCall(ADSHANDLE h, SIGNED32 step) {
    Read r;
    UNSIGNED8 record[256] = {}, bookmark[16] = {};
    UNSIGNED32 recordLength = sizeof record, bookmarkLength = sizeof bookmark;
    r.code = EngineReadRow(h, step, &r.where, record, &recordLength, bookmark, &bookmarkLength);
    if (r.code == AE_SUCCESS && r.where == 0) {
        r.record.assign(reinterpret_cast<char*>(record), recordLength);
        r.bookmark.assign(reinterpret_cast<char*>(bookmark), bookmarkLength);
    }
    return r;
}

Read callByCall(ADSHANDLE h, SIGNED32 step) {
    Read r;
    if (step != 0 && (r.code = AdsSkip(h, step)) != AE_SUCCESS) return r;
    UNSIGNED16 at = 0, visible = 0;
    AdsAtEOF(h, &at);
    if (at) r.where |= ENGINE_ROW_EOF;
    AdsAtBOF(h, &at);
    if (at) r.where |= ENGINE_ROW_BOF;
    if (r.where == 0 && (AdsIsRecordVisible(h, &visible) != AE_SUCCESS || !visible))
        r.where |= ENGINE_ROW_HIDDEN;
    if (r.where != 0) return r;
    UNSIGNED8 record[256] = {}, bookmark[16] = {};
    UNSIGNED32 recordLength = sizeof record, bookmarkLength = sizeof bookmark;
    AdsGetRecord(h, record, &recordLength);
    AdsGetBookmark60(h, bookmark, &bookmarkLength);
    r.record.assign(reinterpret_cast<char*>(record), recordLength);
    r.bookmark.assign(reinterpret_cast<char*>(bookmark), bookmarkLength);
    return r;
}

// Drives `a` by EngineReadRow and `b` by the single calls through the same random moves.
void compareWalks(ADSHANDLE a, ADSHANDLE b, const char* what) {
    std::mt19937 random(22);
    const SIGNED32 steps[] = {1, 1, 1, -1, 0, 2, -2, 3, -4};
    for (int i = 0; i < 300; ++i) {
        const SIGNED32 step = steps[random() % std::size(steps)];
        const Read one = byOneCall(a, step), each = callByCall(b, step);
        ASSERT_EQ(one, each) << what << ", move " << i << " by " << step << ": " << describe(one)
                             << " against " << describe(each);
    }
}

TEST(ReadRow, AnswersAsTheSingleCallsOnAFilteredTableAndAStaticResult) {
    DictionaryFolder folder;
    Server core;
    useInProcessServer(core);
    ADSHANDLE conn = connectOrFail(folder.connectString());
    std::string values;
    for (int i = 1; i <= 40; ++i)
        values += (i > 1 ? ", ('" : "('") + std::string(1, char('a' + i % 7)) + "', " +
                  std::to_string(i) + ")";
    runSql(conn, "CREATE TABLE Clients (Nom CIChar(20), Code Integer);\r\n"
                 "INSERT INTO Clients VALUES " + values + ";");
    ADSHANDLE tables[2] = {};
    for (ADSHANDLE& t : tables) {
        ASSERT_EQ(AdsOpenTable90(conn, "Clients", nullptr, 0, ADS_ANSI, ADS_PROPRIETARY_LOCKING,
                                 ADS_CHECKRIGHTS, 0, "ANSI", &t),
                  AE_SUCCESS);
        ASSERT_EQ(AdsSetFilter100(t, "Nom <> \"c\"", 0), AE_SUCCESS) << lastErrorText();
        ASSERT_EQ(AdsGotoTop(t), AE_SUCCESS);
    }
    compareWalks(tables[0], tables[1], "table");

    ADSHANDLE results[2] = {runSql(conn, "SELECT Nom, Code FROM Clients WHERE Code > 5"),
                            runSql(conn, "SELECT Nom, Code FROM Clients WHERE Code > 5")};
    compareWalks(results[0], results[1], "static result");

    UNSIGNED16 where = 0;
    UNSIGNED8 small[2];
    UNSIGNED32 smallLength = sizeof small, bookmarkLength = 16;
    UNSIGNED8 bookmark[16];
    AdsGotoTop(results[0]);
    EXPECT_EQ(EngineReadRow(results[0], 0, &where, small, &smallLength, bookmark, &bookmarkLength),
              AE_INSUFFICIENT_BUFFER);
    EXPECT_EQ(EngineReadRow(0, 1, &where, small, &smallLength, bookmark, &bookmarkLength),
              AE_INVALID_HANDLE);
    AdsDisconnect(conn);
    stopUsingInProcessServer();
}

}  // namespace
}  // namespace engine::testing
