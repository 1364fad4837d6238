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

#include "engine/core/test_hooks.h"

namespace engine {
namespace {

// Argon2id with 2 passes over 19 MiB: about 40 ms on a shared machine of today.
constexpr unsigned long long kOpsLimit = 2;
constexpr size_t kMemLimit = 19u << 20;

thread_local std::string tHashingPeer;

std::function<void(std::string_view)> gHashHook;

// The cost part of an Argon2id text: its first three fields, up to the salt.
std::string_view costOf(std::string_view hash) {
    size_t end = 0;
    for (int field = 0; field < 3 && end != std::string_view::npos; ++field)
        end = hash.find('$', end + 1);
    return hash.substr(0, end);
}

// The hashing slots, given to the waiting peer served longest ago (one never served first),
// in the order of arrival among equals.
class HashingGate {
  public:
    void acquire(const std::string& peer) {
        std::unique_lock<std::mutex> lock(mu_);
        waiting_.push_back(&peer);
        auto self = std::prev(waiting_.end());
        cv_.wait(lock, [&] { return free_ > 0 && next() == self; });
        waiting_.erase(self);
        --free_;
        constexpr size_t kPeersRemembered = 4096;
        if (lastServed_.size() >= kPeersRemembered) lastServed_.clear();
        lastServed_[peer] = ++served_;
    }
    void release() {
        {
            std::lock_guard<std::mutex> lock(mu_);
            ++free_;
        }
        cv_.notify_all();
    }

  private:
    std::list<const std::string*>::iterator next() {
        auto best = waiting_.begin();
        uint64_t bestServed = UINT64_MAX;
        for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
            auto found = lastServed_.find(**it);
            const uint64_t served = found == lastServed_.end() ? 0 : found->second;
            if (bestServed == UINT64_MAX || served < bestServed) {
                best = it;
                bestServed = served;
            }
        }
        return best;
    }

    std::mutex mu_;
    std::condition_variable cv_;
    int free_ = 4;  // hashes at once; each takes kMemLimit while it runs
    uint64_t served_ = 0;
    std::list<const std::string*> waiting_;
    std::unordered_map<std::string, uint64_t> lastServed_;  // peer -> served_ when last served
};

HashingGate gHashing;

class HashingSlot {
  public:
    HashingSlot() { gHashing.acquire(tHashingPeer); }
    ~HashingSlot() { gHashing.release(); }
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

HashingPeer::HashingPeer(std::string peer) {
    tHashingPeer = std::move(peer);
}

HashingPeer::~HashingPeer() {
    tHashingPeer.clear();
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
