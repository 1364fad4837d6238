// options.cpp: parsing of the lock holder's command line.
#include "engine/tools/lockholder/options.h"

#include <getopt.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <numeric>
#include <vector>

namespace lockholder {
namespace {

bool parseUnsigned(const std::string& s, uint64_t max, uint64_t* out) {
    uint64_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || s.empty() || v > max) return false;
    *out = v;
    return true;
}

bool parseNumber(const std::string& s, double* out) {
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (s.empty() || end != s.c_str() + s.size() || !(v == v)) return false;
    *out = v;
    return true;
}

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t pos; (pos = s.find(sep, start)) != std::string::npos; start = pos + 1) {
        parts.push_back(s.substr(start, pos - start));
    }
    parts.push_back(s.substr(start));
    return parts;
}

// "3,8,20-25" -> 3 8 20 21 22 23 24 25. Ranges are capped so a typo cannot exhaust memory.
bool parseRecords(const std::string& s, std::vector<uint32_t>* out) {
    constexpr uint64_t kMaxRange = 1000000;
    for (const std::string& part : split(s, ',')) {
        const size_t dash = part.find('-');
        uint64_t lo = 0, hi = 0;
        if (dash == std::string::npos) {
            if (!parseUnsigned(part, UINT32_MAX, &lo) || lo == 0) return false;
            hi = lo;
        } else if (!parseUnsigned(part.substr(0, dash), UINT32_MAX, &lo) ||
                   !parseUnsigned(part.substr(dash + 1), UINT32_MAX, &hi) || lo == 0 || hi < lo ||
                   hi - lo >= kMaxRange) {
            return false;
        }
        for (uint64_t r = lo; r <= hi; ++r) out->push_back(static_cast<uint32_t>(r));
    }
    return true;
}

}  // namespace

