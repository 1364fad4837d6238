// concurrency_test.cpp: 50 clients lock, unlock, read and append while a 51st runs the two
// lock procedures in a loop; the procedures must match the locks actually held.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <thread>

#include "tests/engine/reliability/client.h"
#include "tests/engine/reliability/harness.h"

namespace reliability {
namespace {

constexpr int kClients = 50;
constexpr int kSlice = 8;  // records owned by each client
constexpr int kRecords = kClients * kSlice;
constexpr auto kRunFor = std::chrono::seconds(4);

enum SlotState : int { kFree = 0, kLocking = 1, kHeld = 2, kUnlocking = 3 };

// What the clients know about one record. A transition stores the state, then bumps the
// epoch; a reader that sees the same (epoch, state) before and after a procedure call knows
// the state held for the whole call.
struct Slot {
    std::atomic<int> state{kFree};
    std::atomic<uint64_t> epoch{0};
    void set(int s) {
        state.store(s);
        epoch.fetch_add(1);
    }
};

std::string workstation(int client) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "CLIENT-%02d", client);
    return buf;
}

struct Tally {
    std::atomic<int> lockFailures{0}, unlockFailures{0}, readFailures{0}, appendFailures{0};
    std::atomic<int> appends{0}, locks{0};
};

void runClient(int id, const std::string& address, const std::string& dict, Slot* slots,
               std::atomic<bool>* stop, Tally* tally) {
    Client c(address, dict, id % 2 ? "plain" : "adssys", id % 2 ? "plain1" : "kor5382",
             workstation(id), "login" + std::to_string(id), "app" + std::to_string(id));
    ASSERT_EQ(c.code(), 0u) << lastError();
    const ADSHANDLE items = c.open("Items");
    const ADSHANDLE journal = c.open("Journal");
    ASSERT_NE(items, 0u) << lastError();
    ASSERT_NE(journal, 0u) << lastError();
    uint64_t rnd = 0x9E3779B97F4A7C15ull * (id + 1);
    auto next = [&rnd](uint32_t n) {
        rnd ^= rnd << 13, rnd ^= rnd >> 7, rnd ^= rnd << 17;
        return static_cast<uint32_t>(rnd % n);
    };
    int seq = 0;
    while (!stop->load()) {
        const uint32_t op = next(10);
        if (op < 6) {  // lock or unlock one of our own records
            const uint32_t rec = id * kSlice + 1 + next(kSlice);
            Slot& s = slots[rec];
            if (s.state.load() == kFree) {
                s.set(kLocking);
                if (AdsLockRecord(items, rec) == AE_SUCCESS) {
                    s.set(kHeld);
                    ++tally->locks;
                } else {
                    ++tally->lockFailures;
                    s.set(kFree);
                }
            } else {
                s.set(kUnlocking);
                if (AdsUnlockRecord(items, rec) != AE_SUCCESS) ++tally->unlockFailures;
                s.set(kFree);
            }
        } else if (op < 8) {  // read any record, locked by others or not
            UNSIGNED8 buf[512];
            UNSIGNED32 len = sizeof buf;
            if (AdsGotoRecord(items, 1 + next(kRecords)) != AE_SUCCESS ||
                AdsGetRecord(items, buf, &len) != AE_SUCCESS) {
                ++tally->readFailures;
            }
        } else {  // append to the journal
            const std::string value = std::to_string(id * 100000 + ++seq);
            const std::string payload = "from " + workstation(id);
            if (AdsAppendRecord(journal) == AE_SUCCESS &&
                AdsSetField(journal, "Seq", reinterpret_cast<const UNSIGNED8*>(value.data()),
                            static_cast<UNSIGNED32>(value.size())) == AE_SUCCESS &&
                AdsSetField(journal, "Payload", reinterpret_cast<const UNSIGNED8*>(payload.data()),
                            static_cast<UNSIGNED32>(payload.size())) == AE_SUCCESS &&
                AdsWriteRecord(journal) == AE_SUCCESS) {
                ++tally->appends;
            } else {
                ++tally->appendFailures;
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200 + next(1500)));
    }
    // Leave with everything released, as the model says.
    for (int rec = id * kSlice + 1; rec <= (id + 1) * kSlice; ++rec) {
        if (slots[rec].state.load() == kHeld) {
            slots[rec].set(kUnlocking);
            AdsUnlockRecord(items, rec);
            slots[rec].set(kFree);
        }
    }
}

