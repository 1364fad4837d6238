// TAdsDataSet over a query cursor: rows, record counts, persistent fields, failed opens.
#include <gtest/gtest.h>

#include "data/adscnnct.h"
#include "data/adserror.h"
#include "data/adstable.h"
#include "fake_engine.h"
#include "rtl/string_list.h"

namespace {

using Table = FakeEngine::Table;

class DataSetTest : public testing::Test {
  protected:
    void SetUp() override {
        conn.SetConnectPath(QStringLiteral("/d/x.add"));
        q.setObjectName(QStringLiteral("QTrouverUsersQuiBloquent"));
        q.SetAdsConnection(&conn);
        result->add("UserName", ADS_CISTRING, 50)
            .add("LockedRecNo", ADS_INTEGER, 4)
            .add("ApplicationID", ADS_STRING, 70);
        fake.onExecute = [this](const std::string&) { return result; };
        q.SQL().Add(QStringLiteral("EXECUTE PROCEDURE sp_mgGetLockOwner( 'x',1);"));
    }
    void addRow(const std::string& user, int recNo) {
        result->addRow([&](QByteArray& r) {
            result->putString(r, "UserName", user);
            result->putInt(r, "LockedRecNo", recNo);
        });
    }

    FakeEngine fake;
    std::shared_ptr<Table> result = std::make_shared<Table>();
    TAdsConnection conn{nullptr};
    TAdsQuery q{nullptr};
};

TEST_F(DataSetTest, ReadsEveryRowUntilEofAndKeepsTheLastOne) {
    addRow("Dupont", 12);
    addRow("Zo\xe9", 123);
    q.Open();
    EXPECT_EQ(q.State(), TDataSetState::dsBrowse);
    std::vector<std::pair<QString, int>> rows;
    for (q.First(); !q.Eof(); q.Next())
        rows.emplace_back(q.FieldByName(QStringLiteral("username"))->AsString(),
                          q.FieldByName(QStringLiteral("LockedRecNo"))->AsInteger());
    EXPECT_EQ(rows, (std::vector<std::pair<QString, int>>{{"Dupont", 12}, {"Zoé", 123}}));
    EXPECT_EQ(q.Fields(0)->AsString(), QStringLiteral("Zoé")) << "past the end, the last row stays";
    EXPECT_TRUE(q.Fields(2)->IsNull());
    EXPECT_EQ(q.Fields(2)->AsString(), QString());
    EXPECT_EQ(q.Fields(0)->AsAnsiString(), QByteArray("Zo\xe9"));
    auto* name = dynamic_cast<TAdsStringField*>(q.Fields(0));
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(name->CaseInsensitive());
    EXPECT_FALSE(dynamic_cast<TAdsStringField*>(q.Fields(2))->CaseInsensitive());
}

TEST_F(DataSetTest, OneRowIsReadWithItsEngineCallSequence) {
    addRow("Dupont", 12);
    q.Open();
    fake.clearCalls();
    q.Next();
    std::vector<std::string> names;
    for (const std::string& c : fake.calls) names.push_back(c.substr(0, c.find('(')));
    EXPECT_EQ(names, (std::vector<std::string>{"AdsSkip", "AdsAtEOF"}))
        << "past the only row the step stops at the end";
    names.clear();
    q.Close();
    q.Open();
    bool reading = false;
    for (const std::string& c : fake.calls) {
        if (c.rfind("AdsGotoBOF", 0) == 0) reading = true;
        if (reading) names.push_back(c.substr(0, c.find('(')));
    }
    // Reading forward asks for the end only; the bookmark gives the record number.
    ASSERT_GE(names.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 6),
              (std::vector<std::string>{"AdsGotoBOF", "AdsSkip", "AdsAtEOF", "AdsIsRecordVisible",
                                        "AdsGetRecord", "AdsGetBookmark60"}));
}

