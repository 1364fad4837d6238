// holder_main.cpp: lock_search_holder, one connection of the lock search benchmark holding
// the first records of several tables as one user, until SIGTERM.
//
// usage: lock_search_holder SERVER DICTIONARY WORKSTATION OSLOGIN RECORDS TABLE,... READY
// Locks records 1..RECORDS of every TABLE, then writes READY ("pid locks") and waits.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "engine/tools/lockholder/holder.h"
#include "engine/tools/lockholder/stop_signal.h"

int main(int argc, char** argv) {
    lockholder::blockStopSignals();
    if (argc != 8) {
        std::fprintf(stderr,
                     "usage: %s SERVER DICTIONARY WORKSTATION OSLOGIN RECORDS TABLE,... READY\n",
                     argv[0]);
        return 2;
    }
    lockholder::Options options;
    options.server = argv[1];
    options.dictionary = argv[2];
    const lockholder::Who who{argv[3], argv[4], "Bench.exe"};
    const uint32_t records = static_cast<uint32_t>(std::strtoul(argv[5], nullptr, 10));
    std::vector<std::string> tables;
    for (std::stringstream list(argv[6]); list.good();) {
        std::string name;
        std::getline(list, name, ',');
        tables.push_back(name);
    }
    const std::string ready = argv[7];
    lockholder::Holder holder;
    std::string error;
    if (!holder.open(options, who, tables, &error)) {
        std::fprintf(stderr, "lock_search_holder: %s\n", error.c_str());
        return 1;
    }
    for (size_t t = 0; t < tables.size(); ++t) {
        for (uint32_t r = 1; r <= records; ++r) {
            if (holder.lock(t, r) != AE_SUCCESS) {
                std::fprintf(stderr, "lock_search_holder: %s record %u: %s\n", tables[t].c_str(), r,
                             lockholder::lastEngineError().c_str());
                return 1;
            }
        }
    }
    {
        std::ofstream out(ready + ".tmp", std::ios::trunc);
        out << getpid() << ' ' << holder.held() << '\n';
    }
    std::rename((ready + ".tmp").c_str(), ready.c_str());
    lockholder::waitForStop(0);
    holder.close();
    return 0;
}
