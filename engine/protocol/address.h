// address.h: where the client library and enginesrv meet.
//
// An address is "unix:/path/to/socket" or "tcp:127.0.0.1:PORT" (also "tcp:localhost:PORT"
// or "tcp:PORT"); TCP is loopback only. The default is a socket in a folder that only the
// user can write in — whoever could bind the address first would get the clients'
// passwords: "unix:$XDG_RUNTIME_DIR/brevantis-engine.sock" in the user's runtime folder,
// else "unix:/tmp/brevantis-UID/engine.sock" (enginesrv makes that folder, mode 0700). The
// environment variable BREVANTIS_ENGINE_ADDRESS replaces it when it is set and not empty.
// Without that variable a client that finds no server of its user's also tries the
// machine-wide server of the brevantis-engine service (kSystemServerAddress).
#ifndef BREVANTIS_ENGINE_PROTOCOL_ADDRESS_H
#define BREVANTIS_ENGINE_PROTOCOL_ADDRESS_H

#include <cstdint>
#include <string>
#include <vector>

namespace engine::protocol {

constexpr const char* kAddressVariable = "BREVANTIS_ENGINE_ADDRESS";

// The machine-wide server's socket. The service manager makes its folder for the service's
// account, and only root can make a folder in /run: a client trusts the folder's owner there.
constexpr const char* kSystemSocketFolder = "/run/brevantis-engine";
constexpr const char* kSystemServerAddress = "unix:/run/brevantis-engine/engine.sock";

// The address from the environment, or the default of the user running this process.
std::string defaultServerAddress();

// The addresses a client tries, in order: the environment's alone when it is set; else the
// user's default, then kSystemServerAddress.
std::vector<std::string> clientServerAddresses();

// Splits an address: a Unix path (tcpPort 0) or a TCP port (unixPath empty). False with
// *error set when it is neither.
bool parseServerAddress(const std::string& address, std::string* unixPath, uint16_t* tcpPort,
                        std::string* error);

}  // namespace engine::protocol

#endif  // BREVANTIS_ENGINE_PROTOCOL_ADDRESS_H
