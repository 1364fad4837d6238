// main.cpp: enginesrv, the stand-in database server process.
//
//   enginesrv [--socket PATH | --tcp PORT] [--log-level 0|1|2] [--idle-timeout MS]
//             [--session-idle-timeout MS] [--frame-timeout MS] [--spin-us US]
//             [--max-connections N] [--max-cursors N] [--max-result-mb N]
//             [--tcp-folder-connections] [--sync]
//
// --idle-timeout bounds the time a new connection has to log in, --frame-timeout the time
// a started message may take to arrive whole (10 s each by default); --session-idle-timeout
// how long a logged-in connection may stay silent (8 hours; 0: for ever);
// --tcp-folder-connections lets folder connections come over TCP, whose client's user the
// server cannot tell (they come only through the Unix socket otherwise); --spin-us
// how long a connection checks for its next request before sleeping (50; 0: never);
// --max-connections how many connections it serves at once (1000; the newest beyond are
// refused); --max-cursors how many tables and cursors one connection may hold open (1000),
// --max-result-mb how much memory its kept SQL results may take (256); --sync flushes every
// write to the disk before answering. The process takes as
// many file descriptors as its hard limit allows.
// Serves until SIGTERM or SIGINT, then drops its connections, closes its files and
// removes its socket. Exit status 0 after a clean stop, 1 when it cannot start (address
// in use, a socket folder another user controls), 2 on a bad argument (a message says
// which, and what it takes).
#include <getopt.h>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <string>

#include "engine/base/command_line.h"
#include "engine/core/session.h"
#include "engine/protocol/address.h"
#include "engine/server/socket_server.h"

namespace {

constexpr const char* kUsage =
    "usage: enginesrv [--socket PATH | --tcp PORT] [--log-level 0|1|2] [--idle-timeout MS]"
    " [--session-idle-timeout MS] [--frame-timeout MS] [--spin-us US] [--max-connections N]"
    " [--max-cursors N] [--max-result-mb N] [--tcp-folder-connections] [--sync]\n";

// Exit status 2 with what was wrong and the usage.
int badArgument(const std::string& what) {
    std::cerr << "enginesrv: " << what << "\n" << kUsage;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    engine::server::ListenOptions options;
    engine::Server::Options coreOptions;
    std::string address = engine::protocol::defaultServerAddress();
    struct Numeric {
        unsigned long long min, max;
        const char* meaning;
    };
    // Each option's short code is its place in this table, offset past the characters.
    enum Code { kSocket = 256, kTcp, kLogLevel, kIdle, kFrame, kSpin, kConnections, kCursors,
                kResultMb, kSync, kSessionIdle, kTcpFolders };
    const option longOptions[] = {
        {"socket", required_argument, nullptr, kSocket},
        {"tcp", required_argument, nullptr, kTcp},
        {"log-level", required_argument, nullptr, kLogLevel},
        {"idle-timeout", required_argument, nullptr, kIdle},
        {"frame-timeout", required_argument, nullptr, kFrame},
        {"spin-us", required_argument, nullptr, kSpin},
        {"max-connections", required_argument, nullptr, kConnections},
        {"max-cursors", required_argument, nullptr, kCursors},
        {"max-result-mb", required_argument, nullptr, kResultMb},
        {"sync", no_argument, nullptr, kSync},
        {"session-idle-timeout", required_argument, nullptr, kSessionIdle},
        {"tcp-folder-connections", no_argument, nullptr, kTcpFolders},
        {nullptr, 0, nullptr, 0},
    };
    const std::map<int, Numeric> numeric = {
        {kTcp, {1, 65535, "a port from 1 to 65535"}},
        {kLogLevel, {0, 2, "0, 1 or 2"}},
        {kIdle, {1, 86400000, "milliseconds, from 1 to 86400000"}},
        {kFrame, {1, 86400000, "milliseconds, from 1 to 86400000"}},
        {kSessionIdle, {0, 2147483647, "milliseconds, 0 for none"}},
        {kSpin, {0, 1000000, "microseconds, from 0 to 1000000"}},
        {kConnections, {1, 1000000, "a whole number from 1 to 1000000"}},
        {kCursors, {1, 1000000, "a whole number from 1 to 1000000"}},
        {kResultMb, {1, 1048576, "MiB, from 1 to 1048576"}},
    };
    opterr = 0;  // the messages below say what was wrong, in one place
    int code = 0;
    while ((code = getopt_long(argc, argv, ":", longOptions, nullptr)) != -1) {
        if (code == '?') return badArgument(std::string("unknown argument ") + argv[optind - 1]);
        if (code == ':') return badArgument(std::string(argv[optind - 1]) + " needs a value");
        unsigned long long n = 0;
        if (auto range = numeric.find(code); range != numeric.end()) {
            if (!engine::parseWholeArgument(optarg, range->second.min, range->second.max, &n))
                return badArgument(std::string("bad value '") + optarg + "' for --" +
                                   longOptions[code - kSocket].name + ": expected " +
                                   range->second.meaning);
        }
        switch (code) {
            case kSocket:
                address = std::string("unix:") + optarg;
                break;
            case kTcp:
                address = "tcp:127.0.0.1:" + std::to_string(n);
                break;
            case kLogLevel:
                options.logLevel = static_cast<int>(n);
                break;
            case kIdle:
                options.loginTimeoutMs = static_cast<int>(n);
                break;
            case kSessionIdle:
                options.idleTimeoutMs = static_cast<int>(n);
                break;
            case kTcpFolders:
                options.folderConnectionsOverTcp = true;
                break;
            case kFrame:
                options.frameTimeoutMs = static_cast<int>(n);
                break;
            case kSpin:
                options.spinMicros = static_cast<int>(n);
                break;
            case kConnections:
                options.maxConnections = static_cast<int>(n);
                break;
            case kCursors:
                coreOptions.maxCursors = static_cast<uint32_t>(n);
                break;
            case kResultMb:
                coreOptions.maxResultBytes = static_cast<uint64_t>(n) << 20;
                break;
            case kSync:
                coreOptions.syncWrites = true;
                break;
        }
    }
    if (optind < argc) return badArgument(std::string("unexpected argument ") + argv[optind]);
    // Each connection takes a descriptor, each open table two.
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &files);
    }
    std::string error;
    if (!engine::protocol::parseServerAddress(address, &options.unixPath, &options.tcpPort,
                                              &error)) {
        std::cerr << "enginesrv: " << error << "\n";
        return 1;
    }

    // Signals are taken by sigwait below, never by a connection thread.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    engine::Server core(coreOptions);
    engine::server::SocketServer server(core, options);
    if (!server.start(&error)) {
        if (options.logLevel > 0) std::cerr << "enginesrv: refused to start: " << error << "\n";
        return 1;
    }
    std::cerr << "enginesrv: started (pid " << getpid() << ")" << std::endl;
    int signal = 0;
    sigwait(&stopSignals, &signal);
    if (options.logLevel > 0)
        std::cerr << "enginesrv: " << strsignal(signal) << ", stopping" << std::endl;
    server.stop();
    return 0;
}
