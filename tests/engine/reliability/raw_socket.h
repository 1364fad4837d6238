// raw_socket.h: a client that speaks bytes, not the protocol — for tests that send the server
// what no client library would, and watch what it does with them.
#ifndef BREVANTIS_TESTS_ENGINE_RELIABILITY_RAW_SOCKET_H
#define BREVANTIS_TESTS_ENGINE_RELIABILITY_RAW_SOCKET_H

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace reliability {

// A frame header: magic "BRV1", then the payload length, little-endian.
std::string frameHeader(uint32_t length);

// A loopback TCP port that was free a moment ago.
uint16_t freeLoopbackPort();

// A connected Unix socket to `path`, or -1.
int rawConnect(const std::string& path);

// True when the server closes the connection within timeoutMs (whatever it answers first).
bool closedByServer(int fd, int timeoutMs);

// Resident memory of process `pid` in KiB (VmRSS), or -1.
long residentKiB(pid_t pid);

// Processor time process `pid` has used so far, user and system, in milliseconds, or -1.
long cpuMs(pid_t pid);

}  // namespace reliability

#endif  // BREVANTIS_TESTS_ENGINE_RELIABILITY_RAW_SOCKET_H
