// round_trips_test.cpp: the lock search through the layer costs the engine's round trips it
// is built for: one per owner statement, one per Locate, one per Append + Post.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <QVariantList>

#include "data/ace.h"
#include "data/adscnnct.h"
#include "data/adstable.h"
#include "engine/include/engine_client.h"
#include "tests/data/engine_fixture.h"

namespace {

// Round trips the client library the layer loaded has made since the last call.
uint32_t roundTripsSinceLastCall() {
    static uint32_t last = 0;
    void* lib = dlopen(ace::libraryPath().toLocal8Bit().constData(), RTLD_NOW | RTLD_NOLOAD);
    auto get = lib ? reinterpret_cast<decltype(&EngineGetRoundTrips)>(dlsym(lib, "EngineGetRoundTrips"))
                   : nullptr;
    UNSIGNED32 now = 0;
    if (get) get(&now);
    if (lib) dlclose(lib);
    return now - std::exchange(last, now);
}

TEST(RoundTrips, TheLockSearchCostsOneRoundTripPerStatementAndPerLocateOrPost) {
    e2e::Engine engine;
    ASSERT_TRUE(engine.start()) << engine.error();
    TAdsConnection conn(nullptr), holder(nullptr);
    e2e::connectAsAdmin(conn, engine.dictionary);
    e2e::connectAsAdmin(holder, engine.dictionary);
    TAdsQuery q(nullptr);
    q.SetAdsConnection(&conn);
    q.SQL().Assign({QStringLiteral("CREATE TABLE Clients (Nom CIChar(20));"),
                    QStringLiteral("INSERT INTO Clients VALUES ('a'), ('b'), ('c');")});
    q.ExecSQL();
    TAdsTable held(nullptr);
    held.SetAdsConnection(&holder);
    held.SetTableName(QStringLiteral("Clients"));
    held.Open();
    for (uint32_t recNo : {1u, 3u}) ASSERT_EQ(ace::api().AdsLockRecord(held.Handle(), recNo), AE_SUCCESS);

    q.SQL().Assign(e2e::kCreateUsersTableLocks);
    q.ExecSQL();
    TAdsTable locks(nullptr);
    locks.SetAdsConnection(&conn);
    locks.SetTableName(QStringLiteral("#UsersTableLocks"));
    locks.Open();
    locks.SetIndexName(QStringLiteral("UserName"));

    // The owner statements as the search runs them: one query, its text changed each time.
    const QString path = engine.folder.filePath(QStringLiteral("Clients.adt"));
    TAdsQuery owners(nullptr);
    owners.SetAdsConnection(&conn);
    owners.SQL().Assign({QStringLiteral("//Ligne par programmation")});
    for (int recNo : {1, 3, 1}) {
        roundTripsSinceLastCall();
        owners.Close();
        owners.SQL().Set(0, QStringLiteral("EXECUTE PROCEDURE sp_mgGetLockOwner( '") + path +
                                QStringLiteral("',") + QString::number(recNo) + QStringLiteral(");"));
        owners.Open();
        ASSERT_EQ(owners.RecordCount(), 1);
        QStringList users;
        for (owners.First(); !owners.Eof(); owners.Next()) {
            users << owners.FieldByName(QStringLiteral("UserName"))->AsString();
        }
        EXPECT_EQ(users.size(), 1);
        EXPECT_EQ(roundTripsSinceLastCall(), 1u) << "owner statement of record " << recNo;

        // The row it finds goes into the result table: a Locate, and when new, an Append
        // with its column writes and a Post.
        const bool found = locks.Locate(QStringLiteral("TableName;LockedRecNo"),
                                        QVariantList{QStringLiteral("Clients"), recNo}, 0);
        EXPECT_EQ(roundTripsSinceLastCall(), 1u) << "Locate of record " << recNo;
        EXPECT_EQ(found, recNo == 1 && locks.RecordCount() == 2);
        roundTripsSinceLastCall();
        if (found) continue;
        locks.Append();
        locks.FieldByName(QStringLiteral("TableName"))->SetAsString(QStringLiteral("Clients"));
        locks.FieldByName(QStringLiteral("UserName"))->SetAsString(users.value(0));
        locks.FieldByName(QStringLiteral("LockedRecNo"))->SetAsInteger(recNo);
        locks.Post();
        EXPECT_EQ(roundTripsSinceLastCall(), 1u) << "Append + Post of record " << recNo;
    }
    EXPECT_EQ(locks.RecordCount(), 2);
}

}  // namespace
