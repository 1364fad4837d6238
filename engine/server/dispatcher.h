// dispatcher.h: runs the operations of one connection's requests against the engine core.
//
// One Dispatcher serves one client connection (a socket, or an in-process channel): its
// first operation must be Connect, which makes the core Session; every later operation
// works on that session. Destroying the Dispatcher ends the session, which releases the
// connection's record locks and temporary tables.
#ifndef BREVANTIS_ENGINE_SERVER_DISPATCHER_H
#define BREVANTIS_ENGINE_SERVER_DISPATCHER_H

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/core/session.h"
#include "engine/protocol/layout_slots.h"
#include "engine/protocol/wire_format.h"

namespace engine::server {

class Dispatcher {
public:
    // peerAddress is what the lock-owner procedure reports as the connection's Address.
    Dispatcher(Server& server, std::string peerAddress);
    ~Dispatcher();

    // Runs one request payload and returns the answer payload, which stays valid until the
    // next respond() or release(); nullopt when the payload is malformed (the caller drops
    // the connection). `payload` is read during the call only. Never throws.
    std::optional<std::string_view> respond(std::string_view payload);
    // Frees what the last request left behind (its result, large buffers). A socket calls it
    // once the answer is sent, so that the client does not wait for it; otherwise the next
    // respond() frees it.
    void release();
    // respond() then release(), for a caller that keeps a copy of the answer.
    std::optional<std::string> handle(std::string_view payload);

    // True once the client asked to disconnect (the caller closes after answering).
    bool finished() const { return finished_; }
    // The session's connection number, 0 before Connect.
    uint32_t connectionNumber() const;
    // Why the last Connect was refused ("code text"), then empty again: for the log.
    std::string takeRefusal() { return std::exchange(refusal_, {}); }

private:
    struct Outcome;
    Outcome run(uint16_t op, std::string_view args);

    Server& server_;
    std::string peerAddress_;
    std::unique_ptr<Session> session_;
    protocol::LayoutSlots sentLayouts_;  // what the client holds of the layouts sent
    bool finished_ = false;
    std::string refusal_;
    // Kept from one request to the next: their room is reused, their contents released.
    std::vector<protocol::OpView> ops_;  // the request's operations, views of its payload
    protocol::Writer answer_;            // the answer payload, bodies written in place
    SqlResult sqlResult_;                // the last statement's result, its rows until release()
};

}  // namespace engine::server

#endif  // BREVANTIS_ENGINE_SERVER_DISPATCHER_H
