// TAdsTable: opening, default and chosen orders, Append and Post, read-only tables.
#include <gtest/gtest.h>

#include "data/adscnnct.h"
#include "data/adserror.h"
#include "data/adstable.h"
#include "fake_engine.h"

namespace {

using Table = FakeEngine::Table;

// The lock result table as the main window declares it.
class TableTest : public testing::Test {
  protected:
    void SetUp() override {
        conn.SetConnectPath(QStringLiteral("/d/Compta.add"));
        conn.Connect();
        locks->add("DictionaryName", ADS_CISTRING, 25)
            .add("DictionaryPath", ADS_CISTRING, 100)
            .add("TableName", ADS_CISTRING, 25)
            .add("TablePath", ADS_CISTRING, 100)
            .add("UserName", ADS_CISTRING, 50)
            .add("OsUserLoginName", ADS_CISTRING, 50)
            .add("ApplicationID", ADS_CISTRING, 70)
            .add("LockedRecNo", ADS_INTEGER, 4);
        locks->indexes = {{"UserName", {"UserName"}}, {"OsUserLoginName", {"OsUserLoginName"}}};
        fake.tables["#UsersTableLocks"] = locks;
        t.setObjectName(QStringLiteral("UsersTableLocks"));
        t.SetAdsConnection(&conn);
        t.SetTableName(QStringLiteral("#UsersTableLocks"));
    }
    void append(const QString& table, const QString& user, const QString& login, int recNo,
                const QString& app = QString()) {
        t.Append();
        t.FieldByName(QStringLiteral("DictionaryPath"))->SetAsAnsiString("/d/Compta");
        t.FieldByName(QStringLiteral("TableName"))->SetAsAnsiString(table.toLatin1());
        t.FieldByName(QStringLiteral("TablePath"))
            ->SetAsAnsiString("/d/" + table.toLatin1() + ".adt");
        t.FieldByName(QStringLiteral("UserName"))->SetAsAnsiString(user.toLatin1());
        t.FieldByName(QStringLiteral("OsUserLoginName"))->SetAsAnsiString(login.toLatin1());
        t.FieldByName(QStringLiteral("ApplicationID"))->SetAsAnsiString(app.toLatin1());
        t.FieldByName(QStringLiteral("LockedRecNo"))->SetAsInteger(recNo);
        t.Post();
    }