TEST_F(DataSetTest, AReopenedResultKeepsItsFieldsOnlyWhileItsColumnsStayTheSame) {
    addRow("Dupont", 12);
    q.Open();
    TField* user = q.FieldByName(QStringLiteral("UserName"));
    q.Close();
    fake.clearCalls();
    q.Open();
    EXPECT_EQ(q.FieldByName(QStringLiteral("UserName")), user) << "the same field, still bound";
    EXPECT_EQ(user->AsString(), QStringLiteral("Dupont"));
    EXPECT_TRUE(fake.callsTo("AdsGetColumnPermissions").empty()) << "columns described again";

    // Each result differs from the first in one column; the fields follow it.
    struct Change {
        const char* what;
        std::function<void(Table&)> columns;
    };
    const std::vector<Change> changes{
        {"renamed",
         [](Table& t) {
             t.add("Login", ADS_CISTRING, 50)
                 .add("LockedRecNo", ADS_INTEGER, 4)
                 .add("ApplicationID", ADS_STRING, 70);
         }},
        {"retyped",
         [](Table& t) {
             t.add("UserName", ADS_CISTRING, 50)
                 .add("LockedRecNo", ADS_STRING, 4)
                 .add("ApplicationID", ADS_STRING, 70);
         }},
        {"widened",
         [](Table& t) {
             t.add("UserName", ADS_CISTRING, 50)
                 .add("LockedRecNo", ADS_INTEGER, 4)
                 .add("ApplicationID", ADS_STRING, 80);
         }},
        {"one more",
         [](Table& t) {
             t.add("UserName", ADS_CISTRING, 50)
                 .add("LockedRecNo", ADS_INTEGER, 4)
                 .add("ApplicationID", ADS_STRING, 70)
                 .add("Extra", ADS_STRING, 1);
         }},
        {"as first",
         [](Table& t) {
             t.add("UserName", ADS_CISTRING, 50)
                 .add("LockedRecNo", ADS_INTEGER, 4)
                 .add("ApplicationID", ADS_STRING, 70);
         }},
    };
    for (const Change& change : changes) {
        q.Close();
        result = std::make_shared<Table>();
        change.columns(*result);
        q.Open();
        ASSERT_EQ(q.FieldCount(), int(result->columns.size())) << change.what;
        for (int i = 0; i < q.FieldCount(); ++i) {
            const FakeEngine::Column& column = result->columns[size_t(i)];
            EXPECT_EQ(q.Fields(i)->FieldName().toStdString(), column.name) << change.what;
            EXPECT_EQ(q.Fields(i)->DataType() == TFieldType::ftInteger, column.type == ADS_INTEGER)
                << change.what << " " << column.name;
            if (column.type == ADS_STRING) {
                EXPECT_EQ(q.Fields(i)->Size(), int(column.length)) << change.what;
            }
        }
    }
    try {
        q.Close();
        result = std::make_shared<Table>();
        changes.front().columns(*result);
        q.Open();
        q.FieldByName(QStringLiteral("UserName"));
        FAIL() << "a column no longer there is still found";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("QTrouverUsersQuiBloquent: Champ 'UserName' non trouvé"));
    }
}

TEST_F(DataSetTest, APersistentFieldWhoseColumnWentAwayFailsTheReopen) {
    auto* user = new TStringField(&q, 50);
    user->SetFieldName(QStringLiteral("UserName"));
    user->SetDataSet(&q);
    q.Open();
    q.Close();
    result = std::make_shared<Table>();
    result->add("Login", ADS_CISTRING, 50).add("LockedRecNo", ADS_INTEGER, 4);
    try {
        q.Open();
        FAIL() << "opened without its UserName column";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("QTrouverUsersQuiBloquent: Champ 'UserName' non trouvé"));
    }
    EXPECT_FALSE(q.Active());
}

TEST_F(DataSetTest, FirstReadsAStaticResultAgainOnlyOnceSomethingMoved) {
    addRow("Dupont", 12);
    addRow("Martin", 7);
    int scrolls = 0;
    q.AfterScroll = [&](TDataSet*) { ++scrolls; };
    auto first = [&] {
        fake.clearCalls();
        scrolls = 0;
        q.First();
        EXPECT_EQ(scrolls, 1);
        EXPECT_TRUE(q.Bof());
        EXPECT_EQ(q.FieldByName(QStringLiteral("UserName"))->AsString(), QStringLiteral("Dupont"));
        return fake.callsTo("AdsGotoBOF").size();
    };
    q.Open();
    EXPECT_EQ(first(), 0u) << "right after the open";
    EXPECT_TRUE(fake.calls.empty());
    q.Next();
    EXPECT_EQ(first(), 1u) << "after a move";
    EXPECT_EQ(first(), 0u) << "right after a First";
    q.Locate(QStringLiteral("UserName"), QStringLiteral("Martin"), 0);
    EXPECT_EQ(first(), 1u) << "after a Locate";

    q.Close();
    result->live = true;
    q.Open();
    EXPECT_EQ(first(), 1u) << "a live cursor's rows may have changed";
}

TEST_F(DataSetTest, AnEmptyResultIsAtEofAtOnce) {
    q.Open();
    EXPECT_TRUE(q.Eof());
    q.First();
    EXPECT_TRUE(q.Eof());
    int loops = 0;
    for (; !q.Eof(); q.Next()) ++loops;
    EXPECT_EQ(loops, 0);
    EXPECT_EQ(q.RecordCount(), 0);
}

