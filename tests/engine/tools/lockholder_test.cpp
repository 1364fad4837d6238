// lockholder_test.cpp: the lock holder as the lock procedures see it, from start to stop.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <fstream>
#include <set>
#include <thread>

#include "engine/tools/lockholder/options.h"
#include "tests/engine/reliability/client.h"
#include "tests/engine/reliability/harness.h"

namespace {

using reliability::Child;
using reliability::Client;
using reliability::lastError;
using reliability::Row;

class Lockholder : public ::testing::Test {
  protected:
    void SetUp() override {
        dict_ = reliability::makeDictionary(dir_.path(), "Holders", 100);
        ASSERT_TRUE(server_.start());
        admin_ = std::make_unique<Client>(server_.address(), dict_, "adssys", "kor5382", "ADMIN");
        ASSERT_EQ(admin_->code(), 0u) << lastError();
    }

    Child start(std::vector<std::string> args, const std::string& ready) {
        args.insert(args.end(), {"--server", server_.address(), "--dict", dict_, "--ready", ready});
        return Child(reliability::binPath("lockholder"), args, dir_.path() + "/holder.log");
    }
    std::vector<uint32_t> locks() {
        UNSIGNED32 rc = 0;
        auto found = admin_->allLocks(items(), &rc);
        EXPECT_EQ(rc, 0u) << lastError();
        return found;
    }
    std::string items() const { return dir_.path() + "/Items.adt"; }
    std::string file(const char* name) const { return dir_.path() + "/" + name; }

    reliability::TempDir dir_{"lockholder"};
    std::string dict_;
    reliability::ServerProcess server_{dir_.path() + "/srv.sock"};
    std::unique_ptr<Client> admin_;
};

TEST_F(Lockholder, HoldsAsTheGivenIdentityAndReleasesOnSignal) {
    for (int sig : {SIGTERM, SIGINT}) {
        const std::string ready = file(sig == SIGTERM ? "term.ready" : "int.ready");
        Child holder = start({"--table", "Items", "--records", "2,9-10", "--workstation",
                              "PC-COMPTA-01", "--oslogin", "mmartin", "--app", "Facturation.exe",
                              "--user", "plain", "--password", "plain1"},
                             ready);
        ASSERT_TRUE(reliability::waitForFile(ready, 10000));
        std::ifstream in(ready);
        int pid = 0;
        size_t held = 0;
        in >> pid >> held;
        EXPECT_EQ(pid, holder.pid());
        EXPECT_EQ(held, 3u);
        EXPECT_EQ(locks(), (std::vector<uint32_t>{2, 9, 10}));
        std::vector<Row> owners;
        ASSERT_EQ(
            admin_->query("EXECUTE PROCEDURE sp_mgGetLockOwner( '" + items() + "',9);", &owners),
            0u)
            << lastError();
        ASSERT_EQ(owners.size(), 1u);
        EXPECT_EQ(owners[0]["UserName"], "PC-COMPTA-01");
        EXPECT_EQ(owners[0]["OSUserLoginName"], "mmartin");
        EXPECT_EQ(owners[0]["ApplicationID"], "Facturation.exe");
        EXPECT_EQ(owners[0]["DictionaryUser"], "plain");

        holder.signal(sig);
        EXPECT_EQ(holder.wait(5000), 0) << "signal " << sig;
        EXPECT_TRUE(locks().empty()) << "signal " << sig;
    }
}

TEST_F(Lockholder, ShareAndBusyRecords) {
    // Someone else holds record 5 already: the holder takes the rest and says so.
    const ADSHANDLE table = admin_->open("Items");
    ASSERT_NE(table, 0u);
    ASSERT_EQ(AdsLockRecord(table, 5), 0u);
    Child some = start({"--table", "Items", "--records", "4-6"}, file("some.ready"));
    ASSERT_TRUE(reliability::waitForFile(file("some.ready"), 10000));
    EXPECT_EQ(locks(), (std::vector<uint32_t>{4, 5, 6}));
    some.signal(SIGTERM);
    EXPECT_EQ(some.wait(5000), 0);
    EXPECT_EQ(locks(), std::vector<uint32_t>{5});

    Child share =
        start({"--table", "Items", "--share", "0.2", "--seconds", "30"}, file("share.ready"));
    ASSERT_TRUE(reliability::waitForFile(file("share.ready"), 10000));
    // 20 of the 100 records as the seed picks them, and record 5 still held by the admin.
    std::set<uint32_t> expected{5};
    for (uint32_t r : lockholder::pickShare(100, 0.2, 1)) expected.insert(r);
    const auto found = locks();
    EXPECT_EQ(std::set<uint32_t>(found.begin(), found.end()), expected);
    share.signal(SIGTERM);
    EXPECT_EQ(share.wait(5000), 0);

    // Nothing to lock at all: a failure, not a silent success.
    Child none = start({"--table", "Items", "--records", "5"}, file("none.ready"));
    EXPECT_EQ(none.wait(10000), 1);
    EXPECT_FALSE(std::ifstream(file("none.ready")).good());
}

TEST_F(Lockholder, RefusedConnectionIsAnError) {
    Child wrong =
        start({"--table", "Items", "--records", "1", "--password", "nope"}, file("wrong.ready"));
    EXPECT_EQ(wrong.wait(10000), 1);
    Child missing = start({"--table", "NoSuchTable", "--records", "1"}, file("missing.ready"));
    EXPECT_EQ(missing.wait(10000), 1);
}

TEST_F(Lockholder, WorkloadUsersComeAndGo) {
    Child workload = start({"--workload", "--tables", "Items", "--users", "5", "--hold-ms",
                            "50-200", "--seconds", "20"},
                           file("workload.ready"));
    ASSERT_TRUE(reliability::waitForFile(file("workload.ready"), 10000));
    std::set<std::string> seen, logins, apps;
    std::set<uint32_t> recordsSeen;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < until) {
        for (uint32_t r : locks()) {
            std::vector<Row> owners;
            admin_->query("EXECUTE PROCEDURE sp_mgGetLockOwner( '" + items() + "'," +
                              std::to_string(r) + ");",
                          &owners);
            for (Row& o : owners) {
                seen.insert(o["UserName"]);
                logins.insert(o["OSUserLoginName"]);
                apps.insert(o["ApplicationID"]);
            }
            recordsSeen.insert(r);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_GE(seen.size(), 3u) << "simulated users should differ";
    EXPECT_GE(logins.size(), 3u);
    EXPECT_GE(apps.size(), 3u);
    EXPECT_GE(recordsSeen.size(), 5u) << "locks should move over time";
    workload.signal(SIGINT);
    EXPECT_EQ(workload.wait(5000), 0);
    EXPECT_TRUE(locks().empty());
}

}  // namespace
