// address.cpp: parsing of server addresses.
#include "engine/protocol/address.h"

#include <unistd.h>

#include <cstdlib>

namespace engine::protocol {

std::string defaultServerAddress() {
    const char* env = std::getenv(kAddressVariable);
    if (env && *env) return env;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/')
        return std::string("unix:") + runtime + "/brevantis-engine.sock";
    return "unix:/tmp/brevantis-" + std::to_string(::geteuid()) + "/engine.sock";
}

std::vector<std::string> clientServerAddresses() {
    const char* env = std::getenv(kAddressVariable);
    if (env && *env) return {env};
    return {defaultServerAddress(), kSystemServerAddress};
}

bool parseServerAddress(const std::string& address, std::string* unixPath, uint16_t* tcpPort,
                        std::string* error) {
    unixPath->clear();
    *tcpPort = 0;
    if (address.rfind("unix:", 0) == 0 && address.size() > 5) {
        *unixPath = address.substr(5);
        return true;
    }
    if (address.rfind("tcp:", 0) == 0) {
        std::string rest = address.substr(4);
        for (const char* host : {"127.0.0.1:", "localhost:"}) {
            if (rest.rfind(host, 0) == 0) rest = rest.substr(std::string(host).size());
        }
        char* end = nullptr;
        long port = std::strtol(rest.c_str(), &end, 10);
        if (!rest.empty() && *end == '\0' && port > 0 && port < 65536) {
            *tcpPort = static_cast<uint16_t>(port);
            return true;
        }
    }
    *error = "invalid server address '" + address +
             "' (expected unix:/path or tcp:127.0.0.1:port, loopback only)";
    return false;
}

}  // namespace engine::protocol