    FakeEngine fake;
    std::shared_ptr<Table> locks = std::make_shared<Table>();
    TAdsConnection conn{nullptr};
    TAdsTable t{nullptr};
};

TEST_F(TableTest, OpensTheTemporaryTableWithTheToolsArguments) {
    t.Open();
    std::string c = std::to_string(conn.ConnectionHandle());
    EXPECT_EQ(fake.callsTo("AdsOpenTable90").at(0),
              "AdsOpenTable90(" + c + ",\"#UsersTableLocks\",null,0,1,1,1,0,\"ANSI\",&)");
    EXPECT_EQ(fake.callsTo("AdsDDGetTableProperty").at(0),
              "AdsDDGetTableProperty(" + c + ",\"#UsersTableLocks\",213,&,200)");
    EXPECT_EQ(fake.callsTo("AdsGetTableCollation").at(0),
              "AdsGetTableCollation(" + std::to_string(t.Handle()) + ",&,100)");
    EXPECT_EQ(t.IndexName(), QString());
    EXPECT_TRUE(t.Eof());
}

TEST_F(TableTest, AMissingTableFailsTheOpenAndLeavesItClosed) {
    fake.tables.clear();
    EXPECT_THROW(t.Open(), EADSDatabaseError);
    EXPECT_FALSE(t.Active());
    fake.tables["#UsersTableLocks"] = locks;
    t.Open();
    EXPECT_TRUE(t.Active());
    try {
        t.SetTableName(QStringLiteral("Other"));
        FAIL();
    } catch (const EADSDatabaseError& e) {
        EXPECT_EQ(
            e.message(),
            QStringLiteral("UsersTableLocks: Cannot perform this operation on an open dataset"));
    }
}

TEST_F(TableTest, ATableNotInTheDictionaryIsOpenedAgainAsAFreeTable) {
    fake.failNext("AdsOpenTable90", AE_TABLE_NOT_IN_DICTIONARY, "not in dictionary");
    fake.tables["/d/#UsersTableLocks"] = locks;
    t.Open();
    auto opens = fake.callsTo("AdsOpenTable90");
    ASSERT_EQ(opens.size(), 2u);
    EXPECT_NE(opens[1].find("\"/d/#UsersTableLocks\",null,3,"), std::string::npos) << opens[1];
}

TEST_F(TableTest, AppendAndPostWriteTheSetColumnsInReverseOrder) {
    t.Open();
    fake.clearCalls();
    append(QStringLiteral("Inventaire"), QStringLiteral("Dupont"), QStringLiteral("jdupont"), 123);
    std::string h = std::to_string(t.Handle());
    std::vector<std::string> writes;
    for (const std::string& c : fake.calls)
        if (c.rfind("AdsAppendRecord", 0) == 0 || c.rfind("AdsSetField", 0) == 0 ||
            c.rfind("AdsSetEmpty", 0) == 0 || c.rfind("AdsWriteRecord", 0) == 0)
            writes.push_back(c);
    EXPECT_EQ(writes,
              (std::vector<std::string>{
                  "AdsAppendRecord(" + h + ")", "AdsSetFieldRaw(" + h + ",\"LockedRecNo\",123,4)",
                  "AdsSetField(" + h + ",\"ApplicationID\",[],70)",
                  "AdsSetField(" + h + ",\"OsUserLoginName\",[jdupont],50)",
                  "AdsSetField(" + h + ",\"UserName\",[Dupont],50)",
                  "AdsSetField(" + h + ",\"TablePath\",[/d/Inventaire.adt],100)",
                  "AdsSetField(" + h + ",\"TableName\",[Inventaire],25)",
                  "AdsSetField(" + h + ",\"DictionaryPath\",[/d/Compta],100)",
                  "AdsWriteRecord(" + h + ")"}))
        << "an empty ApplicationID goes as zero bytes through AdsSetField, DictionaryName not at "
           "all";
    EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(t.FieldByName(QStringLiteral("TableName"))->AsString(), QStringLiteral("Inventaire"));
    EXPECT_EQ(locks->rows.size(), 1u);
}

TEST_F(TableTest, ARepeatedPostAfterAFailedWriteAppendsOnce) {
    t.Open();
    t.Append();
    t.FieldByName(QStringLiteral("LockedRecNo"))->SetAsInteger(5);
    fake.failNext("AdsWriteRecord", AE_RECORD_LOCKED, "locked");
    EXPECT_THROW(t.Post(), EADSDatabaseError);
    EXPECT_EQ(t.State(), TDataSetState::dsInsert);
    EXPECT_EQ(t.FieldByName(QStringLiteral("LockedRecNo"))->AsInteger(), 5);
    t.Post();
    EXPECT_EQ(fake.callsTo("AdsAppendRecord").size(), 1u);
    EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
}

TEST_F(TableTest, LongValuesAreCutToTheFieldSize) {
    auto* name = new TStringField(&t, 25);
    name->SetFieldName(QStringLiteral("TableName"));
    name->SetDataSet(&t);
    t.Open();
    t.Append();
    name->SetAsString(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    t.Post();
    EXPECT_EQ(name->AsString(), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY"));
}

TEST_F(TableTest, ChangingTheOrderKeepsTheCurrentRowAndSurvivesCloseAndOpen) {
    t.Open();
    append(QStringLiteral("T"), QStringLiteral("Martin"), QStringLiteral("b"), 1);
    append(QStringLiteral("T"), QStringLiteral("Albert"), QStringLiteral("c"), 2);
    append(QStringLiteral("T"), QStringLiteral("Zoe"), QStringLiteral("a"), 3);
    t.First();
    t.Next();  // Albert, record 2
    t.SetIndexName(QStringLiteral("OsUserLoginName"));
    EXPECT_EQ(t.FieldByName(QStringLiteral("UserName"))->AsString(), QStringLiteral("Albert"));
    QStringList order;
    for (t.First(); !t.Eof(); t.Next())
        order << t.FieldByName(QStringLiteral("OsUserLoginName"))->AsString();
    EXPECT_EQ(order, QStringList({"a", "b", "c"}));
    t.Close();
    t.Open();
    order.clear();
    for (t.First(); !t.Eof(); t.Next())
        order << t.FieldByName(QStringLiteral("UserName"))->AsString();
    EXPECT_EQ(order, QStringList({"Zoe", "Martin", "Albert"}));
    EXPECT_THROW(t.SetIndexName(QStringLiteral("NoSuchIndex")), EADSDatabaseError);
    EXPECT_EQ(t.IndexName(), QStringLiteral("OsUserLoginName"));
}

TEST_F(TableTest, TheDictionaryDefaultIndexIsTakenAndDropped) {
    auto clients = std::make_shared<Table>();
    clients->add("Nom", ADS_STRING, 10);
    clients->indexes = {{"ParNom", {"Nom"}}};
    fake.tables["Clients"] = clients;
    fake.tables["Articles"] = clients;
    fake.defaultIndexes["Clients"] = "ParNom";
    TAdsTable chosen(nullptr);
    chosen.SetAdsConnection(&conn);
    chosen.SetTableName(QStringLiteral("Clients"));
    EXPECT_EQ(chosen.IndexName(), QStringLiteral("ADS_DEFAULT"));
    chosen.Open();
    EXPECT_EQ(fake.callsTo("AdsGetIndexHandle").back(),
              "AdsGetIndexHandle(" + std::to_string(chosen.Handle()) + ",\"ParNom\",&)");
    chosen.Close();
    chosen.SetTableName(QStringLiteral("Articles"));
    EXPECT_EQ(chosen.IndexName(), QString()) << "5138: no default index";
}

TEST_F(TableTest, AReadOnlyTableRefusesAppend) {
    t.SetReadOnly(true);
    t.Open();
    try {
        t.Append();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(
            e.message(),
            QStringLiteral(
                "UsersTableLocks: Impossible de modifier un ensemble de données en lecture seule"));
    }
    EXPECT_NE(fake.callsTo("AdsOpenTable90").at(0).find(",2,\"ANSI\""), std::string::npos);
}

}  // namespace
