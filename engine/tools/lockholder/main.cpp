// main.cpp: the lock holder: connects as a given user and holds record locks until stopped.
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "engine/tools/lockholder/holder.h"
#include "engine/tools/lockholder/options.h"
#include "engine/tools/lockholder/stop_signal.h"
#include "engine/tools/lockholder/workload.h"

namespace {

using lockholder::Options;

// Tells a waiting script that the locks are in place: "pid locks\n", written whole.
void writeReady(const std::string& path, size_t locks) {
    if (path.empty()) return;
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::trunc);
        out << getpid() << ' ' << locks << '\n';
    }
    std::rename(tmp.c_str(), path.c_str());
}

int hold(const Options& o) {
    lockholder::Holder holder;
    std::string error;
    if (!holder.open(o, o.who, o.tables, &error)) {
        std::fprintf(stderr, "lockholder: %s\n", error.c_str());
        return 1;
    }
    const std::vector<uint32_t> records =
        o.share > 0 ? lockholder::pickShare(holder.recordCount(0), o.share, o.seed) : o.records;
    for (uint32_t r : records) {
        if (holder.lock(0, r) != AE_SUCCESS) {
            std::fprintf(stderr, "lockholder: record %u of %s not locked: %s\n", r,
                         o.tables[0].c_str(), lockholder::lastEngineError().c_str());
        }
    }
    if (holder.held() == 0) {
        std::fprintf(stderr, "lockholder: no lock taken on %s\n", o.tables[0].c_str());
        return 1;
    }
    std::printf("lockholder %d: %zu locks held on %s\n", static_cast<int>(getpid()), holder.held(),
                o.tables[0].c_str());
    std::fflush(stdout);
    writeReady(o.readyFile, holder.held());
    lockholder::waitForStop(o.seconds);
    holder.close();
    return 0;
}

int workload(const Options& o) {
    lockholder::Workload w(o);
    std::string error;
    if (!w.start(&error)) {
        std::fprintf(stderr, "lockholder: %s\n", error.c_str());
        return 1;
    }
    std::printf("lockholder %d: %d simulated users running\n", static_cast<int>(getpid()), o.users);
    std::fflush(stdout);
    writeReady(o.readyFile, static_cast<size_t>(o.users));
    lockholder::waitForStop(o.seconds);
    w.stop();
    std::printf("lockholder %d: %llu locks taken, %llu refused as busy, %llu errors\n",
                static_cast<int>(getpid()), static_cast<unsigned long long>(w.locksTaken()),
                static_cast<unsigned long long>(w.busy()),
                static_cast<unsigned long long>(w.failures()));
    return w.failures() == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    lockholder::blockStopSignals();
    std::string error;
    const auto options = lockholder::parseOptions(argc, argv, &error);
    if (!options) {
        std::fprintf(stderr, "lockholder: %s\n%s", error.c_str(), lockholder::usageText());
        return 2;
    }
    return options->mode == Options::Mode::Hold ? hold(*options) : workload(*options);
}