TEST(Concurrency, ProceduresMatchTheLocksHeldByFiftyClients) {
    TempDir dir("concurrency");
    const std::string dict = makeDictionary(dir.path(), "Conc", kRecords);
    const std::string itemsPath = dir.path() + "/Items.adt";
    ServerProcess server(dir.path() + "/srv.sock");
    ASSERT_TRUE(server.start());

    std::vector<Slot> slots(kRecords + 1);
    std::atomic<bool> stop{false};
    Tally tally;
    std::vector<std::thread> clients;
    // However the test ends, the clients are told to stop; a failed assertion must not leave
    // joinable threads behind.
    struct StopGuard {
        std::atomic<bool>& stop;
        std::vector<std::thread>& threads;
        ~StopGuard() {
            stop = true;
            for (auto& t : threads) {
                if (t.joinable()) t.join();
            }
        }
    } guard{stop, clients};
    for (int i = 0; i < kClients; ++i) {
        clients.emplace_back(runClient, i, server.address(), dict, slots.data(), &stop, &tally);
    }

    Client monitor(server.address(), dict, "adssys", "kor5382", "MONITOR");
    ASSERT_EQ(monitor.code(), 0u) << lastError();
    int rounds = 0, heldChecked = 0, freeChecked = 0, ownersChecked = 0;
    const auto deadline = std::chrono::steady_clock::now() + kRunFor;
    while (std::chrono::steady_clock::now() < deadline) {
        std::vector<std::pair<uint64_t, int>> before(kRecords + 1);
        for (int r = 1; r <= kRecords; ++r)
            before[r] = {slots[r].epoch.load(), slots[r].state.load()};
        UNSIGNED32 rc = 0;
        const std::vector<uint32_t> reported = monitor.allLocks(itemsPath, &rc);
        ASSERT_EQ(rc, 0u) << lastError();
        std::vector<bool> isReported(kRecords + 1, false);
        for (uint32_t r : reported) {
            ASSERT_GE(r, 1u);
            ASSERT_LE(r, static_cast<uint32_t>(kRecords));
            isReported[r] = true;
        }
        std::vector<int> stableHeld;
        for (int r = 1; r <= kRecords; ++r) {
            const int state = slots[r].state.load();
            if (slots[r].epoch.load() != before[r].first || state != before[r].second) continue;
            if (state == kHeld) {
                EXPECT_TRUE(isReported[r]) << "record " << r << " held but not reported";
                stableHeld.push_back(r);
                ++heldChecked;
            } else if (state == kFree) {
                EXPECT_FALSE(isReported[r]) << "record " << r << " reported but not held";
                ++freeChecked;
            }
        }
        // The owner of a few records that stay held through the owner call.
        for (size_t k = 0; k < stableHeld.size() && k < 3; ++k) {
            const int r = stableHeld[(k * 7919 + rounds) % stableHeld.size()];
            const uint64_t e = slots[r].epoch.load();
            if (slots[r].state.load() != kHeld) continue;
            const auto owners = monitor.lockOwners(itemsPath, r, &rc);
            ASSERT_EQ(rc, 0u) << lastError();
            if (slots[r].epoch.load() != e) continue;
            ASSERT_EQ(owners.size(), 1u) << "record " << r;
            EXPECT_EQ(owners[0], workstation((r - 1) / kSlice));
            ++ownersChecked;
        }
        ++rounds;
    }
    stop = true;
    // A deadlocked client would never come back: give them a bounded time to finish.
    auto joined = std::async(std::launch::async, [&] {
        for (auto& t : clients) t.join();
    });
    ASSERT_EQ(joined.wait_for(std::chrono::seconds(30)), std::future_status::ready)
        << "clients did not finish: deadlock";

    EXPECT_EQ(tally.lockFailures, 0);
    EXPECT_EQ(tally.unlockFailures, 0);
    EXPECT_EQ(tally.readFailures, 0);
    EXPECT_EQ(tally.appendFailures, 0);
    EXPECT_GT(rounds, 10);
    EXPECT_GT(heldChecked, 100);
    EXPECT_GT(freeChecked, 100);
    EXPECT_GT(ownersChecked, 10);
    std::printf("rounds %d, held checked %d, free checked %d, owners %d, locks %d, appends %d\n",
                rounds, heldChecked, freeChecked, ownersChecked, tally.locks.load(),
                tally.appends.load());

    // Every append is there, and nothing is left locked.
    const ADSHANDLE journal = monitor.open("Journal");
    ASSERT_NE(journal, 0u) << lastError();
    UNSIGNED32 count = 0;
    ASSERT_EQ(AdsGetRecordCount(journal, ADS_IGNOREFILTERS | ADS_REFRESHCOUNT, &count), 0u);
    EXPECT_EQ(count, static_cast<UNSIGNED32>(tally.appends.load()));
    UNSIGNED32 rc = 0;
    EXPECT_TRUE(monitor.allLocks(itemsPath, &rc).empty());
    EXPECT_EQ(rc, 0u);
}

}  // namespace
}  // namespace reliability
