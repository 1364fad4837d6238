// temporary_test.cpp: a connection's temporary tables live in the server's memory, and
// what a client writes into them through a table handle (appends, memo updates) counts
// against the connection's limit as rows inserted by SQL do.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/include/engine_api.h"
#include "tests/engine/reliability/client.h"
#include "tests/engine/reliability/harness.h"

namespace security {
namespace {

using reliability::Client;
using reliability::lastError;

class TemporaryTables : public ::testing::Test {
  protected:
    void SetUp() override {
        dict_ = reliability::makeDictionary(dir_.path(), "Temporaire", 1);
        ASSERT_TRUE(server_.start());
        client_ = std::make_unique<Client>(server_.address(), dict_, "adssys", "kor5382");
        ASSERT_EQ(client_->code(), 0u) << lastError();
    }

    // Runs SQL that returns no rows; the engine code.
    UNSIGNED32 sql(const std::string& text) {
        std::vector<reliability::Row> none;
        return client_->query(text, &none);
    }

    // Writes `text` into `column` of a new record (append) or of record `recno`; the first
    // engine code that is not 0.
    static UNSIGNED32 write(ADSHANDLE table, uint32_t recno, const char* column,
                            const std::string& text) {
        UNSIGNED32 rc = recno ? AdsGotoRecord(table, recno) : AdsAppendRecord(table);
        if (rc == 0)
            rc = AdsSetString(table, column, text.data(), static_cast<UNSIGNED32>(text.size()));
        if (rc == 0) rc = AdsWriteRecord(table);
        return rc;
    }

    reliability::TempDir dir_{"temporary"};
    std::string dict_;
    reliability::ServerProcess server_{dir_.path() + "/srv.sock", {"--max-result-mb", "4"}};
    std::unique_ptr<Client> client_;
};

TEST_F(TemporaryTables, AppendsThroughATableHandleAreCounted) {
    ASSERT_EQ(sql("CREATE TABLE #Lignes (Texte Char(4000))"), 0u) << lastError();
    const ADSHANDLE table = client_->open("#Lignes");
    ASSERT_NE(table, 0u) << lastError();
    // About 4 KB a record: 4 MiB hold about a thousand.
    UNSIGNED32 rc = 0;
    int appended = 0;
    for (; rc == 0 && appended < 3000; ++appended) rc = write(table, 0, "Texte", "x");
    EXPECT_EQ(rc, static_cast<UNSIGNED32>(AE_RESULTS_TOO_LARGE)) << lastError();
    EXPECT_LT(appended, 1100) << "appended past the limit";
    ASSERT_EQ(AdsCloseTable(table), 0u) << lastError();
    ASSERT_EQ(sql("DROP TABLE #Lignes"), 0u) << lastError();
    ASSERT_EQ(sql("CREATE TABLE #Lignes (Texte Char(4000))"), 0u) << lastError();
    EXPECT_EQ(sql("INSERT INTO #Lignes VALUES ('x')"), 0u)
        << "a dropped table gives its room back: " << lastError();
}

TEST_F(TemporaryTables, MemoUpdatesCountWhatTheyAddNotWhatTheyReplace) {
    ASSERT_EQ(sql("CREATE TABLE #Notes (Note Memo)"), 0u) << lastError();
    const ADSHANDLE table = client_->open("#Notes");
    ASSERT_NE(table, 0u) << lastError();
    const std::string mib(1 << 20, 'n');
    struct Step {
        uint32_t recno;  // 0: appended
        size_t bytes;
        UNSIGNED32 expected;
    };
    const Step steps[] = {
        {0, 10, 0},  // three small records
        {0, 10, 0},
        {0, 10, 0},
        {1, mib.size(), 0},  // then 3 MiB of memos by updates
        {2, mib.size(), 0},
        {3, mib.size(), 0},
        {1, mib.size(), 0},                         // the same size again: nothing more
        {2, 10, 0},                                 // a memo made small gives its room back
        {3, 2 * mib.size(), 0},                     // which a larger one takes
        {1, 2 * mib.size(), AE_RESULTS_TOO_LARGE},  // 5 MiB: past the limit
    };
    const std::string large = mib + mib;
    for (const Step& s : steps) {
        EXPECT_EQ(write(table, s.recno, "Note", large.substr(0, s.bytes)), s.expected)
            << "record " << s.recno << ", " << s.bytes << " bytes: " << lastError();
        if (s.expected) AdsCancelUpdate(table);
    }
}

}  // namespace
}  // namespace security
