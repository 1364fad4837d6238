// in_process.h: an engine server inside the calling process, for unit tests.
//
// After useInProcessServer(server), every connection the client library opens talks to a
// Dispatcher of `server` in this process, through the same serialised requests and answers
// as the socket — only the socket is left out.
#ifndef BREVANTIS_ENGINE_TESTING_IN_PROCESS_H
#define BREVANTIS_ENGINE_TESTING_IN_PROCESS_H

#include "engine/core/session.h"

namespace engine::testing {

// REQUIRES: `server` outlives every connection opened until stopUsingInProcessServer().
void useInProcessServer(Server& server);
// Back to the socket for later connections.
void stopUsingInProcessServer();

}  // namespace engine::testing

#endif  // BREVANTIS_ENGINE_TESTING_IN_PROCESS_H
