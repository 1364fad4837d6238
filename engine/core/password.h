// password.h: how dictionary users' passwords are kept — Argon2id, a memory-hard hash, as
// libsodium writes it — and how hashes of the older form (one salted SHA-256) are checked.
//
// Hashing and checking cost tens of milliseconds and megabytes each by design; at most a
// few run at once in a process, and the others wait, so that a burst of logins cannot
// take the machine's memory. The waiting are served by peer: the one whose logins failed
// least lately first, then the one served longest ago. A peer that sends many wrong
// passwords cannot starve the others.
#ifndef BREVANTIS_ENGINE_CORE_PASSWORD_H
#define BREVANTIS_ENGINE_CORE_PASSWORD_H

#include <string>
#include <string_view>

namespace engine {

// A stored password: the Argon2id text ("$argon2id$v=19$m=...,t=...,p=1$salt$hash"), or,
// read from an older dictionary, the hex SHA-256 of the hex salt's bytes and the password.
struct PasswordHash {
    std::string hash;
    std::string salt;  // hex; set only for a hash of the older form
};

// The hash of `password` in the current form; empty when it cannot be made (no memory).
PasswordHash hashPassword(std::string_view password);

// Whether `password` is the one `stored` was made from. Safe from any thread.
bool verifyPassword(const PasswordHash& stored, std::string_view password);

// A hash no password matches, of the current form: checked for a user who does not exist,
// so that the answer takes as long as for a wrong password and tells nothing.
const PasswordHash& unknownUserHash();

// Names the peer on whose behalf this thread hashes, while it lives (default: one peer
// for all), and how many of its logins failed lately: a peer with fewer failures is served
// first, so that a flood of wrong passwords from many peers cannot keep out one that has
// not failed. Not to be nested.
class HashingPeer {
  public:
    explicit HashingPeer(std::string peer, int recentFailures = 0);
    ~HashingPeer();
    HashingPeer(const HashingPeer&) = delete;
    HashingPeer& operator=(const HashingPeer&) = delete;
};

// Whether `stored` is of an older form or weaker parameters than hashPassword makes now:
// it is to be made again the next time its password is known.
bool needsRehash(const PasswordHash& stored);

}  // namespace engine

#endif  // BREVANTIS_ENGINE_CORE_PASSWORD_H
