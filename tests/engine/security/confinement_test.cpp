// confinement_test.cpp: a connection reaches the tables of its own folder and no other; a
// dictionary's tables only through that dictionary; links are never followed out of the
// folder, and never removed or written through; a folder swapped for a link leads nowhere
// new; a file reached by two names is one table.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "engine/include/engine_api.h"
#include "tests/engine/reliability/client.h"
#include "tests/engine/reliability/harness.h"
#include "tests/engine/reliability/raw_socket.h"
#include "tests/engine/security/support.h"

namespace security {
namespace {

using reliability::Client;
using reliability::lastError;
namespace fs = std::filesystem;

class Confinement : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const std::string& d : {compta_, personnel_, outside_, elsewhere_})
            fs::create_directory(d);
        reliability::makeDictionary(compta_, "Compta", 20);
        reliability::makeDictionary(personnel_, "Personnel", 20);
        ASSERT_TRUE(server_.start());
        Client loose(server_.address(), outside_, "", "");
        ASSERT_EQ(loose.code(), 0u) << lastError();
        ASSERT_EQ(run(loose, "CREATE TABLE Secret (X Integer); INSERT INTO Secret VALUES (42);"),
                  0u)
            << lastError();
    }

    static UNSIGNED32 open(Client& c, const std::string& table, ADSHANDLE* out = nullptr) {
        ADSHANDLE t = 0;
        const UNSIGNED32 rc =
            AdsOpenTable90(c.handle(), table.c_str(), nullptr, 0, ADS_ANSI, ADS_PROPRIETARY_LOCKING,
                           ADS_CHECKRIGHTS, 0, nullptr, &t);
        if (out)
            *out = t;
        else if (t)
            AdsCloseTable(t);
        return rc;
    }
    static UNSIGNED32 run(Client& c, const std::string& sql) {
        std::vector<reliability::Row> rows;
        return c.query(sql, &rows);
    }
    static size_t count(Client& c, const std::string& table) {
        std::vector<reliability::Row> rows;
        EXPECT_EQ(c.query("SELECT * FROM " + table, &rows), 0u) << lastError();
        return rows.size();
    }
    std::string dict(const std::string& folder) const {
        return folder + "/" + fs::path(folder).filename().string() + ".add";
    }

    reliability::TempDir root_{"confinement"};
    const std::string compta_ = root_.path() + "/Compta";
    const std::string personnel_ = root_.path() + "/Personnel";
    const std::string outside_ = root_.path() + "/Outside";
    const std::string elsewhere_ = root_.path() + "/Elsewhere";
    reliability::ServerProcess server_{root_.path() + "/srv.sock"};
};

TEST_F(Confinement, NoNameLeadsOutOfTheConnectionsFolder) {
    fs::create_symlink("../Personnel/Items.adt", compta_ + "/Link.adt");
    const std::vector<std::string> names = {
        "../Personnel/Items.adt",   personnel_ + "/Items.adt",
        personnel_ + "/Items",      "..\\Personnel\\Items.adt",
        "./../Personnel/Items.adt", "Absent/../../Personnel/Items.adt",
        outside_ + "/Secret.adt",   "Link.adt",
    };
    const std::vector<std::string> statements = {
        "SELECT * FROM [../Personnel/Items.adt]",
        "SELECT * FROM [" + personnel_ + "/Items.adt]",
        "INSERT INTO [../Personnel/Items.adt] (Code) VALUES ('intrus')",
        "SELECT * FROM [Link.adt]",
    };
    for (const char* user : {"plain", "adssys"}) {
        Client c(server_.address(), dict(compta_), user,
                 user == std::string("plain") ? "plain1" : "kor5382");
        ASSERT_EQ(c.code(), 0u) << lastError();
        for (const std::string& name : names) {
            EXPECT_EQ(open(c, name), static_cast<UNSIGNED32>(AE_TABLE_OUTSIDE_SOURCE))
                << user << " opened " << name << " (" << lastError() << ")";
        }
        for (const std::string& sql : statements) {
            EXPECT_EQ(run(c, sql), static_cast<UNSIGNED32>(AE_TABLE_OUTSIDE_SOURCE))
                << user << ": " << sql << " (" << lastError() << ")";
        }
        // The connection's own tables, by name and by the path the data-access layer retries.
        for (const std::string& own : {std::string("Items"), compta_ + "/Items",
                                       std::string("Items.adt"), std::string("./Items.adt")}) {
            EXPECT_EQ(open(c, own), 0u) << user << " " << own << ": " << lastError();
        }
    }
    Client owner(server_.address(), dict(personnel_), "adssys", "kor5382");
    EXPECT_EQ(count(owner, "Items"), 20u) << "a row was inserted from another dictionary";
}

