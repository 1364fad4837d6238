// password.cpp: Argon2id through libsodium, and the older salted SHA-256 for reading.
#include "engine/core/password.h"

#include <sodium.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>

#include "engine/core/test_hooks.h"

namespace engine {
namespace {

// Argon2id with 2 passes over 19 MiB: about 40 ms on a shared machine of today.
constexpr unsigned long long kOpsLimit = 2;
constexpr size_t kMemLimit = 19u << 20;

thread_local std::string tHashingPeer;
thread_local int tHashingPeerFailures = 0;

std::function<void(std::string_view)> gHashHook;

// The cost part of an Argon2id text: its first three fields, up to the salt.
std::string_view costOf(std::string_view hash) {
    size_t end = 0;
    for (int field = 0; field < 3 && end != std::string_view::npos; ++field)
        end = hash.find('$', end + 1);
    return hash.substr(0, end);
}

// The hashing slots, given to the waiting peer with the fewest recent failures, then to
// the one served longest ago (one never served first), in the order of arrival among equals.
// Peers whose logins failed lately share only some of the slots: the others stay for
// logins without failures, whatever a flood of wrong passwords keeps waiting.
class HashingGate {
  public:
    // Waits for a slot; true when it was taken as a peer with failures.
    bool acquire(const std::string& peer, int recentFailures) {
        std::unique_lock<std::mutex> lock(mu_);
        waiting_.push_back({&peer, recentFailures});
        auto self = std::prev(waiting_.end());
        cv_.wait(lock, [&] { return next() == self; });
        waiting_.erase(self);
        --free_;
        const bool failing = recentFailures > 0;
        failingRunning_ += failing ? 1 : 0;
        constexpr size_t kPeersRemembered = 4096;
        if (lastServed_.size() >= kPeersRemembered) lastServed_.clear();
        lastServed_[peer] = ++served_;
        return failing;
    }
    void release(bool failing) {
        {
            std::lock_guard<std::mutex> lock(mu_);
            ++free_;
            failingRunning_ -= failing ? 1 : 0;
        }
        cv_.notify_all();
    }

  private:
    struct Waiter {
        const std::string* peer;
        int recentFailures;
    };

    // The waiter to start now, or end() when none may.
    std::list<Waiter>::iterator next() {
        auto best = waiting_.end();
        if (free_ == 0) return best;
        std::pair<int, uint64_t> bestRank;
        for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
            if (it->recentFailures > 0 && failingRunning_ >= kSlotsForFailing) continue;
            auto found = lastServed_.find(*it->peer);
            const std::pair<int, uint64_t> rank{it->recentFailures,
                                                found == lastServed_.end() ? 0 : found->second};
            if (best == waiting_.end() || rank < bestRank) {
                best = it;
                bestRank = rank;
            }
        }
        return best;
    }

    static constexpr int kSlots = 4;            // each takes kMemLimit while it runs
    static constexpr int kSlotsForFailing = 1;  // of those, for peers with recent failures

    std::mutex mu_;
    std::condition_variable cv_;
    int free_ = kSlots;
    int failingRunning_ = 0;
    uint64_t served_ = 0;
    std::list<Waiter> waiting_;
    std::unordered_map<std::string, uint64_t> lastServed_;  // peer -> served_ when last served
};

HashingGate gHashing;

class HashingSlot {
  public:
    HashingSlot() : failing_(gHashing.acquire(tHashingPeer, tHashingPeerFailures)) {}
    ~HashingSlot() { gHashing.release(failing_); }

  private:
    const bool failing_;
};

bool sodiumReady() {
    static const bool ready = ::sodium_init() >= 0;
    return ready;
}

// Bytes of a hex text; a stray character (a hand-edited file) ends the conversion.
std::string fromHex(std::string_view hex) {
    std::string out(hex.size() / 2, '\0');
    size_t n = 0;
    if (::sodium_hex2bin(reinterpret_cast<unsigned char*>(out.data()), out.size(), hex.data(),
                         hex.size(), nullptr, &n, nullptr) != 0)
        return {};
    out.resize(n);
    return out;
}

bool verifyOlderForm(const PasswordHash& stored, std::string_view password) {
    const std::string salted = fromHex(stored.salt) + std::string(password);
    unsigned char digest[crypto_hash_sha256_BYTES];
    ::crypto_hash_sha256(digest, reinterpret_cast<const unsigned char*>(salted.data()),
                         salted.size());
    const std::string expected = fromHex(stored.hash);
    return expected.size() == sizeof digest &&
           ::sodium_memcmp(digest, expected.data(), sizeof digest) == 0;
}

}  // namespace

HashingPeer::HashingPeer(std::string peer, int recentFailures) {
    tHashingPeer = std::move(peer);
    tHashingPeerFailures = recentFailures;
}

HashingPeer::~HashingPeer() {
    tHashingPeer.clear();
    tHashingPeerFailures = 0;
}

const PasswordHash& unknownUserHash() {
    static const PasswordHash dummy = [] {
        unsigned char secret[32];
        if (sodiumReady()) ::randombytes_buf(secret, sizeof secret);
        return hashPassword(std::string_view(reinterpret_cast<const char*>(secret), sizeof secret));
    }();
    return dummy;
}

void setPasswordHashHook(std::function<void(std::string_view)> hook) {
    gHashHook = std::move(hook);
}

PasswordHash hashPassword(std::string_view password) {
    char out[crypto_pwhash_STRBYTES];
    HashingSlot slot;
    if (!sodiumReady() ||
        ::crypto_pwhash_str(out, password.data(), password.size(), kOpsLimit, kMemLimit) != 0)
        return {};
    if (gHashHook) gHashHook(costOf(out));
    return {out, {}};
}

bool verifyPassword(const PasswordHash& stored, std::string_view password) {
    if (!sodiumReady() || stored.hash.empty()) return false;
    if (!stored.salt.empty()) return verifyOlderForm(stored, password);
    HashingSlot slot;
    if (gHashHook) gHashHook(costOf(stored.hash));
    return ::crypto_pwhash_str_verify(stored.hash.c_str(), password.data(), password.size()) == 0;
}

bool needsRehash(const PasswordHash& stored) {
    return !stored.salt.empty() ||
           ::crypto_pwhash_str_needs_rehash(stored.hash.c_str(), kOpsLimit, kMemLimit) != 0;
}

}  // namespace engine
