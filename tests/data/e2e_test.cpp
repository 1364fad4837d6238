// The layer against the real engine: enginesrv on a private socket, libengine.so loaded
// from the executable's folder as the tool loads it.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>

#include "data/adscnnct.h"
#include "data/adserror.h"
#include "data/adstable.h"
#include "rtl/string_list.h"
#include "tests/data/engine_fixture.h"

namespace {

class EndToEnd : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        engine_ = new e2e::Engine();
        ASSERT_TRUE(engine_->start()) << engine_->error();
        server_ = &engine_->server;
        dir_ = &engine_->folder;
        dictionary_ = engine_->dictionary;
    }
    static void TearDownTestSuite() { delete engine_; }
    void SetUp() override {
        ASSERT_TRUE(server_ && server_->running());
        conn.setObjectName(QStringLiteral("ManagementConn"));
        e2e::connectAsAdmin(conn, dictionary_);
        for (TAdsDataSet* ds : {static_cast<TAdsDataSet*>(&q), static_cast<TAdsDataSet*>(&locks)}) {
            ds->SetAdsConnection(&conn);
            ds->AdsTableOptions().AdsFilterOptions = TAdsFilterOptions::RESPECT_WHEN_COUNTING;
            ds->AdsTableOptions().AdsScopeOptions = TAdsScopeOptions::RESPECT_SCOPES_WHEN_COUNTING;
        }
        q.setObjectName(QStringLiteral("Q"));
        locks.setObjectName(QStringLiteral("UsersTableLocks"));
        locks.SetTableName(QStringLiteral("#UsersTableLocks"));
    }
    void exec(const QStringList& lines) {
        q.Close();
        q.SQL().Assign(lines);
        q.ExecSQL();
    }
    void createLocks() {
        exec(e2e::kCreateUsersTableLocks);
        locks.Open();
    }
    void append(const QString& table, const QString& user, const QString& login, int recNo) {
        locks.Append();
        locks.FieldByName(QStringLiteral("TableName"))->SetAsString(table);
        locks.FieldByName(QStringLiteral("UserName"))->SetAsString(user);
        locks.FieldByName(QStringLiteral("OsUserLoginName"))->SetAsString(login);
        locks.FieldByName(QStringLiteral("ApplicationID"))->SetAsString(QString());
        locks.FieldByName(QStringLiteral("LockedRecNo"))->SetAsInteger(recNo);
        locks.Post();
    }
    bool locate(const QString& table, int recNo) {
        return locks.Locate(QStringLiteral("TableName;LockedRecNo"), QVariantList{table, recNo}, 0);
    }
    QString field(TDataSet& ds, const char* name) {
        return ds.FieldByName(QString::fromLatin1(name))->AsString();
    }

    static e2e::Engine* engine_;
    static testsupport::ServerProcess* server_;
    static QTemporaryDir* dir_;
    static QString dictionary_;
    TAdsConnection conn{nullptr};
    TAdsQuery q{nullptr};
    TAdsTable locks{nullptr};
};

e2e::Engine* EndToEnd::engine_ = nullptr;
testsupport::ServerProcess* EndToEnd::server_ = nullptr;
QTemporaryDir* EndToEnd::dir_ = nullptr;
QString EndToEnd::dictionary_;

TEST_F(EndToEnd, RefusedConnectionsRaiseTheEngineErrorWithoutPrefix) {
    struct Case {
        QString path, password;
        const char* address;
    } cases[] = {
        {dir_->filePath(QStringLiteral("Missing.add")), "kor5382", nullptr},
        {dictionary_, "wrong", nullptr},
        {dictionary_, "kor5382", "unix:/nonexistent/brevantis.sock"},
    };
    for (const Case& c : cases) {
        if (c.address) setenv("BREVANTIS_ENGINE_ADDRESS", c.address, 1);
        TAdsConnection other(nullptr);
        try {
            e2e::connectAsAdmin(other, c.path, c.password);
            ADD_FAILURE() << c.path.toStdString();
        } catch (const EADSDatabaseError& e) {
            EXPECT_NE(e.ACEErrorCode(), 0u);
            EXPECT_FALSE(e.message().isEmpty());
            EXPECT_FALSE(e.message().startsWith(QStringLiteral("ManagementConn")));
        }
        EXPECT_FALSE(other.IsConnected());
        server_->serveThisProcess();
    }
}