TEST_F(Confinement, AFolderConnectionReachesOnlyTablesNoDictionaryClaims) {
    Client free(server_.address(), compta_, "", "");
    ASSERT_EQ(free.code(), 0u) << lastError();
    for (const std::string& name :
         {std::string("Items"), std::string("Items.adt"), compta_ + "/Items.adt"}) {
        EXPECT_EQ(open(free, name), static_cast<UNSIGNED32>(AE_TABLE_OUTSIDE_SOURCE)) << name;
    }
    for (const char* sql :
         {"SELECT * FROM Items", "INSERT INTO Items (Code) VALUES ('x')", "DROP TABLE Items"}) {
        EXPECT_EQ(run(free, sql), static_cast<UNSIGNED32>(AE_TABLE_OUTSIDE_SOURCE)) << sql;
    }
    UNSIGNED32 rc = 0;
    free.allLocks(compta_ + "/Items.adt", &rc);
    EXPECT_EQ(rc, static_cast<UNSIGNED32>(AE_PERMISSION_DENIED))
        << "lock procedures without a password";
    free.lockOwners(compta_ + "/Items.adt", 1, &rc);
    EXPECT_EQ(rc, static_cast<UNSIGNED32>(AE_PERMISSION_DENIED));

    // A table nobody claims is the folder connection's, and the dictionary's users reach it by
    // path.
    ASSERT_EQ(run(free, "CREATE TABLE Libre (X Integer)"), 0u) << lastError();
    EXPECT_EQ(open(free, "Libre"), 0u) << lastError();
    char name[261] = {};
    UNSIGNED16 len = 260;
    ADSHANDLE find = 0;
    ASSERT_EQ(AdsFindFirstTable(free.handle(), "*", name, &len, &find), 0u);
    EXPECT_EQ(std::string(name, len), "Libre");
    len = 260;
    EXPECT_EQ(AdsFindNextTable(free.handle(), find, name, &len),
              static_cast<UNSIGNED32>(AE_NO_TABLE))
        << "listed " << std::string(name, len);
    AdsFindClose(free.handle(), find);

    // A table the dictionary names but whose files are missing is still the dictionary's.
    fs::remove(compta_ + "/Journal.adt");
    fs::remove(compta_ + "/Journal.adm");
    EXPECT_EQ(run(free, "CREATE TABLE Journal (X Integer)"),
              static_cast<UNSIGNED32>(AE_TABLE_OUTSIDE_SOURCE));
    EXPECT_FALSE(exists(compta_ + "/Journal.adt"));

    // A parent folder's connection does not reach into the folders below it.
    Client parent(server_.address(), root_.path(), "", "");
    ASSERT_EQ(parent.code(), 0u) << lastError();
    for (const char* name : {"Compta/Items.adt", "Compta/Libre.adt", "Outside/Secret"}) {
        EXPECT_EQ(open(parent, name), static_cast<UNSIGNED32>(AE_TABLE_OUTSIDE_SOURCE)) << name;
    }

    Client admin(server_.address(), dict(compta_), "adssys", "kor5382");
    EXPECT_EQ(count(admin, "Items"), 20u);
    EXPECT_EQ(open(admin, compta_ + "/Libre"), 0u) << lastError();
}

