// workload.cpp: simulated users, each on its own thread and connection.
#include "engine/tools/lockholder/workload.h"

#include <chrono>
#include <cstdio>

#include "engine/tools/lockholder/holder.h"

namespace lockholder {
namespace {

uint32_t between(uint64_t& state, uint32_t lo, uint32_t hi) {
    return lo + static_cast<uint32_t>(nextRandom(state) % (uint64_t{hi} - lo + 1));
}

}  // namespace

Who simulatedUser(int i) {
    static const char* const kPeople[] = {"jdupont", "mmartin",   "slefevre", "cgarnier",
                                          "pmoreau", "lroux",     "abernard", "tfaure",
                                          "nblanc",  "echevalier"};
    static const char* const kPlaces[] = {"COMPTA", "ACCUEIL", "MAGASIN", "DIRECTION",
                                          "PAIE",   "VENTES",  "ATELIER"};
    static const char* const kApps[] = {"GestCom.exe",    "Facturation.exe", "PaieExpress.exe",
                                        "Inventaire.exe", "StatsVentes.exe", "Relances.exe"};
    const int person = i % 10, place = i % 7, app = i % 6;
    char workstation[48];
    std::snprintf(workstation, sizeof workstation, "PC-%s-%02d", kPlaces[place], i + 1);
    std::string login = kPeople[person];
    if (i >= 10) login += std::to_string(i / 10 + 1);
    return {workstation, login, kApps[app]};
}

bool Workload::start(std::string* error) {
    for (int i = 0; i < options_.users; ++i) {
        threads_.emplace_back(&Workload::run, this, i, options_.seed * 1000003u + i);
    }
    // Each user reports in once connected (or failed); wait for all of them.
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(mutex_);
            if (!firstError_.empty()) {
                *error = firstError_;
                break;
            }
        }
        if (ready_ == options_.users) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    stop();
    return false;
}

void Workload::stop() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
    threads_.clear();
}

bool Workload::pause(uint32_t ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    return !wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_; });
}

void Workload::run(int user, uint64_t seed) {
    Holder holder;
    std::string error;
    if (!holder.open(options_, simulatedUser(user), options_.tables, &error)) {
        std::lock_guard<std::mutex> guard(mutex_);
        if (firstError_.empty()) firstError_ = simulatedUser(user).workstation + ": " + error;
        return;
    }
    ++ready_;
    uint64_t state = seed;
    // Users do not all start at once.
    if (!pause(between(state, 0, options_.holdMinMs))) return;
    for (;;) {
        const size_t table = between(state, 0, static_cast<uint32_t>(options_.tables.size() - 1));
        const uint32_t count = holder.recordCount(table);
        if (count > 0) {
            const uint32_t record = between(state, 1, count);
            const uint32_t rc = holder.lock(table, record);
            if (rc == AE_SUCCESS) {
                ++locksTaken_;
                const bool go = pause(between(state, options_.holdMinMs, options_.holdMaxMs));
                holder.unlock(table, record);
                if (!go) return;
            } else if (rc == AE_RECORD_LOCKED) {
                ++busy_;
            } else {
                ++failures_;
            }
        }
        if (!pause(between(state, options_.holdMinMs / 4, options_.holdMinMs))) return;
    }
}

}  // namespace lockholder
