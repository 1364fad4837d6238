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
// in use, bad option), 2 on a usage error.
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "engine/core/session.h"
#include "engine/protocol/address.h"
#include "engine/server/socket_server.h"

namespace {

void usage() {
    std::cerr << "usage: enginesrv [--socket PATH | --tcp PORT] [--log-level 0|1|2]"
                 " [--idle-timeout MS] [--session-idle-timeout MS] [--frame-timeout MS]"
                 " [--spin-us US] [--max-connections N] [--max-cursors N] [--max-result-mb N]"
                 " [--tcp-folder-connections] [--sync]\n";
}

}  // namespace

int main(int argc, char** argv) {
    engine::server::ListenOptions options;
    engine::Server::Options coreOptions;
    std::string address = engine::protocol::defaultServerAddress();
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--socket" && hasValue) {
            address = std::string("unix:") + argv[++i];
        } else if (arg == "--tcp" && hasValue) {
            address = std::string("tcp:127.0.0.1:") + argv[++i];
        } else if (arg == "--log-level" && hasValue) {
            options.logLevel = std::atoi(argv[++i]);
        } else if (arg == "--idle-timeout" && hasValue) {
            options.loginTimeoutMs = std::atoi(argv[++i]);
        } else if (arg == "--session-idle-timeout" && hasValue) {
            options.idleTimeoutMs = std::atoi(argv[++i]);
        } else if (arg == "--tcp-folder-connections") {
            options.folderConnectionsOverTcp = true;
        } else if (arg == "--frame-timeout" && hasValue) {
            options.frameTimeoutMs = std::atoi(argv[++i]);
        } else if (arg == "--spin-us" && hasValue) {
            options.spinMicros = std::atoi(argv[++i]);
        } else if (arg == "--max-connections" && hasValue) {
            options.maxConnections = std::atoi(argv[++i]);
        } else if (arg == "--max-cursors" && hasValue) {
            coreOptions.maxCursors = static_cast<uint32_t>(std::max(1, std::atoi(argv[++i])));
        } else if (arg == "--max-result-mb" && hasValue) {
            coreOptions.maxResultBytes = static_cast<uint64_t>(std::max(1, std::atoi(argv[++i])))
                                         << 20;
        } else if (arg == "--sync") {
            coreOptions.syncWrites = true;
        } else {
            usage();
            return 2;
        }
    }
    if (options.maxConnections < 1) {
        usage();
        return 2;
    }
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
