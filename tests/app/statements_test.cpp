// statements_test.cpp: the lock search's statements and their order, character for
// character, against a recording double of the engine, including answers the real engine
// cannot give (a record with two owners). No widgets: the search's core alone.
#include <gtest/gtest.h>

#include <QObject>

#include "data/adscnnct.h"
#include "data/adstable.h"
#include "locksearch/collection.h"
#include "locksearch/components.h"
#include "locksearch/record_lookup.h"
#include "locksearch/result_table.h"
#include "tests/data/fake_engine.h"
#include "tests/ui/qt_print.h"

namespace {

using Table = FakeEngine::Table;

// The server's side: #UsersTableLocks exists once created, lock and owner answers by table
// file and record number.
class Statements : public ::testing::Test {
  protected:
    void SetUp() override {
        fake.onExecute = [this](const std::string& sql) -> std::shared_ptr<Table> {
            if (sql.starts_with("CREATE TABLE #UsersTableLocks")) {
                fake.tables["#UsersTableLocks"] = lockTable();
            } else if (sql.starts_with("Drop")) {
                fake.tables.erase("#UsersTableLocks");
            } else if (sql.find("sp_mgGetAllLocks") != std::string::npos) {
                auto t = std::make_shared<Table>();
                t->add("LockedRecNo", ADS_INTEGER, 4);
                for (int r : locked[sql])
                    t->addRow([&](QByteArray& row) { t->putInt(row, "LockedRecNo", r); });
                return t;
            } else if (sql.find("sp_mgGetLockOwner") != std::string::npos) {
                auto t = std::make_shared<Table>();
                t->add("UserName", ADS_STRING, 50).add("ConnNumber", ADS_INTEGER, 4);
                t->add("DictionaryUser", ADS_STRING, 50).add("Address", ADS_STRING, 30);
                t->add("LockType", ADS_STRING, 15).add("OSUserLoginName", ADS_STRING, 50);
                t->add("TSAddress", ADS_STRING, 30).add("ApplicationID", ADS_STRING, 70);
                for (const std::string& user : owners[sql])
                    t->addRow([&](QByteArray& row) {
                        t->putString(row, "UserName", user);
                        t->putString(row, "OSUserLoginName", "login-" + user);
                        t->putString(row, "ApplicationID", "app-" + user);
                    });
                return t;
            } else if (sql.starts_with("Select")) {
                auto t = std::make_shared<Table>();
                t->add("Code", ADS_INTEGER, 4);
                return t;
            }
            return nullptr;
        };
        locksearch::declareComponents(&owner, s);
        s.ManagementConn->SetConnectPath(QStringLiteral("D:/Base/Compta.add"));
        d.DictionaryName = QStringLiteral("Compta");
        d.DictionaryPath = QStringLiteral("D:/Base/Compta.add");
        d.TrimmedPath = QStringLiteral("D:/Base/");
    }
    static std::shared_ptr<Table> lockTable() {
        auto t = std::make_shared<Table>();
        t->add("DictionaryName", ADS_CISTRING, 25).add("DictionaryPath", ADS_CISTRING, 100);
        t->add("TableName", ADS_CISTRING, 25).add("TablePath", ADS_CISTRING, 100);
        t->add("UserName", ADS_CISTRING, 50).add("OsUserLoginName", ADS_CISTRING, 50);
        t->add("ApplicationID", ADS_CISTRING, 70).add("LockedRecNo", ADS_INTEGER, 4);
        t->indexes = {{"UserName", {"UserName"}}, {"OsUserLoginName", {"OsUserLoginName"}}};
        return t;
    }
    // The statements prepared since the last clearCalls, as sent.
    std::vector<std::string> statements() const {
        std::vector<std::string> out;
        for (const std::string& c : fake.callsTo("AdsPrepareSQLW(")) {
            const size_t open = c.find(",[");
            out.push_back(c.substr(open + 2, c.size() - open - 4));
        }
        return out;
    }
    std::string row(int i, const char* column) const {
        const Table& t = *fake.tables.at("#UsersTableLocks");
        return t.find(column)->type == ADS_INTEGER ? std::to_string(t.getInt(t.rows.at(i), column))
                                                   : t.getString(t.rows.at(i), column);
    }

