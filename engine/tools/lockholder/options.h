// options.h: the lock holder's command line.
#ifndef BREVANTIS_ENGINE_TOOLS_LOCKHOLDER_OPTIONS_H
#define BREVANTIS_ENGINE_TOOLS_LOCKHOLDER_OPTIONS_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lockholder {

// Who a connection says it is (what the lock-owner procedure reports), as UTF-8 text.
struct Who {
    std::string workstation;  // user / workstation name
    std::string osLogin;
    std::string application;
};

struct Options {
    enum class Mode { Hold, Workload };
    Mode mode = Mode::Hold;
    std::string dictionary;       // NAME.add to connect to
    std::string user = "adssys";  // dictionary user
    std::string password = "kor5382";
    std::string server;               // server address; empty: the library's default
    Who who;                          // Hold mode; empty parts keep the library's defaults
    std::vector<std::string> tables;  // Hold: exactly one; Workload: those to work on
    std::vector<uint32_t> records;    // Hold: records to lock, in order
    double share = 0;                 // Hold: or this fraction (0..1] of the table's records
    int users = 5;                    // Workload: simulated users
    double seconds = 0;               // stop by itself after this long; 0: only on a signal
    uint32_t holdMinMs = 500;         // Workload: how long each lock is held
    uint32_t holdMaxMs = 4000;
    uint64_t seed = 1;
    std::string readyFile;  // written once every lock is taken (Hold) / users run
};

// Parses argv[1..]; nullopt with `error` set (a one-line reason) when the line is wrong.
// Records are given as "3,8,20-25"; a share as a number in (0, 1].
std::optional<Options> parseOptions(int argc, const char* const* argv, std::string* error);

// Picks max(1, round(count * share)) distinct record numbers of 1..count, spread by `seed`,
// in increasing order. Empty when count is 0.
std::vector<uint32_t> pickShare(uint32_t count, double share, uint64_t seed);

// The next value of the holder's random sequence (splitmix64), advancing `state`.
uint64_t nextRandom(uint64_t& state);

// The usage text printed on a wrong command line.
const char* usageText();

}  // namespace lockholder

#endif  // BREVANTIS_ENGINE_TOOLS_LOCKHOLDER_OPTIONS_H
