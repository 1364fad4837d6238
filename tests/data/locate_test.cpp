// Locate: the optimized filter the tool's search sends, seeks, local scans, restoration.
#include <gtest/gtest.h>

#include "data/adscnnct.h"
#include "data/adserror.h"
#include "data/adstable.h"
#include "fake_engine.h"

namespace {

using Table = FakeEngine::Table;

class LocateTest : public testing::Test {
  protected:
    void SetUp() override {
        conn.SetConnectPath(QStringLiteral("/d/Compta.add"));
        locks->add("TableName", ADS_CISTRING, 25)
            .add("UserName", ADS_CISTRING, 50)
            .add("LockedRecNo", ADS_INTEGER, 4);
        locks->indexes = {{"UserName", {"UserName"}}};
        fake.tables["#UsersTableLocks"] = locks;
        t.setObjectName(QStringLiteral("UsersTableLocks"));
        t.SetAdsConnection(&conn);
        t.SetTableName(QStringLiteral("#UsersTableLocks"));
        t.SetIndexName(QStringLiteral("UserName"));
        auto* name = new TStringField(&t, 25);
        name->SetFieldName(QStringLiteral("TableName"));
        name->SetDataSet(&t);
        auto* user = new TStringField(&t, 50);
        user->SetFieldName(QStringLiteral("UserName"));
        user->SetDataSet(&t);
        auto* recNo = new TIntegerField(&t);
        recNo->SetFieldName(QStringLiteral("LockedRecNo"));
        recNo->SetDataSet(&t);
    }
    void add(const QString& table, const QString& user, int recNo) {
        t.Append();
        t.FieldByName(QStringLiteral("TableName"))->SetAsString(table);
        t.FieldByName(QStringLiteral("UserName"))->SetAsString(user);
        t.FieldByName(QStringLiteral("LockedRecNo"))->SetAsInteger(recNo);
        t.Post();
    }
    bool locate(const QString& table, int recNo, TLocateOptions options = 0) {
        fake.clearCalls();
        return t.Locate(QStringLiteral("TableName;LockedRecNo"), QVariantList{table, recNo},
                        options);
    }
    std::string h() const { return std::to_string(t.Handle()); }
    QString user() { return t.FieldByName(QStringLiteral("UserName"))->AsString(); }

    FakeEngine fake;
    std::shared_ptr<Table> locks = std::make_shared<Table>();
    TAdsConnection conn{nullptr};
    TAdsTable t{nullptr};
};

TEST_F(LocateTest, TheToolsSearchGoesThroughAnOptimizedFilterAndLeavesNoTrace) {
    t.Open();
    EXPECT_FALSE(locate(QStringLiteral("Inventaire"), 123));
    std::vector<std::string> filterCalls;
    for (const std::string& c : fake.calls)
        if (c.find("AOF") != std::string::npos || c.find("Filter") != std::string::npos ||
            c.find("Exact") != std::string::npos)
            filterCalls.push_back(c);
    EXPECT_EQ(filterCalls, (std::vector<std::string>{
                               "AdsGetAOF(" + h() + ",null,0)", "AdsGetFilter(" + h() + ",null,0)",
                               "AdsGetExact22(" + h() + ",&)", "AdsSetExact22(" + h() + ",1)",
                               "AdsSetAOF100(" + h() +
                                   ",[(TableName=\"Inventaire\") AND (LockedRecNo=123)],8194)",
                               "AdsSetExact22(" + h() + ",0)", "AdsClearAOF(" + h() + ")"}));
    EXPECT_TRUE(fake.callsTo("AdsSeek").empty()) << "the indexes do not lead with the key fields";
    EXPECT_EQ(fake.callsTo("AdsGetSegmentFieldname").at(0),
              "AdsGetSegmentFieldname(" + std::to_string(t.ActiveHandle()) + ",1,&,510)");
    EXPECT_EQ(fake.callsTo("AdsGotoBookmark").size(), 1u)
        << "not found: back to the saved position";
}

TEST_F(LocateTest, FindsWholeValuesWithoutRegardToLetterCase) {
    t.Open();
    add(QStringLiteral("Inventaire"), QStringLiteral("Dupont"), 123);
    add(QStringLiteral("Clients"), QStringLiteral("Martin"), 7);
    add(QStringLiteral("Dupont\"s"), QStringLiteral("Quote"), 1);
    add(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), QStringLiteral("Long"), 2);
    EXPECT_TRUE(locate(QStringLiteral("INVENTAIRE"), 123));
    EXPECT_EQ(user(), QStringLiteral("Dupont"));
    EXPECT_FALSE(locate(QStringLiteral("Inventaire"), 12));
    EXPECT_FALSE(locate(QStringLiteral("Inv"), 123)) << "exact matching: a prefix is not the value";
    EXPECT_EQ(user(), QStringLiteral("Dupont")) << "not found keeps the position";
    EXPECT_TRUE(locate(QStringLiteral("Dupont\"s"), 1));
    EXPECT_EQ(fake.callsTo("AdsSetAOF100").at(0),
              "AdsSetAOF100(" + h() +
                  ",[(TableName=\"Dupont\"+ Chr(34) + \"s\") AND (LockedRecNo=1)],8194)");
    EXPECT_EQ(user(), QStringLiteral("Quote"));
    EXPECT_TRUE(locate(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), 2));
    EXPECT_NE(fake.callsTo("AdsSetAOF100").at(0).find("\"ABCDEFGHIJKLMNOPQRSTUVWXY\")"),
              std::string::npos);
    EXPECT_EQ(user(), QStringLiteral("Long"));
}

