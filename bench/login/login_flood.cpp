// login_flood.cpp: how long a correct login takes while many processes send wrong passwords
// for the same user, each over connections of its own.
//
//   bench_login_flood [RESULT_FILE] [FLOODERS] [LOGINS]
//       (default: login_flood_results.txt, 64 flooders, 40 logins)
//
// enginesrv serves a dictionary on a private Unix socket. This process logs in correctly
// LOGINS times, 50 ms apart, first alone, then while FLOODERS processes (this program
// again, with --flood) each log in with a wrong password over and over, a new connection
// each time. The flood runs 3 s before the first correct login is timed. Prints and writes
// the median, 90th percentile and worst of the correct logins, alone and under the flood,
// and how many wrong logins the flood sent a second.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "bench/common/engine_check.h"
#include "engine/core/session.h"
#include "engine/include/engine_api.h"
#include "engine/include/engine_client.h"
#include "tests/support/server_process.h"

namespace {

using Clock = std::chrono::steady_clock;

volatile std::sig_atomic_t gStop = 0;

std::string connectString(const std::string& dictionary, const std::string& password) {
    return "Data Source=" + dictionary + ";User ID=adssys;Password=\"" + password +
           "\";ServerType=REMOTE;";
}

// A flooder: wrong logins until SIGTERM, then the count of them on stdout.
int flood(const std::string& address, const std::string& dictionary) {
    std::signal(SIGTERM, [](int) { gStop = 1; });
    EngineSetServerAddress(address.c_str());
    EngineSetClientIdentity("FLOOD", "flood", "Bench");
    const std::string cs = connectString(dictionary, "faux");
    long sent = 0;
    while (!gStop) {
        ADSHANDLE c = 0;
        if (AdsConnect101(cs.c_str(), nullptr, &c) == AE_SUCCESS) AdsDisconnect(c);
        ++sent;
    }
    std::printf("%ld\n", sent);
    return 0;
}

// Milliseconds of `count` correct logins, 50 ms apart.
std::vector<double> correctLogins(const std::string& dictionary, int count) {
    const std::string cs = connectString(dictionary, "kor5382");
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        ADSHANDLE c = 0;
        const auto start = Clock::now();
        bench::check(AdsConnect101(cs.c_str(), nullptr, &c), "correct login");
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        AdsDisconnect(c);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return ms;
}

std::string summary(const std::string& name, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    char line[200];
    std::snprintf(line, sizeof line,
                  "%-24s %4zu logins   median %8.1f ms   p90 %8.1f ms   worst %8.1f ms",
                  name.c_str(), ms.size(), ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back());
    return line;
}

struct Flood {
    std::vector<pid_t> pids;
    int counts = -1;  // read end of the pipe the flooders report on
};

Flood startFlood(int flooders, const std::string& address, const std::string& dictionary) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) std::exit(1);
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    Flood f;
    for (int i = 0; i < flooders; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(pipeFds[1], 1);
            ::close(pipeFds[0]);
            ::execl(self.c_str(), self.c_str(), "--flood", address.c_str(), dictionary.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        f.pids.push_back(pid);
    }
    ::close(pipeFds[1]);
    f.counts = pipeFds[0];
    return f;
}

// Stops the flooders and returns the wrong logins they sent.
long stopFlood(Flood& f) {
    for (pid_t pid : f.pids) ::kill(pid, SIGTERM);
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = ::read(f.counts, buf, sizeof buf)) > 0;) text.append(buf, n);
    ::close(f.counts);
    for (pid_t pid : f.pids) ::waitpid(pid, nullptr, 0);
    long total = 0;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) break;
        total += std::atol(text.substr(at, end - at).c_str());
        at = end + 1;
    }
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--flood") return flood(argv[2], argv[3]);
    const std::string resultFile = argc > 1 ? argv[1] : "login_flood_results.txt";
    const int flooders = argc > 2 ? std::max(1, std::atoi(argv[2])) : 64;
    const int logins = argc > 3 ? std::max(1, std::atoi(argv[3])) : 40;
    char tmpl[] = "/tmp/brevantis_bench_XXXXXX";
    const std::string dir = ::mkdtemp(tmpl);
    const std::string dictionary = dir + "/Entree.add";
    if (!engine::createDictionary(dictionary, "kor5382").ok()) return 1;
    testsupport::ServerProcess server({"--log-level", "0"});
    if (!server.start()) {
        std::cerr << "enginesrv did not start: " << server.log() << "\n";
        return 1;
    }
    EngineSetServerAddress(server.address().c_str());
    EngineSetClientIdentity("BENCH", "bench", "Bench");

    const std::vector<double> alone = correctLogins(dictionary, logins);
    Flood f = startFlood(flooders, server.address(), dictionary);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const auto floodStart = Clock::now() - std::chrono::seconds(3);
    const std::vector<double> flooded = correctLogins(dictionary, logins);
    const long wrong = stopFlood(f);
    const double floodSeconds = std::chrono::duration<double>(Clock::now() - floodStart).count();

    char rate[160];
    std::snprintf(rate, sizeof rate, "flood: %d processes, %ld wrong logins in %.1f s (%.1f/s)",
                  flooders, wrong, floodSeconds, wrong / floodSeconds);
    const std::string report = summary("correct login, alone", alone) + "\n" +
                               summary("correct login, flooded", flooded) + "\n" + rate + "\n";
    std::cout << report;
    std::ofstream(resultFile) << report;
    server.stop();
    std::filesystem::remove_all(dir);
    return 0;
}
