// channel.h: the transport seam — how one engine connection reaches its server session.
//
// A Channel carries request payloads to one server session and brings the answers back.
// SocketChannel talks to enginesrv; an in-process channel (installed by the tests through
// setChannelFactory) hands the same serialised payloads to a dispatcher in this process.
#ifndef BREVANTIS_ENGINE_CLIENT_CHANNEL_H
#define BREVANTIS_ENGINE_CLIENT_CHANNEL_H

#include <functional>
#include <memory>
#include <string>

#include "engine/record/status.h"

namespace engine::client {

class Channel {
  public:
    virtual ~Channel() = default;
    // Sends one request and waits for its answer. False when the session is gone (peer
    // closed, died, answered garbage, or nothing came within timeoutMs): the channel is
    // then unusable.
    virtual bool exchange(const std::string& request, std::string* answer, int timeoutMs) = 0;
};

// Connects to enginesrv at an address (see engine/protocol/address.h). On failure returns
// nullptr with *failure set: AE_SERVER_NOT_AVAILABLE when nobody answers there.
std::unique_ptr<Channel> openSocketChannel(const std::string& address, Status* failure);

// Replaces the socket with channels made by `factory` for every later connection (an empty
// function restores the socket). For in-process tests.
using ChannelFactory = std::function<std::unique_ptr<Channel>()>;
void setChannelFactory(ChannelFactory factory);
// The channel for a new connection: the factory's when one is set, else a socket.
std::unique_ptr<Channel> openChannel(const std::string& address, Status* failure);

}  // namespace engine::client

#endif  // BREVANTIS_ENGINE_CLIENT_CHANNEL_H
