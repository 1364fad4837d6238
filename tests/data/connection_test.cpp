// TAdsConnection: the connection string, connect/disconnect order, table listing.
#include <gtest/gtest.h>

#include "data/adscnnct.h"
#include "data/adserror.h"
#include "data/adstable.h"
#include "fake_engine.h"
#include "rtl/string_list.h"

namespace {

std::string connectCall(const QString& path, const QString& user, const QString& password,
                        TAdsServerTypes types) {
    FakeEngine fake;
    TAdsConnection c(nullptr);
    c.SetConnectPath(path);
    c.Username = user;
    c.Password = password;
    c.AdsServerTypes = types;
    c.LoginPrompt = false;
    c.Connect();
    return fake.callsTo("AdsConnect101").at(0);
}

TEST(TAdsConnection, ConnectionStringByteForByte) {
    const QString dd = QStringLiteral("/data/Compta.add");
    const QString longPath = QString(296, u'x') + QStringLiteral(".add");
    struct Case {
        QString path, user, password;
        TAdsServerTypes types;
        std::string sent;
    } cases[] = {
        {dd,
         "adssys",
         "kor5382",
         {stADS_REMOTE},
         R"x(AdsConnect101("Data Source=/data/Compta.add;User ID=adssys;Password="kor5382";FIPS=False;ServerType=REMOTE;",null))x"},
        {dd,
         "adssys",
         "kor5382",
         {stADS_REMOTE, stADS_LOCAL},
         R"x(AdsConnect101("Data Source=/data/Compta.add;User ID=adssys;Password="kor5382";FIPS=False;ServerType=LOCAL|REMOTE;",null))x"},
        {dd,
         "adssys",
         "",
         {stADS_AIS, stADS_LOCAL, stADS_REMOTE},
         R"x(AdsConnect101("Data Source=/data/Compta.add;User ID=adssys;FIPS=False;ServerType=LOCAL|REMOTE|INTERNET;",null))x"},
        {dd,
         "",
         "kor5382",
         {},
         R"x(AdsConnect101("Data Source=/data/Compta.add;FIPS=False;",null))x"},
        {"/data/ROOT.ADD",
         "u",
         "p\"q",
         {},
         R"x(AdsConnect101("Data Source=/data/ROOT.ADD;User ID=u;Password="p"q";FIPS=False;",null))x"},
        {"/data/x__ROOTDD",
         "u",
         "",
         {},
         R"x(AdsConnect101("Data Source=/data/x__ROOTDD;User ID=u;FIPS=False;",null))x"},
        {"/data/tables",
         "adssys",
         "kor5382",
         {stADS_LOCAL},
         R"x(AdsConnect101("Data Source=/data/tables;FIPS=False;ServerType=LOCAL;",null))x"},
        {"/data/t.dbf",
         "adssys",
         "kor5382",
         {},
         R"x(AdsConnect101("Data Source=/data/t.dbf;FIPS=False;",null))x"},
        {"ad", "adssys", "kor5382", {}, R"x(AdsConnect101("Data Source=ad;FIPS=False;",null))x"},
        {longPath,
         "",
         "",
         {},
         "AdsConnect101(\"Data Source=" + std::string(255, 'x') + ";FIPS=False;\",null)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(connectCall(c.path, c.user, c.password, c.types), c.sent) << c.path.toStdString();
}

TEST(TAdsConnection, ConnectAndDisconnectAreIdempotent) {
    FakeEngine fake;
    TAdsConnection c(nullptr);
    c.Disconnect();
    EXPECT_TRUE(fake.calls.empty());
    c.SetConnectPath(QStringLiteral("/d/x.add"));
    c.Connect();
    uint32_t h = c.ConnectionHandle();
    c.Connect();
    EXPECT_EQ(fake.callsTo("AdsConnect101").size(), 1u);
    EXPECT_NE(h, 0u);
    EXPECT_THROW(c.SetConnectPath(QStringLiteral("/other.add")), AdsConnectionError);
    EXPECT_EQ(c.ConnectPath(), QStringLiteral("/d/x.add"));
    c.Disconnect();
    c.Disconnect();
    EXPECT_EQ(fake.callsTo("AdsDisconnect"),
              std::vector<std::string>{"AdsDisconnect(" + std::to_string(h) + ")"});
    EXPECT_EQ(c.ConnectionHandle(), 0u);
}

TEST(TAdsConnection, FailuresAndTheStateTheyLeave) {
    FakeEngine fake;
    TAdsConnection c(nullptr);
    try {
        c.Connect();
        FAIL();
    } catch (const AdsConnectionError& e) {
        EXPECT_EQ(
            e.message(),
            QStringLiteral("Must specify connection string before getting a server connection."));
    }
    c.SetConnectPath(QStringLiteral("/d/x.add"));
    fake.failNext("AdsConnect101", 5091, "Login failed");
    try {
        c.Connect();
        FAIL();
    } catch (const EADSDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Login failed"));
        EXPECT_EQ(e.ACEErrorCode(), 5091u);
    }
    EXPECT_FALSE(c.IsConnected());
    rtl::StringList names;
    EXPECT_THROW(c.GetTableNames(&names, QStringLiteral("*.adt")), AdsConnectionError);

    c.Connect();
    fake.failNext("AdsDisconnect", 5024, "Connection lost");
    try {
        c.Disconnect();
        FAIL();
    } catch (const AdsError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Connection lost"));
    }
    EXPECT_FALSE(c.IsConnected());
    EXPECT_EQ(c.ConnectionHandle(), 0u);
    c.SetConnectPath(QStringLiteral("/d/y.add"));
    c.Connect();
    EXPECT_EQ(fake.callsTo("AdsConnect101").size(), 3u);
}

TEST(TAdsConnection, GetTableNames) {
    FakeEngine fake;
    TAdsConnection dd(nullptr), free(nullptr);
    dd.SetConnectPath(QStringLiteral("/d/x.add"));
    free.SetConnectPath(QStringLiteral("/d/tables/"));
    dd.Connect();
    free.Connect();
    rtl::StringList names;
    dd.GetTableNames(&names, QStringLiteral("*.adt"));
    EXPECT_EQ(names.count(), 0) << "5059 at once: no table, no error";
    fake.tableNames = {"Clients", "Articles"};
    dd.GetTableNames(&names, QStringLiteral("*.adt"));
    dd.GetTableNames(&names, QString());
    EXPECT_EQ(names.strings(), QStringList({"Clients", "Articles", "Clients", "Articles"}));
    EXPECT_EQ(fake.callsTo("AdsFindFirstTable").front(), "AdsFindFirstTable(100,\"\",&,260,&)");
    EXPECT_EQ(fake.callsTo("AdsFindNextTable").front(), "AdsFindNextTable(100,102,&,260)");
    EXPECT_EQ(fake.callsTo("AdsFindClose").size(), 2u);

    fake.clearCalls();
    free.GetTableNames(&names, QStringLiteral("*.adt"));
    EXPECT_EQ(fake.callsTo("AdsFindFirstTable").front(),
              "AdsFindFirstTable(101,\"/d/tables/*.adt\",&,260,&)");

    rtl::StringList partial;
    fake.failNext("AdsFindNextTable", 5000, "broken");
    EXPECT_THROW(dd.GetTableNames(&partial, QString()), AdsError);
    EXPECT_EQ(partial.strings(), QStringList({"Clients"}));
    EXPECT_EQ(fake.callsTo("AdsFindClose").size(), 2u)
        << "the find handle is closed on failure too";
    dd.GetTableNames(nullptr, QString());
}

TEST(TAdsConnection, ConnectionPath) {
    FakeEngine fake;
    struct Case {
        const char* source;
        const char* path;
    } cases[] = {
        {"/data/Compta.add", "/data"},
        {"C:\\Data\\Compta.ADD", "C:\\Data"},
        {"Compta.Add", "./"},
        {"/data/tables", "/data/tables"},
        {".add", ".add"},
        {"/data/x__rootdd", "/data/x__rootdd"},
    };
    for (const Case& c : cases) {
        TAdsConnection conn(nullptr);
        conn.SetConnectPath(QString::fromUtf8(c.source));
        EXPECT_EQ(conn.GetConnectionPath(), QString::fromUtf8(c.path)) << c.source;
    }
}

TEST(TAdsConnection, DisconnectClosesBoundDataSetsAndDestructionUnbindsThem) {
    FakeEngine fake;
    auto t = std::make_shared<FakeEngine::Table>();
    t->add("A", ADS_INTEGER, 4);
    fake.tables["T"] = t;
    auto* c = new TAdsConnection(nullptr);
    c->SetConnectPath(QStringLiteral("/d/x.add"));
    TAdsTable a(nullptr), b(nullptr);
    a.SetAdsConnection(c);
    b.SetAdsConnection(c);
    EXPECT_EQ(c->GetDataSetCount(), 2);
    a.SetTableName(QStringLiteral("T"));
    a.Open();  // connects first
    EXPECT_TRUE(c->IsConnected());
    EXPECT_THROW(a.SetAdsConnection(nullptr), EADSDatabaseError);
    c->Disconnect();
    EXPECT_FALSE(a.Active());
    EXPECT_EQ(a.Handle(), TAdsDataSet::kNoHandle);
    a.Open();
    delete c;
    EXPECT_FALSE(a.Active());
    EXPECT_EQ(a.AdsConnection(), nullptr);
    EXPECT_EQ(b.AdsConnection(), nullptr);
}

}  // namespace