TEST_F(Confinement, AFolderConnectionActsOnlyWithItsOwnUsersRights) {
    // TCP tells nothing of the client's user: no folder connection there unless allowed.
    const uint16_t port = reliability::freeLoopbackPort();
    const std::string tcp = "tcp:127.0.0.1:" + std::to_string(port);
    for (const bool allowed : {false, true}) {
        std::vector<std::string> args{"--tcp", std::to_string(port)};
        if (allowed) args.push_back("--tcp-folder-connections");
        reliability::ServerProcess server(args);
        ASSERT_TRUE(server.start()) << server.log();
        UNSIGNED32 rc = AE_SERVER_NOT_AVAILABLE;
        for (int i = 0; i < 100 && rc == AE_SERVER_NOT_AVAILABLE; ++i) {
            if (i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
            Client free(tcp, outside_, "", "");
            rc = free.code();
        }
        EXPECT_EQ(rc, allowed ? 0u : static_cast<UNSIGNED32>(AE_PERMISSION_DENIED))
            << allowed << " " << lastError();
        Client admin(tcp, dict(compta_), "adssys", "kor5382");
        EXPECT_EQ(admin.code(), 0u) << "a password login over TCP: " << lastError();
    }

    // On the Unix socket, another user reaches only a folder it may read and write.
    if (!runningAsRoot()) GTEST_SKIP() << "needs root to act as another user";
    const std::string own = root_.path() + "/Own";
    fs::create_directory(own);
    giveToUnprivileged(own);
    ::chmod(root_.path().c_str(), 0755);
    ::chmod(server_.socketPath().c_str(), 0777);  // anyone may reach the server
    ::chmod(outside_.c_str(), 0700);              // root's alone
    const std::string outcome = runUnprivileged([&] {
        Client theirs(server_.address(), own, "", "");
        Client roots(server_.address(), outside_, "", "");
        return std::to_string(theirs.code()) + " " + std::to_string(roots.code());
    });
    EXPECT_EQ(outcome, "0 " + std::to_string(AE_PERMISSION_DENIED));
}

TEST_F(Confinement, LinksAreNeverRemovedNorWrittenThrough) {
    fs::copy_file(outside_ + "/Secret.adt", elsewhere_ + "/Target.adt");
    fs::copy_file(outside_ + "/Secret.adm", elsewhere_ + "/Target.adm");
    fs::create_symlink("../Elsewhere/Target.adt", outside_ + "/Victim.adt");
    fs::create_symlink("../Elsewhere/Target.adm", outside_ + "/Victim.adm");
    fs::create_symlink("Secret.adt", outside_ + "/Alias.adt");
    ASSERT_TRUE(writeFile(outside_ + "/Fake.adt", "not a table"));
    const std::string target = readFile(elsewhere_ + "/Target.adt");

    Client free(server_.address(), outside_, "", "");
    ASSERT_EQ(free.code(), 0u) << lastError();
    EXPECT_EQ(open(free, "Victim"), static_cast<UNSIGNED32>(AE_TABLE_OUTSIDE_SOURCE));
    for (const char* table : {"Victim", "Alias", "Fake"}) {
        EXPECT_NE(run(free, std::string("DROP TABLE ") + table), 0u)
            << table << " reported dropped";
        EXPECT_TRUE(exists(outside_ + "/" + table + ".adt")) << table;
    }
    EXPECT_EQ(readFile(elsewhere_ + "/Target.adt"), target);
    EXPECT_TRUE(exists(elsewhere_ + "/Target.adm"));
    EXPECT_TRUE(exists(outside_ + "/Secret.adt"));
    EXPECT_EQ(readFile(outside_ + "/Fake.adt"), "not a table");
    EXPECT_EQ(count(free, "Secret"), 1u);

    // Files a creation writes first are never written through a link planted in their place.
    ASSERT_TRUE(writeFile(elsewhere_ + "/precious.txt", "precious"));
    for (const char* planted : {"/New.adt.tmp", "/New.adm.tmp"}) {
        fs::create_symlink("../Elsewhere/precious.txt", outside_ + planted);
    }
    run(free, "CREATE TABLE New (X Integer)");
    EXPECT_EQ(readFile(elsewhere_ + "/precious.txt"), "precious");
    fs::create_symlink("../Elsewhere/Created.adt", outside_ + "/Dangling.adt");
    EXPECT_NE(run(free, "CREATE TABLE Dangling (X Integer)"), 0u);
    EXPECT_FALSE(exists(elsewhere_ + "/Created.adt"));

    fs::create_symlink("../Elsewhere/precious.txt", compta_ + "/Compta.add.tmp");
    Client admin(server_.address(), dict(compta_), "adssys", "kor5382");
    ASSERT_EQ(admin.code(), 0u) << lastError();
    EXPECT_EQ(run(admin, "CREATE TABLE Extra (X Integer)"), 0u) << lastError();
    EXPECT_EQ(readFile(elsewhere_ + "/precious.txt"), "precious");
    EXPECT_EQ(open(admin, "Extra"), 0u) << lastError();
}

TEST_F(Confinement, LockProceduresSeeOnlyTheConnectionsOwnTables) {
    Client theirs(server_.address(), dict(personnel_), "plain", "plain1", "PERSONNEL-PC");
    Client mine(server_.address(), dict(compta_), "plain", "plain1", "COMPTA-PC");
    ADSHANDLE theirItems = 0, myItems = 0;
    ASSERT_EQ(open(theirs, "Items", &theirItems), 0u) << lastError();
    ASSERT_EQ(open(mine, "Items", &myItems), 0u) << lastError();
    ASSERT_EQ(AdsLockRecord(theirItems, 3), 0u) << lastError();
    ASSERT_EQ(AdsLockRecord(myItems, 2), 0u) << lastError();

    Client admin(server_.address(), dict(compta_), "adssys", "kor5382");
    UNSIGNED32 rc = 0;
    EXPECT_TRUE(admin.allLocks(personnel_ + "/Items.adt", &rc).empty());
    EXPECT_EQ(rc, static_cast<UNSIGNED32>(AE_TABLE_OUTSIDE_SOURCE)) << "another dictionary's locks";
    EXPECT_TRUE(admin.lockOwners(personnel_ + "/Items.adt", 3, &rc).empty());
    EXPECT_EQ(rc, static_cast<UNSIGNED32>(AE_TABLE_OUTSIDE_SOURCE))
        << "another dictionary's owners";
    // The tool's own spellings: letter case and the blank are not part of the name.
    for (const std::string& path :
         {compta_ + "/ITEMS.ADT", compta_ + "/items.adt", std::string("Items.adt")}) {
        EXPECT_EQ(admin.allLocks(path, &rc), std::vector<uint32_t>{2}) << path;
        EXPECT_EQ(rc, 0u) << path << ": " << lastError();
        EXPECT_EQ(admin.lockOwners(path, 2, &rc), std::vector<std::string>{"COMPTA-PC"}) << path;
    }
}

// The contents of every file of a folder, by name.
std::map<std::string, std::string> contents(const std::string& folder) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::directory_iterator(folder))
        out[e.path().filename().string()] = readFile(e.path().string());
    return out;
}