uint64_t nextRandom(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::vector<uint32_t> pickShare(uint32_t count, double share, uint64_t seed) {
    if (count == 0) return {};
    const auto want =
        static_cast<uint32_t>(std::clamp<double>(std::round(count * share), 1, count));
    // Partial Fisher-Yates over 1..count.
    std::vector<uint32_t> all(count);
    std::iota(all.begin(), all.end(), 1u);
    uint64_t state = seed;
    for (uint32_t i = 0; i < want; ++i) {
        const uint32_t j = i + static_cast<uint32_t>(nextRandom(state) % (count - i));
        std::swap(all[i], all[j]);
    }
    all.resize(want);
    std::sort(all.begin(), all.end());
    return all;
}

const char* usageText() {
    return "usage: lockholder --dict NAME.add --table T (--records 1,5,9-12 | --share 0.2)\n"
           "                  [--workstation W] [--oslogin L] [--app A]\n"
           "       lockholder --workload --dict NAME.add --tables T1,T2 [--users N]\n"
           "                  [--hold-ms MIN-MAX] [--seed N]\n"
           "  common: [--user U] [--password P] [--server unix:PATH|tcp:127.0.0.1:PORT]\n"
           "          [--seconds S] [--ready FILE]\n"
           "  Holds the locks until SIGINT or SIGTERM (or --seconds), then releases them.\n";
}

std::optional<Options> parseOptions(int argc, const char* const* argv, std::string* error) {
    Options o;
    bool recordsGiven = false;
    using Setter = std::function<bool(const std::string&)>;
    const std::map<std::string, Setter> valued{
        {"--dict",
         [&](const std::string& v) {
             o.dictionary = v;
             return !v.empty();
         }},
        {"--user",
         [&](const std::string& v) {
             o.user = v;
             return true;
         }},
        {"--password",
         [&](const std::string& v) {
             o.password = v;
             return true;
         }},
        {"--server",
         [&](const std::string& v) {
             o.server = v;
             return true;
         }},
        {"--workstation",
         [&](const std::string& v) {
             o.who.workstation = v;
             return true;
         }},
        {"--oslogin",
         [&](const std::string& v) {
             o.who.osLogin = v;
             return true;
         }},
        {"--app",
         [&](const std::string& v) {
             o.who.application = v;
             return true;
         }},
        {"--table",
         [&](const std::string& v) {
             o.tables = {v};
             return !v.empty();
         }},
        {"--tables",
         [&](const std::string& v) {
             o.tables = split(v, ',');
             for (const auto& t : o.tables)
                 if (t.empty()) return false;
             return true;
         }},
        {"--records",
         [&](const std::string& v) {
             recordsGiven = true;
             return parseRecords(v, &o.records);
         }},
        {"--share",
         [&](const std::string& v) {
             return parseNumber(v, &o.share) && o.share > 0 && o.share <= 1;
         }},
        {"--users",
         [&](const std::string& v) {
             uint64_t n = 0;
             if (!parseUnsigned(v, 200, &n) || n == 0) return false;
             o.users = static_cast<int>(n);
             return true;
         }},
        {"--seconds",
         [&](const std::string& v) { return parseNumber(v, &o.seconds) && o.seconds >= 0; }},
        {"--hold-ms",
         [&](const std::string& v) {
             const auto parts = split(v, '-');
             uint64_t lo = 0, hi = 0;
             if (parts.size() != 2 || !parseUnsigned(parts[0], 3600000, &lo) ||
                 !parseUnsigned(parts[1], 3600000, &hi) || hi < lo) {
                 return false;
             }
             o.holdMinMs = static_cast<uint32_t>(lo);
             o.holdMaxMs = static_cast<uint32_t>(hi);
             return true;
         }},
        {"--seed", [&](const std::string& v) { return parseUnsigned(v, UINT64_MAX, &o.seed); }},
        {"--ready",
         [&](const std::string& v) {
             o.readyFile = v;
             return !v.empty();
         }},
    };
    // getopt_long codes: 256 + the setter's place; past them, --workload.
    std::vector<option> longOptions;
    std::vector<const Setter*> setters;
    for (const auto& [name, setter] : valued) {
        longOptions.push_back({name.c_str() + 2, required_argument, nullptr,
                               256 + static_cast<int>(setters.size())});
        setters.push_back(&setter);
    }
    const int workload = 256 + static_cast<int>(setters.size());
    longOptions.push_back({"workload", no_argument, nullptr, workload});
    longOptions.push_back({nullptr, 0, nullptr, 0});
    optind = 0;  // parsed afresh on every call; "+": the arguments are never reordered
    opterr = 0;  // the messages below say what was wrong
    char* const* args = const_cast<char* const*>(argv);
    int code = 0;
    while ((code = getopt_long(argc, args, "+:", longOptions.data(), nullptr)) != -1) {
        const std::string arg = argv[optind - 1];  // the option, unless it took a value
        if (code == workload) {
            o.mode = Options::Mode::Workload;
        } else if (code == ':') {
            *error = arg + " needs a value";
            return std::nullopt;
        } else if (code < 256 || code > workload) {
            *error = "unknown argument " + arg;
            return std::nullopt;
        } else if (!(*setters[static_cast<size_t>(code - 256)])(optarg)) {
            *error = std::string("bad value for --") + longOptions[code - 256].name + ": " + optarg;
            return std::nullopt;
        }
    }
    if (optind < argc) {
        *error = std::string("unknown argument ") + argv[optind];
        return std::nullopt;
    }
    if (o.dictionary.empty()) {
        *error = "--dict is required";
    } else if (o.tables.empty()) {
        *error = o.mode == Options::Mode::Hold ? "--table is required" : "--tables is required";
    } else if (o.mode == Options::Mode::Hold && o.tables.size() != 1) {
        *error = "hold mode takes one --table";
    } else if (o.mode == Options::Mode::Hold && recordsGiven == (o.share > 0)) {
        *error = "give either --records or --share";
    } else {
        return o;
    }
    return std::nullopt;
}

}  // namespace lockholder