TEST_F(LocateTest, OptionsAndFiltersAlreadySet) {
    t.Open();
    add(QStringLiteral("Clients"), QStringLiteral("Martin"), 7);
    EXPECT_TRUE(locate(QStringLiteral("cli"), 7,
                       int(TLocateOption::loCaseInsensitive) | int(TLocateOption::loPartialKey)));
    EXPECT_EQ(
        fake.callsTo("AdsSetAOF100").at(0),
        "AdsSetAOF100(" + h() + ",[(UPPER(TableName)=UPPER(\"cli\")) AND (LockedRecNo=7)],8194)");
    EXPECT_EQ(fake.callsTo("AdsSetExact22").at(0), "AdsSetExact22(" + h() + ",0)");

    // Only Locate sets these on its handle, so it asks for them once per open: each case
    // sets them on a freshly opened handle.
    t.Close();
    t.Open();
    fake.handle(t.Handle())->aof = "(LockedRecNo=7)";
    EXPECT_TRUE(locate(QStringLiteral("Clients"), 7));
    EXPECT_EQ(fake.callsTo("AdsSetFilter100").size(), 1u);
    EXPECT_NE(fake.callsTo("AdsSetFilter100").at(0).find(",8192)"), std::string::npos);
    EXPECT_EQ(fake.callsTo("AdsClearFilter").size(), 1u);
    EXPECT_TRUE(fake.callsTo("AdsClearAOF").empty());
    EXPECT_EQ(fake.handle(t.Handle())->aof, "(LockedRecNo=7)");

    t.Close();
    t.Open();
    fake.handle(t.Handle())->aof = "(LockedRecNo=7)";
    fake.handle(t.Handle())->filter = "(LockedRecNo=7)";
    EXPECT_TRUE(locate(QStringLiteral("Clients"), 7));
    EXPECT_TRUE(fake.callsTo("AdsSetFilter100").empty());
    EXPECT_EQ(fake.callsTo("AdsEvalLogicalExpr").at(0),
              "AdsEvalLogicalExpr(" + std::to_string(t.ActiveHandle()) +
                  ",\"(TableName=\"Clients\") AND (LockedRecNo=7)\",&)");
    EXPECT_TRUE(fake.callsTo("AdsClearFilter").empty());
}

TEST_F(LocateTest, AnIndexLeadingWithTheKeyFieldsIsSought) {
    locks->indexes.push_back({"ByLock", {"LockedRecNo", "TableName", "UserName"}});
    t.Open();
    fake.seekFound = true;
    EXPECT_TRUE(locate(QStringLiteral("Clients"), 7));
    ASSERT_EQ(fake.callsTo("AdsSeek").size(), 1u);
    EXPECT_NE(fake.callsTo("AdsBuildRawKey100").at(0).find(",&,4082,1)"), std::string::npos);
    EXPECT_NE(fake.callsTo("AdsSeek").at(0).find(",8,1,1,&)"), std::string::npos);
    EXPECT_TRUE(fake.callsTo("AdsSetAOF100").empty());
    EXPECT_EQ(fake.callsTo("AdsSetFieldRaw").size(), 1u);
    EXPECT_EQ(fake.callsTo("AdsSetField(").size(), 1u);
}

TEST_F(LocateTest, IndexesAreInspectedOncePerOpenCursor) {
    locks->indexes.push_back({"ByLock", {"LockedRecNo", "TableName", "UserName"}});
    t.Open();
    fake.seekFound = true;
    EXPECT_TRUE(locate(QStringLiteral("Clients"), 7));
    EXPECT_FALSE(fake.callsTo("AdsGetSegmentFieldname").empty());
    EXPECT_FALSE(fake.callsTo("AdsGetScope").empty());

    EXPECT_TRUE(locate(QStringLiteral("Clients"), 8));
    EXPECT_EQ(fake.callsTo("AdsSeek").size(), 1u) << "the same index answers";
    for (const char* asked : {"AdsGetAllIndexes", "AdsGetSegmentFieldname", "AdsGetScope",
                              "AdsGetIndexCondition", "AdsIsIndexCustom"})
        EXPECT_TRUE(fake.callsTo(asked).empty()) << asked << " asked again";

    // Reopened on as many indexes, none leading with the key: they are asked again.
    t.Close();
    locks->indexes.back() = {"ByUser", {"UserName", "TableName"}};
    t.Open();
    EXPECT_FALSE(locate(QStringLiteral("Clients"), 7)) << "the table has no rows";
    EXPECT_TRUE(fake.callsTo("AdsSeek").empty()) << "no index leads with the key any more";
    EXPECT_EQ(fake.callsTo("AdsSetAOF100").size(), 1u);
}

TEST_F(LocateTest, FailuresRestoreTheFilterStateAndUnknownFieldsAreNamed) {
    t.Open();
    fake.failNext("AdsGotoTop", 5000, "broken");
    EXPECT_THROW(locate(QStringLiteral("Clients"), 7), EADSDatabaseError);
    EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(fake.callsTo("AdsSetExact22").back(), "AdsSetExact22(" + h() + ",0)");
    EXPECT_EQ(fake.callsTo("AdsClearAOF").size(), 1u);
    try {
        t.Locate(QStringLiteral("TableName; Nope"), QVariantList{1, 2}, 0);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("UsersTableLocks: Champ 'Nope' non trouvé"));
    }
    t.Close();
    EXPECT_THROW(locate(QStringLiteral("Clients"), 7), EDatabaseError);
}

}  // namespace
