// Concurrency: a statement held in the middle of its scan holds up nobody working on other
// tables, and the lock-management procedures wait for no statement at all.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "engine/core/test_hooks.h"
#include "engine/include/engine_api.h"
#include "tests/engine/core/core_fixture.h"

namespace engine::testing {
namespace {

using namespace std::chrono_literals;

// Stops the first statement that reads a row of `table` until released.
class ScanGate {
  public:
    explicit ScanGate(std::string table) : table_(std::move(table)) {
        setRowReadHook([this](std::string_view path) {
            if (!path.ends_with(table_)) return;
            std::unique_lock<std::mutex> lock(mu_);
            if (held_) return;
            held_ = true;
            changed_.notify_all();
            changed_.wait_for(lock, 20s, [this] { return released_; });
        });
    }
    ~ScanGate() {
        release();
        setRowReadHook(nullptr);
    }
    bool waitHeld() {
        std::unique_lock<std::mutex> lock(mu_);
        return changed_.wait_for(lock, 10s, [this] { return held_; });
    }
    void release() {
        std::lock_guard<std::mutex> lock(mu_);
        released_ = true;
        changed_.notify_all();
    }

  private:
    std::string table_;
    std::mutex mu_;
    std::condition_variable changed_;
    bool held_ = false;
    bool released_ = false;
};

class ConcurrencyTest : public CoreTest {};

TEST_F(ConcurrencyTest, AStatementHeldInItsScanHoldsUpNobodyElse) {
    auto scanner = connect();
    auto viewer = connect("adssys", "kor5382", "viewer");
    auto holder = connect("lecteur", "secret", "holder");
    sql(*scanner,
        "CREATE TABLE Grand (N Integer); INSERT INTO Grand VALUES (1), (2), (3);"
        "CREATE TABLE Articles (Code Integer, Nom CIChar(20));"
        "INSERT INTO Articles VALUES (1, 'un'), (2, 'deux'), (3, 'trois');");
    CursorInfo grand = open(*holder, "Grand"), articles = open(*holder, "Articles");
    ASSERT_TRUE(holder->lockRecord(grand.handle, 2).ok());
    ASSERT_TRUE(holder->lockRecord(articles.handle, 3).ok());

    ScanGate gate("/Grand.adt");
    std::thread scan([&] { sql(*scanner, "SELECT * FROM Grand WHERE N > 0"); });
    ASSERT_TRUE(gate.waitHeld());
    // What another client does meanwhile: every call answers while the scan stands still.
    auto others = std::async(std::launch::async, [&] {
        std::string failed;
        auto step = [&](const char* what, const Status& s) {
            if (!s.ok()) failed += std::string(what) + ": " + s.text + "\n";
        };
        SqlResult r;
        for (const char* table : {"Grand", "Articles"}) {
            const std::string path = dir_ + "/" + table + ".adt";
            step("all locks",
                 viewer->executeSql("EXECUTE PROCEDURE sp_mgGetAllLocks('" + path + " ');", {}, 100,
                                    &r));
            step("lock owner",
                 viewer->executeSql("EXECUTE PROCEDURE sp_mgGetLockOwner( '" + path + "',2);", {},
                                    100, &r));
        }
        step("select", viewer->executeSql("SELECT * FROM Articles WHERE Code = 2", {}, 100, &r));
        CursorInfo info;
        step("open", viewer->openTable("Articles", 0, 1, 1, 1, 0, "ANSI", &info));
        Position p;
        step("skip", viewer->skip(info.handle, 1, &p));
        step("lock", viewer->lockRecord(info.handle, 1));
        step("unlock", viewer->unlockRecord(info.handle, 1));
        step("close", viewer->close(info.handle));
        std::unique_ptr<Session> newcomer;
        step("connect", server_->connect(
                            "Data Source=" + dictionary_ + ";User ID=lecteur;Password=\"secret\";",
                            {}, &newcomer));
        return failed;
    });
    const bool answered = others.wait_for(10s) == std::future_status::ready;
    gate.release();
    scan.join();
    EXPECT_TRUE(answered) << "another client waited for the scan";
    EXPECT_EQ(others.get(), "");
}

}  // namespace
}  // namespace engine::testing
