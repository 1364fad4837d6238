// password.cpp: Argon2id through libsodium, and the older salted SHA-256 for reading.
#include "engine/core/password.h"

#include <sodium.h>

#include <semaphore>

namespace engine {
namespace {

// Argon2id with 2 passes over 19 MiB: about 40 ms on a shared machine of today.
constexpr unsigned long long kOpsLimit = 2;
constexpr size_t kMemLimit = 19u << 20;

// Hashes at once; each takes kMemLimit while it runs.
std::counting_semaphore<> gHashing(4);

class HashingSlot {
  public:
    HashingSlot() { gHashing.acquire(); }
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

PasswordHash hashPassword(std::string_view password) {
    char out[crypto_pwhash_STRBYTES];
    HashingSlot slot;
    if (!sodiumReady() ||
        ::crypto_pwhash_str(out, password.data(), password.size(), kOpsLimit, kMemLimit) != 0)
        return {};
    return {out, {}};
}

bool verifyPassword(const PasswordHash& stored, std::string_view password) {
    if (!sodiumReady() || stored.hash.empty()) return false;
    if (!stored.salt.empty()) return verifyOlderForm(stored, password);
    HashingSlot slot;
    return ::crypto_pwhash_str_verify(stored.hash.c_str(), password.data(), password.size()) == 0;
}

bool needsRehash(const PasswordHash& stored) {
    return !stored.salt.empty() ||
           ::crypto_pwhash_str_needs_rehash(stored.hash.c_str(), kOpsLimit, kMemLimit) != 0;
}

}  // namespace engine