    FakeEngine fake;
    QObject owner;
    locksearch::Components s;
    locksearch::ChosenDictionary d;
    std::map<std::string, std::vector<int>> locked;          // by statement
    std::map<std::string, std::vector<std::string>> owners;  // by statement
};

TEST_F(Statements, TheResultTableIsCreatedDirectlyFirstThenDroppedAndCreated) {
    fake.clearCalls();
    locksearch::recreateResultTable(s);  // the probe fails: created without a word
    EXPECT_TRUE(s.UsersTableLocks->Active());
    const std::vector<std::string> first = statements();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0],
              "CREATE TABLE #UsersTableLocks (\r\n    DictionaryName CIChar(25),\r\n"
              "\t  DictionaryPath CIChar(100),\r\n\t  TableName CIChar(25),\r\n"
              "\t  TablePath CIChar(100),\r\n\t  UserName CIChar(50),\r\n"
              "\t  OsUserLoginName CIChar(50),\r\n\t  ApplicationID CIChar(70),\r\n"
              "\t  LockedRecNo Integer );\r\n\r\n"
              "Create Index UserName on #UsersTableLocks(UserName);\r\n"
              "Create Index OsUserLoginName on #UsersTableLocks(OsUserLoginName);\r\n");
    EXPECT_EQ(fake.callsTo("AdsOpenTable90").size(), 2u) << "the failed probe, then the open";

    fake.clearCalls();
    locksearch::recreateResultTable(s);
    EXPECT_EQ(statements(),
              (std::vector<std::string>{"Drop\r\nTable\r\n#UsersTableLocks;\r\n", first[0]}));
    EXPECT_EQ(fake.callsTo("AdsOpenTable90").size(), 2u) << "the probe, then the open";
    EXPECT_TRUE(s.UsersTableLocks->Active());
}

TEST_F(Statements, TheCollectionSendsTwoStatementsPerLockAndKeepsARecordsFirstOwner) {
    struct Case {
        QString table;
        std::string file;  // as it stands in the literals
    } const cases[] = {{"Clients", "D:/Base/Clients.adt"}, {"O'Brien", "D:/Base/O''Brien.adt"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table.toStdString());
        const std::string all = "EXECUTE PROCEDURE sp_mgGetAllLocks('" + c.file + " ');\r\n";
        const std::string owner42 =
            "EXECUTE PROCEDURE sp_mgGetLockOwner( '" + c.file + "',42);\r\n";
        const std::string owner7 = "EXECUTE PROCEDURE sp_mgGetLockOwner( '" + c.file + "',7);\r\n";
        locked = {{all, {42, 7}}};
        owners = {{owner42, {"PC-1", "PC-2"}}, {owner7, {}}};  // 7: its owner left meanwhile
        locksearch::recreateResultTable(s);
        fake.clearCalls();
        locksearch::TrouverLocksParTable(s, d, c.table, nullptr);
        EXPECT_EQ(statements(), (std::vector<std::string>{all, owner42, owner7}));
        ASSERT_EQ(fake.tables["#UsersTableLocks"]->rows.size(), 1u);
        EXPECT_EQ(row(0, "UserName"), "PC-1");
        EXPECT_EQ(row(0, "OsUserLoginName"), "login-PC-1");
        EXPECT_EQ(row(0, "ApplicationID"), "app-PC-1");
        EXPECT_EQ(row(0, "LockedRecNo"), "42");
        EXPECT_EQ(row(0, "TableName"), c.table.toStdString());
        EXPECT_EQ(row(0, "TablePath"), "D:/Base/" + c.table.toStdString() + ".adt");
        EXPECT_EQ(row(0, "DictionaryPath"), "D:/Base/Compta.add");
        EXPECT_EQ(row(0, "DictionaryName"), "Compta");
    }

    // A table without locks asks for no owner.
    locked.clear();
    fake.clearCalls();
    locksearch::TrouverLocksParTable(s, d, QStringLiteral("Produits"), nullptr);
    EXPECT_EQ(statements(),
              std::vector<std::string>{
                  "EXECUTE PROCEDURE sp_mgGetAllLocks('D:/Base/Produits.adt ');\r\n"});
}

TEST_F(Statements, TheRecordLookupReplacesLinesTwoAndFiveAndDelimitsAnUnusualName) {
    locksearch::recreateResultTable(s);
    struct Case {
        QString table;
        int recNo;
        QString line2, line5;
    } const cases[] = {
        {"Clients", 42, "Clients", " 'AAAAAq' "},
        {"Clients", 1, "Clients", " 'AAAAAB' "},
        {"Clients", 64, "Clients", " 'AAAABA' "},
        {"Zone's VIP", 2, "[Zone's VIP]", " 'AAAAAC' "},
        {"x] ; DROP", 3, "[x]] ; DROP]", " 'AAAAAD' "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table.toStdString());
        s.UsersTableLocks->Append();
        s.UsersTableLocks->FieldByName(QStringLiteral("TableName"))->SetAsString(c.table);
        s.UsersTableLocks->FieldByName(QStringLiteral("LockedRecNo"))->SetAsInteger(c.recNo);
        s.UsersTableLocks->Post();
        locksearch::lookUpLockedRecord(*s.QChercherRecordParRowID, c.table, c.recNo);
        EXPECT_EQ(s.QChercherRecordParRowID->SQL().Lines(),
                  QStringList({"Select X.*, X.RowID", "From", c.line2, "as X",
                               "Where Right(X.RowID,6) =", c.line5}));
    }
}

}  // namespace
