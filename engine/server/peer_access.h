// peer_access.h: who is at the other end of a connection, and which folders that user may
// reach through the server. Part of enginesrv (engine/server); uses no Qt.
//
// A folder connection gives no password: the only thing the server knows of its user is
// what the kernel says of the socket's peer. Through the server, such a user must never
// reach a folder they could not read and write themselves.
#ifndef BREVANTIS_ENGINE_SERVER_PEER_ACCESS_H
#define BREVANTIS_ENGINE_SERVER_PEER_ACCESS_H

#include <sys/types.h>
#include <unistd.h>

#include <string>

namespace engine::server {

// The user of a connection's peer. Unknown (TCP) unless the kernel told it (SO_PEERCRED on
// a Unix socket); the default is this process's own user, for a peer in the same process.
struct PeerCredentials {
    bool known = true;
    uid_t uid = ::geteuid();
    gid_t gid = ::getegid();
    pid_t pid = ::getpid();  // 0 when unknown
};

// Whether `peer` may read, write and search `folder` by its owner, group and mode, as the
// kernel would judge that user (its supplementary groups included). The server's own user
// and root may use any folder the server may. *why tells otherwise, in English.
bool peerMayUseFolder(const PeerCredentials& peer, const std::string& folder, std::string* why);

}  // namespace engine::server

#endif  // BREVANTIS_ENGINE_SERVER_PEER_ACCESS_H
