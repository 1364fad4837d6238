// login_throttle.h: how long a refused login waits before its answer. Part of enginesrv
// (engine/server); uses no Qt.
//
// Failures are remembered by peer and by user: each one more of either within a minute
// doubles the wait, up to a few seconds. A guesser then gets few tries a second however
// many connections it uses; and a peer's recent failures put its next hashing behind that
// of peers with fewer, so a correct login, which never waits, is not held up by a flood.
#ifndef BREVANTIS_ENGINE_SERVER_LOGIN_THROTTLE_H
#define BREVANTIS_ENGINE_SERVER_LOGIN_THROTTLE_H

#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>

namespace engine::server {

class LoginThrottle {
  public:
    // Notes a refused login of `user` from `peer` and tells how long its answer waits.
    // Thread-safe.
    std::chrono::milliseconds failed(const std::string& peer, const std::string& user);

    // How many logins from `peer` failed within the last minute. Thread-safe.
    int recentFailures(const std::string& peer);

    // The one throttle of this process.
    static LoginThrottle& instance();

  private:
    struct Failures {
        int count = 0;
        std::chrono::steady_clock::time_point last;
    };
    // Counts one more failure under `key`, forgetting those a minute old; the new count.
    int count(const std::string& key, std::chrono::steady_clock::time_point now);

    std::mutex mu_;
    std::unordered_map<std::string, Failures> failures_;
};

}  // namespace engine::server

#endif  // BREVANTIS_ENGINE_SERVER_LOGIN_THROTTLE_H
