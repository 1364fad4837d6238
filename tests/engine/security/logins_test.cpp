// logins_test.cpp: what a refused login gives away and what a flood of them takes. An
// unknown user costs the one hash a wrong password costs; repeated failures wait longer,
// by peer and by user; peers whose logins failed lately share only some hashing slots and
// wait for them behind those whose logins did not.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/core/password.h"
#include "engine/core/session.h"
#include "engine/core/test_hooks.h"
#include "engine/include/engine_api.h"
#include "engine/server/login_throttle.h"
#include "tests/engine/reliability/harness.h"

namespace security {
namespace {

// The costs of the hashes made or checked while it lives, in order.
class HashLog {
  public:
    HashLog() {
        engine::setPasswordHashHook([this](std::string_view cost) {
            std::lock_guard<std::mutex> lock(mu_);
            costs_.emplace_back(cost);
        });
    }
    ~HashLog() { engine::setPasswordHashHook(nullptr); }
    std::vector<std::string> take() {
        std::lock_guard<std::mutex> lock(mu_);
        return std::exchange(costs_, {});
    }

  private:
    std::mutex mu_;
    std::vector<std::string> costs_;
};

TEST(Logins, AnUnknownUserCostsTheOneHashAWrongPasswordCosts) {
    reliability::TempDir dir("logins");
    const std::string dict = dir.path() + "/Entree.add";
    ASSERT_TRUE(engine::createDictionary(dict, "kor5382").ok());
    ASSERT_TRUE(engine::addDictionaryUser(dict, "plain", "plain1", false).ok());
    HashLog log;
    (void)engine::hashPassword("reference");
    const std::vector<std::string> current = log.take();
    ASSERT_EQ(current.size(), 1u);

    engine::Server server;
    (void)log.take();  // whatever the server made ready at its start
    struct Case {
        const char* user;
        const char* password;
    };
    std::string knownRefusal;
    for (const Case& c : {Case{"adssys", "faux"}, Case{"plain", ""}, Case{"inconnu", "faux"},
                          Case{"personne", "kor5382"}, Case{"INCONNU", "plain1"}}) {
        std::unique_ptr<engine::Session> session;
        const engine::Status st = server.connect(
            "Data Source=" + dict + ";User ID=" + c.user + ";Password=\"" + c.password + "\";", {},
            &session);
        EXPECT_EQ(st.code, static_cast<uint32_t>(AE_LOGIN_FAILED)) << c.user;
        if (knownRefusal.empty()) knownRefusal = st.text;
        EXPECT_EQ(st.text, knownRefusal) << c.user;
        EXPECT_EQ(log.take(), current) << c.user << ": not one hash at the current cost";
    }
}

TEST(Logins, RepeatedFailuresWaitLongerByPeerAndByUser) {
    engine::server::LoginThrottle throttle;
    struct Step {
        const char* peer;
        const char* user;
        int waitMs;
    };
    // The wait doubles with each failure of the same peer or of the same user, up to 3 s;
    // a peer and a user that have not failed yet wait the least.
    const Step steps[] = {
        {"pid 1", "ADSSYS", 25},   {"pid 1", "ADSSYS", 50},  {"pid 1", "ADSSYS", 100},
        {"pid 2", "PLAIN", 25},    {"pid 1", "AUTRE", 200},  {"pid 3", "ADSSYS", 200},
        {"pid 1", "ADSSYS", 400},  {"pid 1", "ADSSYS", 800}, {"pid 1", "ADSSYS", 1600},
        {"pid 1", "ADSSYS", 3000}, {"pid 4", "NOUVEAU", 25},
    };
    for (const Step& s : steps)
        EXPECT_EQ(throttle.failed(s.peer, s.user).count(), s.waitMs) << s.peer << " " << s.user;
}

// Hashes run on threads of their own as named peers; those named to hold their slot stay
// in it until let go; the order the slots were given in is kept.
class HashingStage {
  public:
    explicit HashingStage(std::set<std::string> holders) : holding_(std::move(holders)) {
        engine::setPasswordHashHook([this](std::string_view) {
            std::unique_lock<std::mutex> lock(mu_);
            granted_.push_back(who());
            cv_.notify_all();
            cv_.wait(lock, [this] { return !holding_.count(who()); });
        });
    }
    ~HashingStage() {
        {
            std::lock_guard<std::mutex> lock(mu_);
            holding_.clear();
        }
        cv_.notify_all();
        for (std::thread& t : threads_) t.join();
        engine::setPasswordHashHook(nullptr);
    }

    // A wrong password checked for `peer`, whose logins failed `failures` times lately.
    void start(const std::string& peer, int failures) {
        threads_.emplace_back([this, peer, failures] {
            who() = peer;
            engine::HashingPeer as(peer, failures);
            (void)engine::verifyPassword(stored_, "wrong");
        });
    }
    void waitForGrants(size_t n) {
        std::unique_lock<std::mutex> lock(mu_);
        cv_.wait(lock, [&] { return granted_.size() >= n; });
    }
    void letGo(const std::string& peer) {
        std::lock_guard<std::mutex> lock(mu_);
        holding_.erase(peer);
        cv_.notify_all();
    }
    std::vector<std::string> granted() {
        std::lock_guard<std::mutex> lock(mu_);
        return granted_;
    }

  private:
    static std::string& who() {
        thread_local std::string name;
        return name;
    }
    const engine::PasswordHash stored_ = engine::hashPassword("secret");
    std::mutex mu_;
    std::condition_variable cv_;
    std::set<std::string> holding_;
    std::vector<std::string> granted_;
    std::vector<std::thread> threads_;
};

// Lets the threads started so far queue up. Should they not have yet, they come after what
// starts next, and the test passes for want of a fault, never fails for want of time.
void letThemQueue() {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

// A flood of wrong passwords from many peers holds the one slot peers with failures share
// and queues for more; a peer without failures still gets a slot at once.
TEST(Logins, AFloodOfFailingPeersLeavesASlotForOthers) {
    HashingStage stage({"flood 0"});
    stage.start("flood 0", 3);
    stage.waitForGrants(1);
    for (int i = 1; i < 12; ++i) stage.start("flood " + std::to_string(i), 3);
    letThemQueue();
    stage.start("guest", 0);
    stage.waitForGrants(2);
    const std::vector<std::string> granted = stage.granted();
    EXPECT_EQ(granted[1], "guest") << "the flood took every slot";
}

// With every slot held, the next one freed goes to the waiting peer with the fewest recent
// failures, even one served a moment ago before many never served.
TEST(Logins, TheNextSlotGoesToThePeerThatFailedLeast) {
    HashingStage stage({"calm 0", "calm 1", "calm 2", "flood 0"});
    stage.start("guest", 0);
    stage.start("mistyped", 1);
    stage.waitForGrants(2);
    for (const char* holder : {"calm 0", "calm 1", "calm 2", "flood 0"})
        stage.start(holder, holder[0] == 'c' ? 0 : 3);
    stage.waitForGrants(6);
    for (int i = 2; i < 10; ++i) stage.start("flood " + std::to_string(i), 3);
    letThemQueue();
    stage.start("mistyped", 1);
    stage.start("guest", 0);
    letThemQueue();
    stage.letGo("flood 0");  // one slot, and room for one more peer with failures
    stage.waitForGrants(8);
    const std::vector<std::string> granted = stage.granted();
    EXPECT_EQ(std::vector<std::string>(granted.begin() + 6, granted.begin() + 8),
              (std::vector<std::string>{"guest", "mistyped"}));
}

}  // namespace
}  // namespace security
