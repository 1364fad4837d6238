// ping_pong.cpp: a bare 64-byte ping-pong between two processes.
#include "bench/common/ping_pong.h"

#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

namespace bench {

double pingPongMicros(int rounds) {
    int sv[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, sv) != 0) return -1;
    pid_t child = ::fork();
    char buf[64] = {};
    if (child == 0) {
        ::close(sv[0]);
        while (::read(sv[1], buf, sizeof buf) == sizeof buf) (void)!::write(sv[1], buf, sizeof buf);
        ::_exit(0);
    }
    ::close(sv[1]);
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) {
        (void)!::write(sv[0], buf, sizeof buf);
        size_t got = 0;
        while (got < sizeof buf) {
            ssize_t n = ::read(sv[0], buf + got, sizeof buf - got);
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
    }
    double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                    .count() /
                rounds;
    ::close(sv[0]);
    ::waitpid(child, nullptr, 0);
    return us;
}

}  // namespace bench
