// TAdsQuery: text sent as lines, statement options, handle reuse, parameters, cursors.
#include <gtest/gtest.h>

#include "data/adscnnct.h"
#include "data/adserror.h"
#include "data/adstable.h"
#include "fake_engine.h"

namespace {

using Table = FakeEngine::Table;

class QueryTest : public testing::Test {
  protected:
    void SetUp() override {
        conn.SetConnectPath(QStringLiteral("/d/x.add"));
        q.setObjectName(QStringLiteral("Q"));
        q.SetAdsConnection(&conn);
        result->add("LockedRecNo", ADS_INTEGER, 4);
        fake.onExecute = [this](const std::string& sql) {
            return sql.find("SELECT") != std::string::npos ||
                           sql.find("sp_mgGetAllLocks") != std::string::npos
                       ? result
                       : nullptr;
        };
    }

    FakeEngine fake;
    std::shared_ptr<Table> result = std::make_shared<Table>();
    TAdsConnection conn{nullptr};
    TAdsQuery q{nullptr};
};

TEST_F(QueryTest, EveryLineReachesTheEngineWithCrLfAndTheStatementOptionsInOrder) {
    q.SQL().Add(QStringLiteral("//Ligne par programmation"));
    q.SQL().Add(QStringLiteral("EXECUTE PROCEDURE sp_mgGetAllLocks('x');"));
    q.SQL().Set(1, QStringLiteral("EXECUTE PROCEDURE sp_mgGetAllLocks('D:/Base/Clients.adt ');"));
    const std::string text =
        "//Ligne par programmation\r\nEXECUTE PROCEDURE sp_mgGetAllLocks('D:/Base/Clients.adt "
        "');\r\n";
    EXPECT_EQ(fake.callsTo("AdsGetSQLStmtParams").back(),
              "AdsGetSQLStmtParams([" + text + "]," + std::to_string(text.size() + 1) + ")");
    q.Open();
    std::string s = std::to_string(q.StatementHandle());
    std::vector<std::string> expected = {"AdsStmtSetTableLockType(" + s + ",1)",
                                         "AdsStmtSetTableCollation(" + s + ",\"ANSI\")",
                                         "AdsStmtSetTableRights(" + s + ",1)",
                                         "AdsStmtSetTableReadOnly(" + s + ",1)",
                                         "AdsStmtSetTableType(" + s + ",3)",
                                         "AdsStmtConstrainUpdates(" + s + ",2)",
                                         "AdsStmtReadAllColumns(" + s + ",2)",
                                         "AdsPrepareSQLW(" + s + ",[" + text + "])",
                                         "AdsExecuteSQL(" + s + ",&)"};
    auto first = std::find(fake.calls.begin(), fake.calls.end(), expected.front());
    ASSERT_NE(first, fake.calls.end());
    EXPECT_EQ(std::vector<std::string>(first, first + long(expected.size())), expected);
    EXPECT_TRUE(q.Active());
}

TEST_F(QueryTest, TheStatementIsCreatedOnceAndRevalidatedAtEachExecution) {
    q.SQL().Add(QStringLiteral("SELECT 1"));
    q.Open();
    q.SQL().Set(0, QStringLiteral("SELECT 2"));
    EXPECT_FALSE(q.Active()) << "changing the text closes the query";
    q.Open();
    EXPECT_EQ(fake.callsTo("AdsCreateSQLStatement").size(), 1u);
    EXPECT_EQ(fake.callsTo("AdsGetHandleType").size(), 1u);
    EXPECT_EQ(fake.callsTo("AdsPrepareSQLW").back(),
              "AdsPrepareSQLW(" + std::to_string(q.StatementHandle()) + ",[SELECT 2\r\n])");
    q.Close();
    EXPECT_NE(q.StatementHandle(), TAdsDataSet::kNoHandle) << "Close keeps the statement";
    conn.Disconnect();
    EXPECT_EQ(q.StatementHandle(), TAdsDataSet::kNoHandle);
    q.Open();
    EXPECT_EQ(fake.callsTo("AdsCreateSQLStatement").size(), 2u);
}

TEST_F(QueryTest, TheStatementOptionsAreSentAgainOnlyWhenChangedOrOnANewStatement) {
    q.SQL().Add(QStringLiteral("SELECT 1"));
    auto reopen = [&] {
        q.Close();
        fake.clearCalls();
        q.Open();
        return fake.callsTo("AdsStmt");
    };
    q.Open();
    EXPECT_EQ(reopen(), std::vector<std::string>{}) << "the statement keeps what it was given";
    q.RequestLive = true;
    const std::string s = std::to_string(q.StatementHandle());
    const std::vector<std::string> live = reopen();
    ASSERT_EQ(live.size(), 7u);
    EXPECT_EQ(live[3], "AdsStmtSetTableReadOnly(" + s + ",2)");
    conn.Disconnect();
    EXPECT_EQ(reopen().size(), 7u) << "a new statement is given every option";

    // Options refused halfway are all sent again at the next execution.
    q.Close();
    q.RequestLive = false;
    fake.failNext("AdsStmtReadAllColumns", 5000, "refused");
    EXPECT_THROW(q.Open(), EADSDatabaseError);
    EXPECT_EQ(reopen().size(), 7u);
}

TEST_F(QueryTest, OpenOfAStatementWithoutRowsFailsAndExecSqlRunsIt) {
    q.SQL().Assign(
        {QStringLiteral("Drop"), QStringLiteral("Table"), QStringLiteral("#UsersTableLocks;")});
    try {
        q.Open();
        FAIL();
    } catch (const EADSDatabaseError& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("Q: The SQL statement did not generate a cursor handle.  Use "
                                 "TAdsQuery.ExecSQL to execute SQL statements that are not "
                                 "SELECT statements"));
        EXPECT_EQ(e.ACEErrorCode(), 5121u);
    }
    EXPECT_FALSE(q.Active());
    q.ExecSQL();
    EXPECT_EQ(q.RowsAffected(), -1);
    fake.statementRowCount = 3;
    q.ExecSQL();
    EXPECT_EQ(q.RowsAffected(), 3);
    EXPECT_FALSE(q.Active());
}

