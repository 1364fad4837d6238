// login_cost.cpp: what a refused login costs the server, for a user the dictionary knows
// (wrong password) and for one it does not, measured in turn in process.
//
//   bench_login_cost [RESULT_FILE] [PAIRS]
//       (default: login_cost_results.txt, 40 pairs)
//
// The core alone: the wait the server adds to every refused login is left out, as it is
// the same for both (it counts the name given, not whether it exists). Prints and writes
// the median and 90th percentile of each kind and the ratio of the medians.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/session.h"
#include "engine/include/engine_api.h"

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds one refused login takes; exits when it is not refused as a login failure.
double refusedLoginMs(engine::Server& server, const std::string& dictionary,
                      const std::string& user) {
    std::unique_ptr<engine::Session> session;
    const auto start = Clock::now();
    const engine::Status st = server.connect(
        "Data Source=" + dictionary + ";User ID=" + user + ";Password=\"faux\";", {}, &session);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (st.code != AE_LOGIN_FAILED) {
        std::cerr << user << ": " << st.code << " " << st.text << "\n";
        std::exit(1);
    }
    return ms;
}

std::string summary(const char* name, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    char line[160];
    std::snprintf(line, sizeof line, "%-28s %4zu logins   median %7.2f ms   p90 %7.2f ms", name,
                  ms.size(), ms[ms.size() / 2], ms[ms.size() * 9 / 10]);
    return line;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const std::string resultFile = argc > 1 ? argv[1] : "login_cost_results.txt";
    const int pairs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 40;
    char tmpl[] = "/tmp/brevantis_bench_XXXXXX";
    const std::string dir = ::mkdtemp(tmpl);
    const std::string dictionary = dir + "/Entree.add";
    if (!engine::createDictionary(dictionary, "kor5382").ok()) return 1;

    engine::Server server;
    std::vector<double> known, unknown;
    refusedLoginMs(server, dictionary, "adssys");  // the dictionary read once
    for (int i = 0; i < pairs; ++i) {
        known.push_back(refusedLoginMs(server, dictionary, "adssys"));
        unknown.push_back(refusedLoginMs(server, dictionary, "inconnu" + std::to_string(i)));
    }
    char ratio[96];
    std::snprintf(ratio, sizeof ratio, "unknown / known, medians: %.3f",
                  median(unknown) / median(known));
    const std::string report = summary("known user, wrong password", known) + "\n" +
                               summary("unknown user", unknown) + "\n" + ratio + "\n";
    std::cout << report;
    std::ofstream(resultFile) << report;
    std::filesystem::remove_all(dir);
    return 0;
}