TEST_F(EndToEnd, TemporaryTableIsCreatedProbedAndDropped) {
    EXPECT_THROW(locks.Open(), EADSDatabaseError) << "not created yet";
    EXPECT_FALSE(locks.Active());
    createLocks();
    EXPECT_EQ(locks.RecordCount(), 0);
    locks.Close();
    locks.Open();
    locks.Close();
    exec({QStringLiteral("Drop"), QStringLiteral("Table"), QStringLiteral("#UsersTableLocks;")});
    EXPECT_EQ(q.RowsAffected(), -1);
    q.Close();
    q.SQL().Assign(
        {QStringLiteral("Drop"), QStringLiteral("Table"), QStringLiteral("#UsersTableLocks;")});
    EXPECT_THROW(q.Open(), EADSDatabaseError);
    EXPECT_THROW(locks.Open(), EADSDatabaseError);
}

TEST_F(EndToEnd, CommentLinesAndCrLfReachTheEngine) {
    exec({QStringLiteral("CREATE TABLE Lignes (Nom CIChar(20), N Integer);"),
          QStringLiteral("INSERT INTO Lignes (Nom, N) VALUES ('un', 1);")});
    q.Close();
    q.SQL().Assign({QStringLiteral("//Ligne par programmation"), QStringLiteral("SELECT Nom, N"),
                    QStringLiteral("-- a comment"), QStringLiteral("FROM Lignes WHERE N = 1")});
    q.Open();
    EXPECT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(field(q, "Nom"), QStringLiteral("un"));
    q.SQL().Set(1, QStringLiteral("SELECT N"));
    EXPECT_FALSE(q.Active());
    q.Open();
    EXPECT_EQ(q.FieldCount(), 1);
    exec({QStringLiteral("DROP TABLE Lignes;")});
}

TEST_F(EndToEnd, EveryColumnTypeReadsBackWithNulls) {
    exec({QStringLiteral(
              "CREATE TABLE Types (c CIChar(10), s Char(10), i Integer, si ShortInt, l Logical,"),
          QStringLiteral(
              " d Double, n Numeric(8,2), dt Date, tm Time, ts TimeStamp, a AutoInc, m Money);"),
          QStringLiteral("INSERT INTO Types (c, s, i, si, l, d, n, dt, tm, ts, m) VALUES"),
          QStringLiteral(" ('Abc', 'Zoé  ', -5, 7, TRUE, 2.5, 12.25, '2026-12-10', '13:45:30',"),
          QStringLiteral("  '2026-12-10 13:45:30', 12.3456);"),
          QStringLiteral("INSERT INTO Types (c) VALUES (NULL);")});
    q.Close();
    q.SQL().Assign({QStringLiteral("SELECT * FROM Types")});
    q.Open();
    ASSERT_EQ(q.RecordCount(), 2);
    q.First();
    const char* names[] = {"c", "s", "i", "si", "l", "d", "n", "dt", "tm", "ts", "a", "m"};
    QStringList first, second;
    for (const char* n : names) first << field(q, n);
    EXPECT_EQ(first, QStringList({"Abc", "Zoé", "-5", "7", "True", "2.5", "12.25", "10/12/2026",
                                  "13:45:30", "10/12/2026 13:45:30", "1", "12.3456"}));
    EXPECT_EQ(q.FieldByName(QStringLiteral("dt"))->AsDateTime().date(), QDate(2026, 12, 10));
    q.Next();
    for (const char* n : names) {
        if (QByteArray(n) == "a") continue;
        EXPECT_TRUE(q.FieldByName(QString::fromLatin1(n))->IsNull()) << n;
    }
    q.Close();
    exec({QStringLiteral("DROP TABLE Types;")});
}