TEST_F(DataSetTest, RecordCountOptionFollowsTheCountingOptions) {
    q.Open();
    auto countCall = [&] {
        fake.clearCalls();
        q.RecordCount();
        return fake.callsTo("AdsGetRecordCount").at(0);
    };
    std::string h = std::to_string(q.Handle());
    EXPECT_EQ(countCall(), "AdsGetRecordCount(" + h + ",2,&)");
    q.AdsTableOptions().AdsScopeOptions = TAdsScopeOptions::RESPECT_SCOPES_WHEN_COUNTING;
    EXPECT_EQ(countCall(), "AdsGetRecordCount(" + h + ",3,&)");
    q.AdsTableOptions().AdsFilterOptions = TAdsFilterOptions::RESPECT_WHEN_COUNTING;
    EXPECT_EQ(countCall(), "AdsGetRecordCount(" + h + ",1,&)");
    q.AdsTableOptions().AdsFreshRecordCount = true;
    EXPECT_EQ(countCall(), "AdsGetRecordCount(" + h + ",5,&)");
    q.Close();
    try {
        q.RecordCount();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("QTrouverUsersQuiBloquent: Impossible d'effectuer cette "
                                 "opération sur un ensemble de données fermé"));
    }
}

TEST_F(DataSetTest, PersistentFieldsAreBoundByNameWithTheirChecks) {
    addRow(std::string(50, 'u'), 7);
    auto* user = new TStringField(&q, 30);
    user->SetFieldName(QStringLiteral("USERNAME"));
    user->SetDataSet(&q);
    auto* app = new TStringField(&q, 80);
    app->SetFieldName(QStringLiteral("ApplicationID"));
    app->SetDataSet(&q);
    q.Open();
    EXPECT_EQ(q.FieldCount(), 2) << "only the declared fields are reachable";
    EXPECT_EQ(user->Size(), 30);
    EXPECT_EQ(app->Size(), 70) << "narrowed to its column";
    EXPECT_EQ(user->AsString().size(), 50) << "reads are never cut to Size";
    q.Close();
    EXPECT_EQ(q.FieldCount(), 2);

    struct Case {
        TField* field;
        QString message;
    } cases[] = {
        {new TIntegerField(&q), "QTrouverUsersQuiBloquent: Champ 'Missing' non trouvé"},
        {new TFloatField(&q),
         "QTrouverUsersQuiBloquent: Type inadéquat pour le champ 'LockedRecNo', attendu : Float "
         "actuel : Integer"},
        {new TBytesField(&q),
         "QTrouverUsersQuiBloquent: Type inadéquat pour le champ 'UserName', attendu : Bytes "
         "actuel : String"},
    };
    cases[0].field->SetFieldName(QStringLiteral("Missing"));
    cases[1].field->SetFieldName(QStringLiteral("LockedRecNo"));
    cases[2].field->SetFieldName(QStringLiteral("UserName"));
    for (const Case& c : cases) {
        c.field->SetDataSet(&q);
        try {
            q.Open();
            ADD_FAILURE() << c.message.toStdString();
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.message(), c.message);
        }
        EXPECT_FALSE(q.Active());
        EXPECT_EQ(q.Handle(), TAdsDataSet::kNoHandle);
        delete c.field;
    }
    EXPECT_EQ(fake.callsTo("AdsCloseTable").size(), 4u) << "each failed open closed its cursor";
}

TEST_F(DataSetTest, SizeMustMatchForBcdFields) {
    result->add("Amount", ADS_NUMERIC, 10, 2);
    auto* amount = new TBCDField(&q);
    amount->SetFieldName(QStringLiteral("Amount"));
    amount->SetSize(4);
    amount->SetDataSet(&q);
    try {
        q.Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("QTrouverUsersQuiBloquent: Taille inadéquate pour le "
                                              "champ 'Amount', attendue : 4 actuelle  : 2"));
    }
    amount->SetSize(2);
    q.Open();
    EXPECT_TRUE(amount->Currency()) << "a framework BCD field over any column is currency";
}

TEST_F(DataSetTest, AnUnknownColumnTypeFailsTheOpen) {
    result->add("Odd", 19, 4);
    try {
        q.Open();
        FAIL();
    } catch (const EADSDatabaseError& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("QTrouverUsersQuiBloquent: Unknown field type (19) encountered."));
        EXPECT_EQ(e.ACEErrorCode(), 5121u);
    }
    EXPECT_FALSE(q.Active());
}

TEST_F(DataSetTest, FieldNamesComeFromFieldsOrColumns) {
    TAdsTable t(nullptr);
    auto table = std::make_shared<Table>();
    table->add("Nom", ADS_STRING, 10).add("Code", ADS_INTEGER, 4);
    fake.tables["Clients"] = table;
    t.SetAdsConnection(&conn);
    t.SetTableName(QStringLiteral("Clients"));
    rtl::StringList names;
    t.GetFieldNames(names);
    EXPECT_EQ(names.strings(), QStringList({"Nom", "Code"}));
    EXPECT_FALSE(t.Active()) << "a closed table is opened for the names and closed again";
}

}  // namespace
