// Navigation checked against a model: random steps in record order and index orders, with
// and without AOFs; record counts; seeks with raw keys; AOF and filter getters.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "engine/core/table.h"
#include "engine/include/engine_api.h"
#include "engine/record/raw_key.h"
#include "engine/record/record.h"
#include "tests/engine/core/core_fixture.h"

namespace engine::testing {
namespace {

class NavigationTest : public CoreTest {
  protected:
    void SetUp() override {
        CoreTest::SetUp();
        s_ = connect();
        sql(*s_,
            "CREATE TABLE #T (K Integer, S CIChar(6));"
            "CREATE INDEX ByK ON #T(K); CREATE INDEX ByKDesc ON #T(K) DESC;"
            "CREATE INDEX ByS ON #T(S);");
        info_ = open(*s_, "#T");
        std::mt19937 rng(7);
        for (uint32_t r = 1; r <= 60; ++r) {
            int32_t k = static_cast<int32_t>(rng() % 40) - 10;
            std::string sv = "x" + std::to_string(rng() % 7);
            WriteRequest w;
            w.append = true;
            uint8_t raw[4];
            record::putU32(raw, static_cast<uint32_t>(k));
            w.columns = {
                {0, ColumnWrite::Kind::Bytes, std::string(reinterpret_cast<char*>(raw), 4)},
                {1, ColumnWrite::Kind::Bytes, sv}};
            if (r % 13 == 0) w.columns[0].kind = ColumnWrite::Kind::Null;
            Position p;
            ASSERT_TRUE(s_->writeRecord(info_.handle, w, &p).ok());
            keys_[r] = r % 13 == 0 ? INT32_MIN : k;
            texts_[r] = sv;
        }
    }
    Handle index(const std::string& name) {
        for (const IndexInfo& i : info_.indexes)
            if (i.name == name) return i.handle;
        return 0;
    }
    // The visible records in the order of `order` ("" record order, else an index name).
    std::vector<uint32_t> expectedOrder(const std::string& order,
                                        const std::function<bool(uint32_t)>& keep) {
        std::vector<uint32_t> v;
        for (const auto& [r, k] : keys_)
            if (keep(r)) v.push_back(r);
        if (order == "ByK" || order == "ByKDesc")
            std::stable_sort(v.begin(), v.end(),
                             [&](uint32_t a, uint32_t b) { return keys_[a] < keys_[b]; });
        if (order == "ByKDesc") std::reverse(v.begin(), v.end());
        return v;
    }
    std::unique_ptr<Session> s_;
    CursorInfo info_;
    std::map<uint32_t, int32_t> keys_;
    std::map<uint32_t, std::string> texts_;
};

// Random top/bottom/skip/goto steps compared with a vector model of the order.
void walk(Session& s, Handle h, const std::vector<uint32_t>& order, uint32_t seed) {
    std::mt19937 rng(seed);
    long pos = -1;  // -1: BOF; order.size(): EOF
    const long n = static_cast<long>(order.size());
    Position p;
    ASSERT_TRUE(s.gotoBof(h, &p).ok());
    bool both = false;  // on an empty order, top and bottom set BOF and EOF; skips keep them
    for (int step = 0; step < 400; ++step) {
        int op = static_cast<int>(rng() % 5);
        if (op <= 1) both = n == 0;
        if (op == 0) {
            ASSERT_TRUE(s.gotoTop(h, &p).ok());
            pos = n ? 0 : n;
        } else if (op == 1) {
            ASSERT_TRUE(s.gotoBottom(h, &p).ok());
            pos = n ? n - 1 : n;
        } else if (op == 2 && n) {
            long target = static_cast<long>(rng() % n);
            ASSERT_TRUE(s.gotoRecord(h, order[target], &p).ok());
            pos = target;
        } else {
            int32_t k = static_cast<int32_t>(rng() % 7) - 3;
            ASSERT_TRUE(s.skip(h, k, &p).ok());
            if (k > 0 && pos < n) pos = std::min(n, std::max(pos, -1L) + k);
            if (k < 0 && pos >= 0) pos = std::max(-1L, pos + k);
        }
        bool eof = pos >= n, bof = pos < 0;
        if (both) bof = eof = true;
        ASSERT_EQ(p.eof, eof) << "step " << step << " op " << op;
        ASSERT_EQ(p.bof, bof) << "step " << step << " op " << op;
        if (!eof && !bof) {
            ASSERT_EQ(p.recordNumber, order[pos]) << "step " << step;
            ASSERT_TRUE(p.visible);
        }
    }
}

TEST_F(NavigationTest, RandomStepsFollowEveryOrderWithAndWithoutAof) {
    struct Filter {
        const char* aof;
        std::function<bool(uint32_t)> keep;
    };
    const std::vector<Filter> filters = {
        {nullptr, [](uint32_t) { return true; }},
        // An empty number compares as 0 in the filter language.
        {"K < 5 .AND. K > -5",
         [&](uint32_t r) { return keys_[r] == INT32_MIN || (keys_[r] < 5 && keys_[r] > -5); }},
        {"S = 'X3'", [&](uint32_t r) { return texts_[r] == "x3"; }},
        {"S = 'nothing'", [](uint32_t) { return false; }},
        // Few matches: index order is then found among the matches, not by walking it.
        {"S = 'X3' .AND. K > 20",
         [&](uint32_t r) { return texts_[r] == "x3" && keys_[r] != INT32_MIN && keys_[r] > 20; }},
    };
    uint32_t seed = 1;
    for (const Filter& f : filters) {
        if (f.aof) {
            ASSERT_TRUE(s_->setAof(info_.handle, f.aof).ok()) << f.aof;
        }
        for (const char* order : {"", "ByK", "ByKDesc"}) {
            Handle h = *order ? index(order) : info_.handle;
            SCOPED_TRACE(std::string(order) + " / " + (f.aof ? f.aof : "no AOF"));
            walk(*s_, h, expectedOrder(order, f.keep), seed++);
        }
        uint32_t count = 0;
        ASSERT_TRUE(s_->recordCount(info_.handle, ADS_RESPECTFILTERS, &count).ok());
        EXPECT_EQ(count, expectedOrder("", f.keep).size());
        ASSERT_TRUE(
            s_->recordCount(info_.handle, ADS_IGNOREFILTERS | ADS_REFRESHCOUNT, &count).ok());
        EXPECT_EQ(count, 60u);
        ASSERT_TRUE(s_->clearAof(info_.handle).ok());
    }
}

TEST_F(NavigationTest, AofFollowsWritesAndTheExactSetting) {
    std::string text;
    EXPECT_EQ(s_->aof(info_.handle, &text).code, AE_NO_FILTER);
    EXPECT_EQ(s_->setAof(info_.handle, "S = ").code, AE_INVALID_ARGUMENT);
    EXPECT_EQ(s_->aof(info_.handle, &text).code, AE_NO_FILTER);
    ASSERT_TRUE(s_->setAof(info_.handle, "S = 'X'").ok());
    ASSERT_TRUE(s_->aof(info_.handle, &text).ok());
    EXPECT_EQ(text, "S = 'X'");
    uint32_t count = 0;
    ASSERT_TRUE(s_->setExact(info_.handle, true).ok());
    ASSERT_TRUE(s_->recordCount(info_.handle, ADS_RESPECTFILTERS, &count).ok());
    EXPECT_EQ(count, 0u);  // whole values: no row holds just "x"
    ASSERT_TRUE(s_->setExact(info_.handle, false).ok());
    ASSERT_TRUE(s_->recordCount(info_.handle, ADS_RESPECTFILTERS, &count).ok());
    EXPECT_EQ(count, 60u);  // prefix: every row starts with "x"

    // A row written after the AOF was set is seen by the next move.
    ASSERT_TRUE(s_->setExact(info_.handle, true).ok());
    ASSERT_TRUE(s_->setAof(info_.handle, "S = 'new'").ok());
    Position p;
    ASSERT_TRUE(s_->gotoTop(info_.handle, &p).ok());
    EXPECT_TRUE(p.eof);
    WriteRequest w;
    w.append = true;
    w.columns = {{1, ColumnWrite::Kind::Bytes, "NEW"}};
    ASSERT_TRUE(s_->writeRecord(info_.handle, w, &p).ok());
    ASSERT_TRUE(s_->gotoTop(info_.handle, &p).ok());
    EXPECT_EQ(p.recordNumber, 61u);
    // A record moved to by number outside the AOF is there but not visible.
    ASSERT_TRUE(s_->gotoRecord(info_.handle, 3, &p).ok());
    EXPECT_FALSE(p.visible);
    EXPECT_EQ(s_->gotoRecord(info_.handle, 62, &p).code, AE_INVALID_RECORD_NUMBER);
    bool result = false;
    ASSERT_TRUE(s_->evalLogical(info_.handle, "S = '" + texts_[3] + "'", &result).ok());
    EXPECT_TRUE(result);
    ASSERT_TRUE(s_->clearAof(info_.handle).ok());
    EXPECT_EQ(s_->aof(info_.handle, &text).code, AE_NO_FILTER);

    // Filter and AOF together: both must pass.
    ASSERT_TRUE(s_->setAof(info_.handle, "K > 0").ok());
    ASSERT_TRUE(s_->setFilter(info_.handle, "K < 10").ok());
    ASSERT_TRUE(s_->filter(info_.handle, &text).ok());
    ASSERT_TRUE(s_->recordCount(info_.handle, ADS_RESPECTFILTERS, &count).ok());
    EXPECT_EQ(count,
              static_cast<uint32_t>(std::count_if(keys_.begin(), keys_.end(), [](const auto& e) {
                  return e.second > 0 && e.second < 10;
              })));
    ASSERT_TRUE(s_->gotoBof(info_.handle, &p).ok());
    EXPECT_EQ(s_->evalLogical(info_.handle, "K > 0", &result).code, AE_NO_CURRENT_RECORD);
}

TEST_F(NavigationTest, SeekWithRawKeys) {
    auto keyFor = [&](int32_t k) {
        uint8_t raw[4];
        record::putU32(raw, static_cast<uint32_t>(k));
        std::string key;
        EXPECT_TRUE(record::appendKeySegmentFromBytes(
                        info_.columns()[0], std::string(reinterpret_cast<char*>(raw), 4), true, key)
                        .ok());
        return key;
    };
    std::vector<uint32_t> byK = expectedOrder("ByK", [](uint32_t) { return true; });
    int32_t present = keys_[byK[30]];
    uint32_t firstWithIt =
        *std::find_if(byK.begin(), byK.end(), [&](uint32_t r) { return keys_[r] == present; });
    bool found = false;
    Position p;
    ASSERT_TRUE(s_->seek(index("ByK"), keyFor(present), ADS_SOFTSEEK, &found, &p).ok());
    EXPECT_TRUE(found);
    EXPECT_EQ(p.recordNumber, firstWithIt);

    // Soft seek of a missing key stops at the next one; hard seek goes to EOF.
    int32_t missing = 1000;
    for (int32_t k = -10; k < 30; ++k)
        if (std::none_of(keys_.begin(), keys_.end(),
                         [&](const auto& e) { return e.second == k; })) {
            missing = k;
            break;
        }
    ASSERT_NE(missing, 1000);
    ASSERT_TRUE(s_->seek(index("ByK"), keyFor(missing), ADS_SOFTSEEK, &found, &p).ok());
    EXPECT_FALSE(found);
    ASSERT_FALSE(p.eof);
    EXPECT_GT(keys_[p.recordNumber], missing);
    ASSERT_TRUE(s_->seek(index("ByK"), keyFor(missing), ADS_HARDSEEK, &found, &p).ok());
    EXPECT_TRUE(p.eof);
    ASSERT_TRUE(s_->seek(index("ByK"), keyFor(5000), ADS_SOFTSEEK, &found, &p).ok());
    EXPECT_TRUE(p.eof);

    // A partial text key matches on its own length, without regard to case (CIChar).
    std::string partial;
    ASSERT_TRUE(record::appendKeySegmentFromBytes(info_.columns()[1], "X", false, partial).ok());
    ASSERT_TRUE(s_->seek(index("ByS"), partial, ADS_SOFTSEEK, &found, &p).ok());
    EXPECT_TRUE(found);
    EXPECT_EQ(s_->seek(info_.handle, partial, ADS_SOFTSEEK, &found, &p).code, AE_INVALID_HANDLE);
}

TEST_F(NavigationTest, UniqueIndexRefusesADuplicateKey) {
    sql(*s_, "CREATE TABLE #U (K Integer); CREATE UNIQUE INDEX UK ON #U(K);");
    CursorInfo u = open(*s_, "#U");
    EXPECT_EQ(u.indexes[0].flags & ADS_INDEX_UNIQUE, ADS_INDEX_UNIQUE);
    WriteRequest w;
    w.append = true;
    w.columns = {{0, ColumnWrite::Kind::Bytes, std::string("\x05\0\0\0", 4)}};
    Position p;
    ASSERT_TRUE(s_->writeRecord(u.handle, w, &p).ok());
    EXPECT_EQ(s_->writeRecord(u.handle, w, &p).code, AE_UNIQUE_VIOLATION);
    uint32_t count = 0;
    ASSERT_TRUE(s_->recordCount(u.handle, ADS_IGNOREFILTERS, &count).ok());
    EXPECT_EQ(count, 1u);
}

TEST(ConditionalIndex, HoldsOnlyTheRecordsItsConditionAccepts) {
    std::shared_ptr<Table> t;
    ColumnDef k;
    k.name = "K";
    k.type = ColumnType::Integer;
    ASSERT_TRUE(Table::createInMemory({k}, &t).ok());
    ASSERT_EQ(t->addIndex({"Bad", {"K"}, 0, "K >"}).code, AE_INVALID_ARGUMENT);
    auto put = [&](uint32_t recno, int32_t v) {
        std::string image = t->blankImage();
        record::putU32(reinterpret_cast<uint8_t*>(image.data()), static_cast<uint32_t>(v));
        uint32_t written = 0;
        ASSERT_TRUE(t->write(recno, image, {}, &written).ok());
    };
    put(0, 5);
    put(0, 50);
    ASSERT_TRUE(t->addIndex({"Big", {"K"}, 0, "K > 10"}).ok());
    const Index& big = t->index(0);
    EXPECT_EQ(big.entries.size(), 1u);
    put(0, 70);  // enters
    put(2, 1);   // leaves
    put(1, 20);  // enters
    std::vector<uint32_t> recnos;
    for (const auto& e : big.entries) recnos.push_back(e.second);
    EXPECT_EQ(recnos, (std::vector<uint32_t>{1, 3}));

    // A unique index with a condition compares only the keys it holds.
    ASSERT_TRUE(t->addIndex({"UniqueBig", {"K"}, ADS_INDEX_UNIQUE, "K > 10"}).ok());
    put(0, 1);  // a second 1, outside the condition
    std::string image = t->blankImage();
    record::putU32(reinterpret_cast<uint8_t*>(image.data()), 70);
    uint32_t written = 0;
    EXPECT_EQ(t->write(0, image, {}, &written).code, AE_UNIQUE_VIOLATION);
}

}  // namespace
}  // namespace engine::testing