TEST_F(EndToEnd, AppendPostLocateAndOrder) {
    createLocks();
    locks.SetIndexName(QStringLiteral("UserName"));
    EXPECT_FALSE(locate(QStringLiteral("Inventaire"), 123)) << "empty table";
    append(QStringLiteral("Inventaire"), QStringLiteral("Martin"), QStringLiteral("b"), 123);
    append(QStringLiteral("Clients"), QStringLiteral("Albert"), QStringLiteral("c"), 7);
    append(QStringLiteral("Dupont\"s"), QStringLiteral("Zoe"), QStringLiteral("a"), 1);
    append(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), QStringLiteral("Long"),
           QStringLiteral("d"), 2);
    EXPECT_EQ(locks.RecordCount(), 4);
    EXPECT_TRUE(locate(QStringLiteral("inventaire"), 123));
    EXPECT_EQ(field(locks, "UserName"), QStringLiteral("Martin"));
    EXPECT_FALSE(locate(QStringLiteral("Inventaire"), 12));
    EXPECT_FALSE(locate(QStringLiteral("Inv"), 123));
    EXPECT_EQ(field(locks, "UserName"), QStringLiteral("Martin")) << "not found keeps the position";
    EXPECT_TRUE(locate(QStringLiteral("Dupont\"s"), 1));
    EXPECT_EQ(field(locks, "UserName"), QStringLiteral("Zoe"));
    EXPECT_TRUE(locate(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), 2));
    EXPECT_EQ(field(locks, "TableName"), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY"));

    EXPECT_TRUE(locate(QStringLiteral("Clients"), 7));
    locks.SetIndexName(QStringLiteral("OsUserLoginName"));
    EXPECT_EQ(field(locks, "UserName"), QStringLiteral("Albert")) << "the current row stays";
    QStringList logins;
    for (locks.First(); !locks.Eof(); locks.Next()) logins << field(locks, "OsUserLoginName");
    EXPECT_EQ(logins, QStringList({"a", "b", "c", "d"}));
    locks.Close();
    locks.Open();
    QStringList users;
    for (locks.First(); !locks.Eof(); locks.Next()) users << field(locks, "UserName");
    EXPECT_EQ(users, QStringList({"Zoe", "Martin", "Albert", "Long"}));
}

TEST_F(EndToEnd, AnEngineTextLongerThanTheBufferReachesTheUserCut) {
    const QString name = QString(700, u'x');
    q.Close();
    q.SQL().Assign({QStringLiteral("SELECT * FROM [") + name + u']'});
    try {
        q.Open();
        ADD_FAILURE() << "opened";
    } catch (const EADSDatabaseError& e) {
        EXPECT_EQ(e.message().size(), QStringLiteral("Q: ").size() + 600)
            << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("xxxxxxxx")));
    }
}

TEST_F(EndToEnd, BookmarksIdentifyRecordsHoweverTheyAreReached) {
    createLocks();
    locks.SetIndexName(QStringLiteral("UserName"));
    EXPECT_TRUE(locks.Bookmark().isEmpty()) << "no record";
    append(QStringLiteral("Clients"), QStringLiteral("Martin"), QStringLiteral("b"), 1);
    append(QStringLiteral("Clients"), QStringLiteral("Albert"), QStringLiteral("a"), 2);
    const QByteArray albert = locks.Bookmark();
    locks.Append();
    EXPECT_TRUE(locks.Bookmark().isEmpty()) << "a record being inserted";
    locks.FieldByName(QStringLiteral("TableName"))->SetAsString(QStringLiteral("Clients"));
    locks.FieldByName(QStringLiteral("UserName"))->SetAsString(QStringLiteral("Zoe"));
    locks.FieldByName(QStringLiteral("LockedRecNo"))->SetAsInteger(3);
    locks.Post();
    const QByteArray zoe = locks.Bookmark();
    locks.First();
    EXPECT_EQ(locks.Bookmark(), albert) << "First in user order";
    locks.Next();
    const QByteArray martin = locks.Bookmark();
    EXPECT_FALSE(martin.isEmpty());
    EXPECT_NE(martin, albert);
    EXPECT_NE(martin, zoe);
    locks.SetIndexName(QStringLiteral("OsUserLoginName"));
    EXPECT_EQ(locks.Bookmark(), martin) << "an order switch keeps the record";
    EXPECT_TRUE(locate(QStringLiteral("Clients"), 3));
    EXPECT_EQ(locks.Bookmark(), zoe);
}

TEST_F(EndToEnd, TablesAreListedAndDisconnectClosesDataSets) {
    exec({QStringLiteral("CREATE TABLE Listee (N Integer);")});
    createLocks();
    rtl::StringList names;
    conn.GetTableNames(&names, QStringLiteral("ignored*"));
    EXPECT_TRUE(names.strings().contains(QStringLiteral("Listee")))
        << names.strings().join(u',').toStdString();
    EXPECT_FALSE(names.strings().contains(QStringLiteral("#UsersTableLocks")));
    exec({QStringLiteral("DROP TABLE Listee;")});
    conn.Disconnect();
    EXPECT_FALSE(locks.Active());
    e2e::connectAsAdmin(conn, dictionary_);
    EXPECT_THROW(locks.Open(), EADSDatabaseError)
        << "temporary tables live as long as their connection";
}

}  // namespace