TEST_F(Confinement, AFolderSwappedForALinkLeadsNowhereNew) {
    // A folder connection to a folder of one's own, which a thread keeps swapping for a link
    // to another dictionary's folder: whatever the connection does meanwhile, it reads, locks,
    // writes and removes only in its own folder.
    const std::string mine = root_.path() + "/Mine", link = root_.path() + "/Link";
    fs::create_directory(mine);
    fs::create_directory_symlink(personnel_, link);
    Client free(server_.address(), mine, "", "");
    ASSERT_EQ(free.code(), 0u) << lastError();
    const auto before = contents(personnel_);
    // Each exchange swaps the folder and the link in one step: the name is always one or
    // the other.
    std::atomic<bool> stop{false};
    std::thread swapper([&] {
        while (!stop) ::renameat2(AT_FDCWD, mine.c_str(), AT_FDCWD, link.c_str(), RENAME_EXCHANGE);
    });
    size_t foreignRows = 0;
    for (int round = 0; round < 150 && foreignRows == 0; ++round) {
        run(free, "CREATE TABLE Items (Code Char(10))");  // its own is empty
        std::vector<reliability::Row> rows;
        if (free.query("SELECT * FROM Items", &rows) == 0) foreignRows += rows.size();
        ADSHANDLE t = 0;
        if (open(free, "Items", &t) == 0) {
            UNSIGNED32 n = 0;
            AdsGetRecordCount(t, ADS_IGNOREFILTERS, &n);
            foreignRows += n;
            AdsCloseTable(t);
        }
        run(free, "DROP TABLE Items");
    }
    stop = true;
    swapper.join();
    EXPECT_EQ(foreignRows, 0u) << "the other dictionary's rows were read";
    EXPECT_TRUE(contents(personnel_) == before)
        << "files of the other dictionary were made, changed or removed";
    Client owner(server_.address(), dict(personnel_), "adssys", "kor5382");
    EXPECT_EQ(count(owner, "Items"), 20u);
}

