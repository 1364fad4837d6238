// navigation_test.cpp: table moves answered from the rows read around a skip or a write,
// checked against a model of the index order with random steps, and what they cost.
#include <algorithm>
#include <map>
#include <random>

#include "engine/core/session.h"
#include "engine/testing/in_process.h"
#include "tests/engine/client/client_fixture.h"

namespace engine::testing {
namespace {

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        engine::testing::useInProcessServer(core_);
        conn_ = connectOrFail(folder_.connectString());
        std::mt19937 rng(42);
        std::string sql =
            "CREATE TABLE #T (Nom CIChar(10), N Integer);\r\n"
            "CREATE INDEX ByNom ON #T(Nom);\r\nINSERT INTO #T VALUES ";
        for (int i = 1; i <= kRows; ++i) {
            std::string nom(1, static_cast<char>('a' + rng() % 26));
            nom += static_cast<char>('a' + rng() % 26);
            model_.emplace(std::make_pair(nom, i), i);
            sql += (i > 1 ? ", ('" : "('") + nom + "', " + std::to_string(i) + ")";
        }
        runSql(conn_, sql);
        ASSERT_EQ(AdsOpenTable90(conn_, "#T", nullptr, 0, 1, 1, 1, 0, "ANSI", &table_), AE_SUCCESS);
        ASSERT_EQ(AdsGetIndexHandle(table_, "ByNom", &index_), AE_SUCCESS);
        for (const auto& entry : model_) order_.push_back(entry.second);
    }
    void TearDown() override {
        AdsDisconnect(conn_);
        engine::testing::stopUsingInProcessServer();
    }

    // Record number under the cursor, 0 at BOF or EOF.
    uint32_t current() {
        UNSIGNED16 bof = 0, eof = 0;
        AdsAtBOF(table_, &bof);
        AdsAtEOF(table_, &eof);
        if (bof || eof) return 0;
        UNSIGNED32 recno = 0;
        AdsGetRecordNum(table_, ADS_IGNOREFILTERS, &recno);
        return recno;
    }

    static constexpr int kRows = 120;
    DictionaryFolder folder_;
    Server core_;
    ADSHANDLE conn_ = 0, table_ = 0, index_ = 0;
    std::map<std::pair<std::string, int>, int> model_;  // (CIChar key, recno) -> recno
    std::vector<int> order_;                            // record numbers in index order
};

TEST_F(WindowTest, RandomStepsFollowTheIndexOrder) {
    std::mt19937 rng(7);
    ASSERT_EQ(AdsGotoTop(index_), AE_SUCCESS);
    int64_t at = 0;  // position in order_, -1 BOF, kRows EOF
    for (int step = 0; step < 600; ++step) {
        int kind = static_cast<int>(rng() % 10);
        if (kind == 0) {
            ASSERT_EQ(AdsGotoTop(index_), AE_SUCCESS);
            at = 0;
        } else if (kind == 1 && at >= 0 && at < kRows) {
            ADSHANDLE bookmark = 0;
            AdsGetBookmark(table_, &bookmark);
            int64_t away = std::clamp<int64_t>(at + 40, 0, kRows - 1);
            ASSERT_EQ(AdsSkip(index_, static_cast<SIGNED32>(away - at)), AE_SUCCESS);
            ASSERT_EQ(AdsGotoBookmark(table_, bookmark), AE_SUCCESS);
        } else {
            int n = static_cast<int>(rng() % 7) - 3;
            if (kind == 2) n *= 15;
            ASSERT_EQ(AdsSkip(index_, n), AE_SUCCESS);
            at = std::clamp<int64_t>(at + n, -1, kRows);
            if (at == -1 && n > 0) at = 0;
        }
        uint32_t expected = at < 0 || at >= kRows ? 0 : static_cast<uint32_t>(order_[at]);
        ASSERT_EQ(current(), expected) << "step " << step;
        if (expected) {
            char nom[11] = {};
            UNSIGNED32 len = 10;
            ASSERT_EQ(
                AdsGetField(table_, "Nom", reinterpret_cast<UNSIGNED8*>(nom), &len, ADS_RTRIM),
                AE_SUCCESS);
        }
        if (at < 0) at = -1;
        if (at >= kRows) at = kRows;
    }
}

TEST_F(WindowTest, AGridAroundAWrittenRowNeedsNoFurtherRequest) {
    ASSERT_EQ(AdsGotoTop(index_), AE_SUCCESS);
    ASSERT_EQ(AdsSkip(index_, 60), AE_SUCCESS);
    ASSERT_EQ(AdsAppendRecord(table_), AE_SUCCESS);
    ASSERT_EQ(AdsSetString(table_, "Nom", "mm", 2), AE_SUCCESS);
    roundTripsSinceLastCall();
    ASSERT_EQ(AdsWriteRecord(table_), AE_SUCCESS);
    EXPECT_EQ(roundTripsSinceLastCall(), 1u);
    // As a grid fills itself: back half a screen, then forward a screen.
    for (int i = 0; i < 12; ++i) ASSERT_EQ(AdsSkip(index_, -1), AE_SUCCESS);
    for (int i = 0; i < 25; ++i) ASSERT_EQ(AdsSkip(index_, 1), AE_SUCCESS);
    EXPECT_EQ(roundTripsSinceLastCall(), 0u);

    // A move beyond the rows read goes to the server, once.
    uint32_t here = current();
    ASSERT_EQ(AdsSkip(index_, 1000), AE_SUCCESS);
    UNSIGNED16 eof = 0;
    AdsAtEOF(table_, &eof);
    EXPECT_EQ(eof, 1);
    EXPECT_EQ(roundTripsSinceLastCall(), 1u);
    ASSERT_EQ(AdsGotoRecord(table_, here), AE_SUCCESS);
    EXPECT_EQ(current(), here);
}

TEST_F(WindowTest, RowsAreReadAheadOnlyWhileTheyServeMoves) {
    auto write = [&](const char* nom) {
        ASSERT_EQ(AdsAppendRecord(table_), AE_SUCCESS);
        ASSERT_EQ(AdsSetString(table_, "Nom", nom, 2), AE_SUCCESS);
        ASSERT_EQ(AdsWriteRecord(table_), AE_SUCCESS);
    };
    ASSERT_EQ(AdsGotoTop(index_), AE_SUCCESS);
    for (const char* nom : {"ka", "kb", "kc", "kd"}) write(nom);  // nobody looks around them
    roundTripsSinceLastCall();
    // The first skip after them goes to the server, which reads ahead again for a grid.
    ASSERT_EQ(AdsSkip(index_, -1), AE_SUCCESS);
    EXPECT_EQ(roundTripsSinceLastCall(), 1u);
    for (int i = 0; i < 11; ++i) ASSERT_EQ(AdsSkip(index_, -1), AE_SUCCESS);
    for (int i = 0; i < 25; ++i) ASSERT_EQ(AdsSkip(index_, 1), AE_SUCCESS);
    EXPECT_EQ(roundTripsSinceLastCall(), 0u);
    write("ke");
    for (int i = 0; i < 12; ++i) ASSERT_EQ(AdsSkip(index_, -1), AE_SUCCESS);
    EXPECT_EQ(roundTripsSinceLastCall(), 1u);  // the write alone
}

}  // namespace
}  // namespace engine::testing
