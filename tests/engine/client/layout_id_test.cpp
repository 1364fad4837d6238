// layout_id_test.cpp: EngineGetLayoutId names a result's layout: equal numbers only for equal
// columns, and the same number for the owner procedure's results, which the data-access
// layer reopens once per lock.
#include <string>
#include <vector>

#include "engine/core/session.h"
#include "engine/testing/in_process.h"
#include "tests/engine/client/client_fixture.h"

namespace engine::testing {
namespace {

// Each column's name, type and length, in order.
std::vector<std::string> columnsOf(ADSHANDLE cursor) {
    std::vector<std::string> out;
    UNSIGNED16 n = 0;
    AdsGetNumFields(cursor, &n);
    for (UNSIGNED16 i = 1; i <= n; ++i) {
        char name[130] = {};
        UNSIGNED16 nameLength = 129;
        UNSIGNED16 type = 0;
        UNSIGNED32 length = 0;
        AdsGetFieldName(cursor, i, name, &nameLength);
        AdsGetFieldType(cursor, ADSFIELD(i), &type);
        AdsGetFieldLength(cursor, ADSFIELD(i), &length);
        out.push_back(std::string(name) + ":" + std::to_string(type) + ":" + std::to_string(length));
    }
    return out;
}

UNSIGNED32 layoutOf(ADSHANDLE cursor) {
    UNSIGNED32 id = 0;
    EXPECT_EQ(EngineGetLayoutId(cursor, &id), AE_SUCCESS) << lastErrorText();
    EXPECT_NE(id, 0u);
    return id;
}

TEST(LayoutId, EqualNumbersOnlyForEqualColumnsAndOneForEveryOwnerResult) {
    DictionaryFolder folder;
    Server core;
    useInProcessServer(core);
    ADSHANDLE conn = connectOrFail(folder.connectString());
    runSql(conn,
           "CREATE TABLE Clients (Nom CIChar(20), Ville CIChar(20));\r\n"
           "INSERT INTO Clients VALUES ('Martin', 'Lyon'), ('Bernard', 'Paris');");
    ADSHANDLE holder = connectOrFail(folder.connectString());
    ADSHANDLE held = 0;
    ASSERT_EQ(AdsOpenTable90(holder, "Clients", nullptr, 0, ADS_ANSI, ADS_PROPRIETARY_LOCKING,
                             ADS_CHECKRIGHTS, 0, "ANSI", &held),
              AE_SUCCESS);
    ASSERT_EQ(AdsLockRecord(held, 1), AE_SUCCESS);
    ASSERT_EQ(AdsLockRecord(held, 2), AE_SUCCESS);
    const std::string path = folder.dir() + "/Clients.adt";

    // Results kept open together, so that no two share an address by chance.
    const std::vector<std::string> statements{
        "EXECUTE PROCEDURE sp_mgGetLockOwner( '" + path + "',1);",
        "EXECUTE PROCEDURE sp_mgGetLockOwner( '" + path + "',2);",
        "SELECT Nom, Ville FROM Clients WHERE Nom = 'Martin'",
        "SELECT Nom, Ville FROM Clients WHERE Nom = 'Bernard'",
        "SELECT Ville, Nom FROM Clients",
        "SELECT Nom FROM Clients",
        "SELECT Nom AS Ville, Ville AS Nom FROM Clients",
        "EXECUTE PROCEDURE sp_mgGetAllLocks('" + path + " ');",
    };
    std::vector<ADSHANDLE> cursors;
    for (const std::string& s : statements) {
        cursors.push_back(runSql(conn, s));
        ASSERT_NE(cursors.back(), 0u) << s;
    }
    EXPECT_EQ(layoutOf(cursors[0]), layoutOf(cursors[1])) << "the owner results";
    for (size_t a = 0; a < cursors.size(); ++a)
        for (size_t b = a + 1; b < cursors.size(); ++b)
            if (layoutOf(cursors[a]) == layoutOf(cursors[b])) {
                EXPECT_EQ(columnsOf(cursors[a]), columnsOf(cursors[b]))
                    << statements[a] << " and " << statements[b];
            }

    // A number stays its layout's after the results that shared it are closed.
    const UNSIGNED32 owners = layoutOf(cursors[1]);
    for (ADSHANDLE c : cursors) AdsCloseTable(c);
    ADSHANDLE again = runSql(conn, statements[4]);
    EXPECT_NE(layoutOf(again), owners);
    ADSHANDLE owner = runSql(conn, statements[0]);
    if (layoutOf(owner) == owners) {
        EXPECT_EQ(columnsOf(owner).size(), 8u);
    }
    UNSIGNED32 id = 0;
    EXPECT_EQ(EngineGetLayoutId(0, &id), AE_INVALID_HANDLE);

    AdsDisconnect(holder);
    AdsDisconnect(conn);
    stopUsingInProcessServer();
}

}  // namespace
}  // namespace engine::testing