TEST_F(Confinement, AFileIsOneTableWhateverNameReachesIt) {
    // Another name, in a free folder, for a dictionary's table reaches nothing.
    for (const char* ext : {".adt", ".adm"})
        fs::create_hard_link(personnel_ + "/Items" + ext, outside_ + "/Items" + ext);
    Client free(server_.address(), outside_, "", "");
    ASSERT_EQ(free.code(), 0u) << lastError();
    EXPECT_EQ(open(free, "Items"), static_cast<UNSIGNED32>(AE_TABLE_OUTSIDE_SOURCE));
    EXPECT_EQ(run(free, "SELECT * FROM Items"), static_cast<UNSIGNED32>(AE_TABLE_OUTSIDE_SOURCE));
    for (const char* ext : {".adt", ".adm"}) fs::remove(outside_ + "/Items" + ext);

    // Two dictionaries whose owner gave them one file share its records and its locks.
    for (const char* ext : {".adt", ".adm"}) {
        fs::remove(compta_ + "/Items" + ext);
        fs::create_hard_link(personnel_ + "/Items" + ext, compta_ + "/Items" + ext);
    }
    Client a(server_.address(), dict(personnel_), "plain", "plain1");
    Client b(server_.address(), dict(compta_), "plain", "plain1");
    ADSHANDLE ta = 0, tb = 0;
    ASSERT_EQ(open(a, "Items", &ta), 0u) << lastError();
    ASSERT_EQ(open(b, "Items", &tb), 0u) << lastError();
    ASSERT_EQ(AdsLockRecord(ta, 3), 0u) << lastError();
    EXPECT_EQ(AdsLockRecord(tb, 3), static_cast<UNSIGNED32>(AE_RECORD_LOCKED));
    EXPECT_EQ(run(a, "INSERT INTO Items (Code) VALUES ('a')"), 0u) << lastError();
    EXPECT_EQ(run(b, "INSERT INTO Items (Code) VALUES ('b')"), 0u) << lastError();
    AdsCloseTable(ta);
    AdsCloseTable(tb);
    EXPECT_EQ(count(a, "Items"), 22u) << "an append was lost";
}

}  // namespace
}  // namespace security