TEST_F(QueryTest, ExecSqlClosesAnyCursorAndAnActiveQueryCannotExecute) {
    q.SQL().Add(QStringLiteral("SELECT 1"));
    q.ExecSQL();
    EXPECT_EQ(fake.callsTo("AdsCloseTable").size(), 1u);
    q.Open();
    try {
        q.ExecSQL();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(
            e.message(),
            QStringLiteral(
                "Q: Impossible d'effectuer cette opération sur un ensemble de données ouvert"));
    }
}

TEST_F(QueryTest, AFailureNaming7209ClosesTheStatement) {
    q.SQL().Add(QStringLiteral("SELECT 1"));
    fake.failNext("AdsExecuteSQL", 7209, "Error 7209: statement closed");
    EXPECT_THROW(q.Open(), EADSDatabaseError);
    EXPECT_EQ(fake.callsTo("AdsCloseSQLStatement").size(), 1u);
    EXPECT_EQ(q.StatementHandle(), TAdsDataSet::kNoHandle);
    fake.failNext("AdsExecuteSQL", 7200, "Error 7200: NativeError = 2121;");
    EXPECT_THROW(q.ExecSQL(), EADSDatabaseError);
    EXPECT_NE(q.StatementHandle(), TAdsDataSet::kNoHandle) << "other failures keep it";
}

TEST_F(QueryTest, ParametersAreScannedFromTheTextAndSentEmpty) {
    struct Case {
        QString text;
        QStringList names;
    } cases[] = {
        {"SELECT * FROM t WHERE a = :p1", {"p1"}},
        {"WHERE a=':notparam' AND b = \":nor\" AND c = `:this` AND d = :x", {"x"}},
        {"SELECT 'a::b', c::d FROM t", {}},
        {"WHERE a = :\"quoted name\" AND b = :'other'", {"quoted name", "other"}},
        {"(:a,:b);:c\r\n:d e)", {"a", "b", "c", "d"}},
        {"WHERE x = :a\t=1", {"a\t=1"}},
        {"WHERE x = :a OR y = :A", {"a"}},
        {"Prefix 'Cette ligne :ok' :", {}},
    };
    for (const Case& c : cases) {
        q.SQL().Assign({c.text});
        QStringList names;
        for (int i = 0; i < q.Params().Count(); ++i) names << q.Params()[i].Name;
        EXPECT_EQ(names, c.names) << c.text.toStdString();
    }
    q.SQL().Assign({QStringLiteral("SELECT * FROM t WHERE a = :p1 AND b = :p2")});
    q.Open();
    std::string s = std::to_string(q.StatementHandle());
    EXPECT_EQ(fake.callsTo("AdsSetEmpty"),
              (std::vector<std::string>{"AdsSetEmpty(" + s + ",#1)", "AdsSetEmpty(" + s + ",#2)"}));
}

TEST_F(QueryTest, ParameterValuesAreCarriedOverAndBoundByType) {
    q.SQL().Assign({QStringLiteral("SELECT :n, :s")});
    q.ParamByName(QStringLiteral("n")).DataType = TFieldType::ftInteger;
    q.ParamByName(QStringLiteral("n")).Value = 42;
    q.SQL().Assign({QStringLiteral("SELECT :s, :n")});
    q.ParamByName(QStringLiteral("s")).DataType = TFieldType::ftBoolean;
    q.ParamByName(QStringLiteral("s")).Value = true;
    q.Open();
    std::string s = std::to_string(q.StatementHandle());
    EXPECT_EQ(fake.callsTo("AdsSetLogical").at(0), "AdsSetLogical(" + s + ",#1,1)");
    EXPECT_EQ(fake.callsTo("AdsSetString").at(0), "AdsSetString(" + s + ",#2,\"42\",2)");
    q.Close();
    q.ParamByName(QStringLiteral("s")).DataType = TFieldType::ftUnknown;
    try {
        q.Open();
        FAIL();
    } catch (const EADSDatabaseError& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral(
                      "Q: The field named: 's' has the DataType of ftUnknown, which is invalid."));
    }
}

TEST_F(QueryTest, ALineIndexOutsideTheTemplateRaisesAListErrorAndChangesNothing) {
    q.SQL().Assign({QStringLiteral("SELECT 1"), QStringLiteral("FROM T")});
    const size_t calls = fake.calls.size();
    for (int index : {2, -1}) {
        try {
            q.SQL().Set(index, QStringLiteral("x"));
            ADD_FAILURE() << index;
        } catch (const EStringListError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Index de liste hors limites (%1)").arg(index));
            EXPECT_EQ(e.className(), QStringLiteral("EStringListError"));
        }
    }
    EXPECT_EQ(q.SQL().Lines(), QStringList({QStringLiteral("SELECT 1"), QStringLiteral("FROM T")}));
    EXPECT_EQ(fake.calls.size(), calls) << "nothing reaches the engine";
}

TEST_F(QueryTest, AnEngineRefusalOfTheTextFailsTheLineReplacement) {
    q.SQL().Add(QStringLiteral("SELECT 1"));
    fake.failNext("AdsGetSQLStmtParams", 7200, "bad text");
    EXPECT_THROW(q.SQL().Set(0, QStringLiteral("SELEC")), EADSDatabaseError);
}

}  // namespace
