// Record locks between connections, every way they are released, and the management
// procedures that report them.
#include "engine/core/locks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "engine/include/engine_api.h"
#include "tests/engine/core/core_fixture.h"

namespace engine::testing {
namespace {

class LocksTest : public CoreTest {
  protected:
    void SetUp() override {
        CoreTest::SetUp();
        admin_ = connect("adssys", "kor5382", "Brevantis");
        sql(*admin_,
            "CREATE TABLE Clients (Nom CIChar(20));"
            "INSERT INTO Clients (Nom) VALUES ('Dupont');"
            "INSERT INTO Clients (Nom) VALUES ('Martin');"
            "INSERT INTO Clients (Nom) VALUES ('Petit');");
        path_ = dir_ + "/Clients.adt";
    }
    std::vector<int32_t> allLocks(Session& s, const std::string& path) {
        SqlResult r = sql(s, "EXECUTE PROCEDURE sp_mgGetAllLocks('" + path + " ');", 100);
        std::vector<int32_t> out;
        for (const Position& p : r.rows) out.push_back(integer(r.cursor, p, "LockedRecNo"));
        return out;
    }
    SqlResult owners(Session& s, const std::string& path, uint32_t recno) {
        return sql(
            s,
            "EXECUTE PROCEDURE sp_mgGetLockOwner( '" + path + "'," + std::to_string(recno) + ");",
            100);
    }
    std::unique_ptr<Session> admin_;
    std::string path_;
};

TEST_F(LocksTest, AnotherConnectionCannotTakeAHeldLock) {
    auto a = connect("lecteur", "secret", "A");
    auto b = connect("lecteur", "secret", "B");
    CursorInfo ta = open(*a, "Clients");
    CursorInfo tb = open(*b, "Clients");
    ASSERT_TRUE(a->lockRecord(ta.handle, 2).ok());
    ASSERT_TRUE(a->lockRecord(ta.handle, 2).ok());  // again: still ours
    Status s = b->lockRecord(tb.handle, 2);
    EXPECT_EQ(s.code, AE_RECORD_LOCKED);
    EXPECT_FALSE(s.text.empty());
    ASSERT_TRUE(b->lockRecord(tb.handle, 3).ok());
    // A locked record cannot be written by another connection; its owner may.
    WriteRequest w;
    w.recordNumber = 2;
    w.columns = {{0, ColumnWrite::Kind::Bytes, "Durand"}};
    Position p;
    EXPECT_EQ(b->writeRecord(tb.handle, w, &p).code, AE_RECORD_LOCKED);
    EXPECT_TRUE(a->writeRecord(ta.handle, w, &p).ok());
    EXPECT_EQ(a->lockRecord(ta.handle, 99).code, AE_INVALID_RECORD_NUMBER);
    // Lock 0 is the current record.
    ASSERT_TRUE(a->gotoRecord(ta.handle, 1, &p).ok());
    ASSERT_TRUE(a->lockRecord(ta.handle, 0).ok());
    EXPECT_EQ(allLocks(*admin_, path_), (std::vector<int32_t>{1, 2, 3}));
}

TEST_F(LocksTest, EveryReleasePathFreesTheLock) {
    enum class Release { Unlock, CloseLastHandle, Disconnect };
    for (Release how : {Release::Unlock, Release::CloseLastHandle, Release::Disconnect}) {
        auto a = connect("lecteur", "secret", "A");
        auto b = connect("lecteur", "secret", "B");
        CursorInfo t1 = open(*a, "Clients");
        CursorInfo t2 = open(*a, "Clients");
        CursorInfo tb = open(*b, "Clients");
        ASSERT_TRUE(a->lockRecord(t1.handle, 1).ok());
        switch (how) {
            case Release::Unlock:
                ASSERT_TRUE(a->unlockRecord(t1.handle, 1).ok());
                break;
            case Release::CloseLastHandle:
                ASSERT_TRUE(a->close(t1.handle).ok());
                EXPECT_EQ(b->lockRecord(tb.handle, 1).code, AE_RECORD_LOCKED);  // t2 still open
                ASSERT_TRUE(a->close(t2.handle).ok());
                break;
            case Release::Disconnect:
                a.reset();
                break;
        }
        EXPECT_TRUE(b->lockRecord(tb.handle, 1).ok()) << static_cast<int>(how);
        EXPECT_TRUE(b->unlockRecord(tb.handle, 1).ok());
    }
    EXPECT_TRUE(allLocks(*admin_, path_).empty());
}

TEST_F(LocksTest, ProceduresReportLocksAndTheirOwners) {
    auto holder = connect("lecteur", "secret", "Comptabilite.exe");
    CursorInfo t = open(*holder, "Clients");
    ASSERT_TRUE(holder->lockRecord(t.handle, 3).ok());
    ASSERT_TRUE(holder->lockRecord(t.handle, 1).ok());

    // The path is trimmed and compared without regard to letter case.
    std::string upper = path_;
    std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
    EXPECT_EQ(allLocks(*admin_, path_), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(allLocks(*admin_, upper), (std::vector<int32_t>{1, 3}));
    // Other spellings of the same file resolve to it.
    std::string leaf = dir_.substr(dir_.find_last_of('/') + 1);
    std::string backslashed = path_;
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
    for (const std::string& spelling :
         {dir_ + "/./Clients.adt", dir_ + "/../" + leaf + "/CLIENTS.adt", backslashed}) {
        EXPECT_EQ(allLocks(*admin_, spelling), (std::vector<int32_t>{1, 3})) << spelling;
        EXPECT_EQ(owners(*admin_, spelling, 3).recordCount, 1u) << spelling;
    }

    SqlResult r = owners(*admin_, "  " + path_ + " ", 3);
    const std::vector<std::pair<std::string, uint32_t>> shape = {
        {"UserName", 50}, {"ConnNumber", 4},       {"DictionaryUser", 50}, {"Address", 30},
        {"LockType", 15}, {"OSUserLoginName", 50}, {"TSAddress", 30},      {"ApplicationID", 70}};
    ASSERT_EQ(r.cursor.columns().size(), shape.size());
    for (size_t i = 0; i < shape.size(); ++i) {
        EXPECT_EQ(r.cursor.columns()[i].name, shape[i].first);
        EXPECT_EQ(r.cursor.columns()[i].length, shape[i].second);
        EXPECT_EQ(r.cursor.columns()[i].type, i == 1 ? ColumnType::Integer : ColumnType::String);
    }
    ASSERT_EQ(r.recordCount, 1u);
    const Position& row = r.rows[0];
    EXPECT_EQ(text(r.cursor, row, "UserName"), "POSTE-lecteur");
    EXPECT_EQ(integer(r.cursor, row, "ConnNumber"),
              static_cast<int32_t>(holder->connectionNumber()));
    EXPECT_EQ(text(r.cursor, row, "DictionaryUser"), "lecteur");
    EXPECT_EQ(text(r.cursor, row, "Address"), "127.0.0.1");
    EXPECT_EQ(text(r.cursor, row, "OSUserLoginName"), "os_lecteur");
    EXPECT_EQ(text(r.cursor, row, "TSAddress"), "tty1");
    EXPECT_EQ(text(r.cursor, row, "ApplicationID"), "Comptabilite.exe");
    EXPECT_FALSE(text(r.cursor, row, "LockType").empty());

    holder->setApplicationId("Autre");
    EXPECT_EQ(
        text(owners(*admin_, path_, 3).cursor, owners(*admin_, path_, 3).rows[0], "ApplicationID"),
        "Autre");
    EXPECT_EQ(owners(*admin_, path_, 2).recordCount, 0u);  // not locked: no owner row

    // A table without locks gives no rows; a path naming no table is an error.
    sql(*admin_, "CREATE TABLE Vide (X Integer);");
    EXPECT_TRUE(allLocks(*admin_, dir_ + "/Vide.adt").empty());
    SqlResult none;
    EXPECT_EQ(admin_
                  ->executeSql("EXECUTE PROCEDURE sp_mgGetAllLocks('" + dir_ + "/Absent.adt ');",
                               {}, 0, &none)
                  .code,
              AE_FILE_NOT_FOUND);
    EXPECT_EQ(
        admin_->executeSql("EXECUTE PROCEDURE sp_mgGetLockOwner('" + path_ + "');", {}, 0, &none)
            .code,
        AE_SQL_ERROR);
    // The procedures belong to administrators.
    Status s =
        holder->executeSql("EXECUTE PROCEDURE sp_mgGetAllLocks('" + path_ + " ');", {}, 0, &none);
    EXPECT_EQ(s.code, AE_PERMISSION_DENIED);
    EXPECT_EQ(
        holder->executeSql("EXECUTE PROCEDURE sp_mgGetLockOwner('" + path_ + "',3);", {}, 0, &none)
            .code,
        AE_PERMISSION_DENIED);
}

// Keys that differ only in letter case are found together, whatever the case asked for,
// and each leaves the lookup when its last lock goes.
TEST(LockTableTest, FilesAreFoundWithoutRegardToLetterCase) {
    LockTable locks;
    ASSERT_TRUE(locks.lock("/d/Clients.adt", 1, 7).ok());
    ASSERT_TRUE(locks.lock("/d/CLIENTS.adt", 2, 8).ok());
    ASSERT_TRUE(locks.lock("/d/@.adt", 1, 7).ok());
    using Keys = std::vector<std::string>;
    EXPECT_EQ(locks.filesNamedNoCase("/D/clients.ADT"), (Keys{"/d/Clients.adt", "/d/CLIENTS.adt"}));
    EXPECT_TRUE(locks.filesNamedNoCase("/d/Clients.adt ").empty());
    // Only letters have two cases: '@' and '`' are 0x20 apart but different names.
    EXPECT_EQ(locks.filesNamedNoCase("/d/@.adt"), (Keys{"/d/@.adt"}));
    EXPECT_TRUE(locks.filesNamedNoCase("/d/`.adt").empty());

    // Names of whole eight-byte words and of words and a tail, letters in every position;
    // bytes above ASCII (\xE9 and \xC9 are 0x20 apart) are not letters here.
    const std::string longName = "/Donnees/Comptabilite/abcdefghijklmnopqrstuvwxyz.adt";
    ASSERT_TRUE(locks.lock(longName, 1, 7).ok());
    ASSERT_TRUE(locks.lock("/d/\xE9t\xE9.adt", 1, 7).ok());
    for (std::string spelling :
         {longName, std::string("/dONNEES/COMPTABILITE/ABCDEFGHIJKLMNOPQRSTUVWXYZ.ADT")})
        EXPECT_EQ(locks.filesNamedNoCase(spelling), (Keys{longName})) << spelling;
    EXPECT_TRUE(locks.filesNamedNoCase(longName.substr(0, 48)).empty());
    EXPECT_EQ(locks.filesNamedNoCase("/D/\xE9T\xE9.ADT"), (Keys{"/d/\xE9t\xE9.adt"}));
    EXPECT_TRUE(locks.filesNamedNoCase("/d/\xC9t\xC9.adt").empty());

    locks.unlock("/d/CLIENTS.adt", 2, 8);
    EXPECT_EQ(locks.filesNamedNoCase("/d/clients.adt"), (Keys{"/d/Clients.adt"}));
    locks.releaseAll(7);
    EXPECT_TRUE(locks.filesNamedNoCase("/d/clients.adt").empty());
    EXPECT_TRUE(locks.filesNamedNoCase("/d/@.adt").empty());
}

// The record numbers of several keys of one name come as one ascending list, each once,
// whatever the order of the keys asked for; a key without locks adds nothing.
TEST(LockTableTest, RecordsOfSeveralFilesAreMergedAscendingAndOnce) {
    LockTable locks;
    for (uint32_t r : {5u, 1u, 3u}) ASSERT_TRUE(locks.lock("/d/Clients.adt", r, 7).ok());
    for (uint32_t r : {9u, 3u, 2u, 5u}) ASSERT_TRUE(locks.lock("/d/CLIENTS.adt", r, 8).ok());
    ASSERT_TRUE(locks.lock("/d/clients.adt", 4, 7).ok());
    using Records = std::vector<uint32_t>;
    EXPECT_EQ(locks.records({"/d/Clients.adt"}), (Records{1, 3, 5}));
    EXPECT_EQ(locks.records({"/d/Clients.adt", "/d/CLIENTS.adt"}), (Records{1, 2, 3, 5, 9}));
    EXPECT_EQ(
        locks.records({"/d/CLIENTS.adt", "/d/Absent.adt", "/d/clients.adt", "/d/Clients.adt"}),
        (Records{1, 2, 3, 4, 5, 9}));
    EXPECT_TRUE(locks.records({"/d/Absent.adt"}).empty());
    EXPECT_TRUE(locks.records({}).empty());
}

TEST_F(LocksTest, ProcedureResultsFeedAQueryJoinedByName) {
    auto holder = connect("lecteur", "secret", "App");
    CursorInfo t = open(*holder, "Clients");
    ASSERT_TRUE(holder->lockRecord(t.handle, 2).ok());
    SqlResult r = sql(*admin_,
                      "Select Principal.UserName, Principal.ApplicationID From ( EXECUTE PROCEDURE "
                      "sp_mgGetLockOwner( '" +
                          path_ + "',2) ) as Principal",
                      10);
    ASSERT_EQ(r.recordCount, 1u);
    EXPECT_EQ(text(r.cursor, r.rows[0], "ApplicationID"), "App");
}

TEST_F(LocksTest, RowIdsEndInTheRecordNumber) {
    SqlResult r = sql(*admin_,
                      "//Ligne par programmation\r\nSelect X.*, X.RowID From Clients X Where "
                      "Right(X.RowID,6) = 'AAAAAC'",
                      5);
    ASSERT_EQ(r.recordCount, 1u);
    EXPECT_EQ(text(r.cursor, r.rows[0], "Nom"), "Martin");
    SqlResult id = sql(*admin_, "select rowid from Clients where Nom = 'petit'", 5);
    ASSERT_EQ(id.recordCount, 1u);
    std::string rowid = text(id.cursor, id.rows[0], "ROWID");
    ASSERT_EQ(rowid.size(), 18u);
    EXPECT_EQ(rowid.substr(12), "AAAAAD");
    EXPECT_EQ(rowid.substr(0, 12), text(r.cursor, r.rows[0], "ROWID").substr(0, 12));
}

TEST_F(LocksTest, ConnectionsOnSeveralThreadsShareOneConsistentState) {
    constexpr int kThreads = 6, kAppends = 50;
    std::vector<std::unique_ptr<Session>> sessions;
    for (int i = 0; i < kThreads; ++i)
        sessions.push_back(connect("lecteur", "secret", "T" + std::to_string(i)));
    std::atomic<int> wins[4] = {};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            Session& s = *sessions[i];
            CursorInfo t;
            if (!s.openTable("Clients", 0, 1, 1, 1, 0, "", &t).ok()) return;
            for (uint32_t r = 1; r <= 3; ++r)
                if (s.lockRecord(t.handle, r).ok()) ++wins[r];
            for (int n = 0; n < kAppends; ++n) {
                WriteRequest w;
                w.append = true;
                w.columns = {{0, ColumnWrite::Kind::Bytes, "T" + std::to_string(i)}};
                Position p;
                s.writeRecord(t.handle, w, &p);
                s.gotoTop(t.handle, &p);
            }
        });
    for (std::thread& t : threads) t.join();
    for (uint32_t r = 1; r <= 3; ++r) EXPECT_EQ(wins[r].load(), 1) << "record " << r;
    EXPECT_EQ(allLocks(*admin_, path_), (std::vector<int32_t>{1, 2, 3}));
    SqlResult r = sql(*admin_, "SELECT * FROM Clients", 0);
    EXPECT_EQ(r.recordCount, 3u + kThreads * kAppends);
    sessions.clear();
    EXPECT_TRUE(allLocks(*admin_, path_).empty());
}

}  // namespace
}  // namespace engine::testing
