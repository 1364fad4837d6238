// dispatcher.h: runs the operations of one connection's requests against the engine core.
//
// One Dispatcher serves one client connection (a socket, or an in-process channel): its
// first operation must be Connect, which makes the core Session; every later operation
// works on that session. Destroying the Dispatcher ends the session, which releases the
// connection's record locks and temporary tables.
#ifndef BREVANTIS_ENGINE_SERVER_DISPATCHER_H
#define BREVANTIS_ENGINE_SERVER_DISPATCHER_H

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "engine/core/session.h"
#include "engine/protocol/layout_slots.h"
#include "engine/protocol/operations.h"
#include "engine/server/peer_access.h"

namespace engine::server {

class Dispatcher {
  public:
    // peerAddress is what the lock-owner procedure reports as the connection's Address;
    // peer is the client's user, which a folder connection is judged by (one from a peer
    // whose user is unknown is refused unless folderConnectionsUnknownPeer).
    Dispatcher(Server& server, std::string peerAddress, PeerCredentials peer = {},
               bool folderConnectionsUnknownPeer = false);
    ~Dispatcher();

    // Runs one request payload and returns the answer payload; nullopt when the payload
    // is malformed (the caller drops the connection). Never throws.
    std::optional<std::string> respond(std::string_view payload);

    // True once the client asked to disconnect (the caller closes after answering).
    bool finished() const { return finished_; }
    // The session's connection number, 0 before Connect.
    uint32_t connectionNumber() const;
    // Whether the client logged in with a password (to a dictionary): a folder connection
    // gives none.
    bool passwordGiven() const;
    // How to learn that the client has gone, for the sessions this makes: a long statement
    // then stops.
    void watchClient(std::function<bool()> gone) { clientGone_ = std::move(gone); }
    // Why the last Connect was refused ("code text"), then empty again: for the log.
    std::string takeRefusal() { return std::exchange(refusal_, {}); }

  private:
    struct Outcome;
    Outcome run(const protocol::OpRequest& op);
    Outcome connect(const protocol::ConnectArgs& args);
    // Decodes op's arguments, runs `body` on them and encodes its answer when it succeeds.
    template <protocol::Op op, typename Body>
    Outcome serve(std::string_view args, Body&& body);

    // AE_PERMISSION_DENIED when the connection string names a folder this peer may not use.
    Status checkFolderConnection(const std::string& connectString) const;

    Server& server_;
    std::string peerAddress_;
    PeerCredentials peer_;
    bool folderConnectionsUnknownPeer_;
    std::function<bool()> clientGone_;
    size_t answerRoom_ = 0;  // bytes the operation being run may add to the answer
    std::unique_ptr<Session> session_;
    protocol::LayoutSlots sentLayouts_;  // what the client holds of the layouts sent
    bool finished_ = false;
    std::string refusal_;
};

}  // namespace engine::server

#endif  // BREVANTIS_ENGINE_SERVER_DISPATCHER_H
