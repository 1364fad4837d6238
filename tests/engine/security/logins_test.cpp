// logins_test.cpp: what a refused login gives away and what a flood of them takes. An
// unknown user costs the one hash a wrong password costs; repeated failures wait longer,
// by peer and by user; a peer that hashes much waits behind one that has not.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
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

// Four flooding hashes hold every slot and more wait; a guest that has not hashed yet gets
// the first slot that comes free.
TEST(Logins, APeerThatHashesMuchWaitsBehindOneThatHasNot) {
    const engine::PasswordHash stored = engine::hashPassword("secret");
    constexpr int kSlots = 4;
    thread_local std::string who;
    std::mutex mu;
    std::condition_variable cv;
    std::vector<std::string> granted;
    int released = 0;
    engine::setPasswordHashHook([&](std::string_view) {
        std::unique_lock<std::mutex> lock(mu);
        granted.push_back(who);
        const size_t order = granted.size();
        cv.notify_all();
        if (order <= kSlots) cv.wait(lock, [&] { return released >= static_cast<int>(order); });
    });
    auto login = [&](const std::string& peer) {
        return std::thread([&stored, peer] {
            who = peer;
            engine::HashingPeer as(peer);
            (void)engine::verifyPassword(stored, "wrong");
        });
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < kSlots; ++i) threads.push_back(login("flood"));
    {
        std::unique_lock<std::mutex> lock(mu);
        cv.wait(lock, [&] { return granted.size() == kSlots; });
    }
    for (int i = 0; i < 8; ++i) threads.push_back(login("flood"));
    // Queued behind the floods (if they are not yet, the guest comes first anyway).
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    threads.push_back(login("guest"));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    {
        std::unique_lock<std::mutex> lock(mu);
        released = 1;
        cv.notify_all();
        cv.wait(lock, [&] { return granted.size() > kSlots; });
        EXPECT_EQ(granted[kSlots], "guest") << "the slot went to the flood";
        released = kSlots;
        cv.notify_all();
    }
    for (std::thread& t : threads) t.join();
    engine::setPasswordHashHook(nullptr);
}

}  // namespace
}  // namespace security
