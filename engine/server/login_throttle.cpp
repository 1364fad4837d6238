// login_throttle.cpp: failures by peer and by user, and the wait they earn.
#include "engine/server/login_throttle.h"

#include <algorithm>

namespace engine::server {

namespace {
constexpr auto kMemory = std::chrono::seconds(60);  // a failure is forgotten after this
constexpr int kFirstWaitMs = 25;
constexpr int kLongestWaitMs = 3000;
constexpr size_t kKeysRemembered = 16384;  // bounds the memory a flood of names takes
}  // namespace

LoginThrottle& LoginThrottle::instance() {
    static LoginThrottle throttle;
    return throttle;
}

int LoginThrottle::count(const std::string& key, std::chrono::steady_clock::time_point now) {
    Failures& f = failures_[key];
    if (now - f.last > kMemory) f.count = 0;
    f.last = now;
    return ++f.count;
}

int LoginThrottle::recentFailures(const std::string& peer) {
    std::lock_guard<std::mutex> lock(mu_);
    auto found = failures_.find("peer " + peer);
    if (found == failures_.end() || std::chrono::steady_clock::now() - found->second.last > kMemory)
        return 0;
    return found->second.count;
}

std::chrono::milliseconds LoginThrottle::failed(const std::string& peer, const std::string& user) {
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard<std::mutex> lock(mu_);
    if (failures_.size() >= kKeysRemembered) failures_.clear();
    const int n = std::max(count("peer " + peer, now), count("user " + user, now));
    const int shift = std::min(n - 1, 16);
    return std::chrono::milliseconds(std::min(kLongestWaitMs, kFirstWaitMs << shift));
}

}  // namespace engine::server
