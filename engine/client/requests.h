// requests.h: how the client library asks its server — an operation with the deferred
// operations in front of it, one request and one answer.
#ifndef BREVANTIS_ENGINE_CLIENT_REQUESTS_H
#define BREVANTIS_ENGINE_CLIENT_REQUESTS_H

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/client/state.h"
#include "engine/protocol/operations.h"

namespace engine::client {

// Sends the connection's deferred operations followed by `op` with its encoded `args`,
// waits for the answer (into *answer) and runs the deferred answers' callbacks. Returns the
// first failure among the deferred operations that may not fail and `op` itself; *body
// views op's answer body in *answer. A dead channel, or an answer that does not decode,
// marks the connection lost and answers AE_CONNECTION_LOST.
Status send(ConnectionObj& connection, protocol::Op op, std::string_view args, int timeoutMs,
            std::string* answer, std::string_view* body) REQUIRES(gApiMutex);

// Marks the connection lost (its channel is closed) and returns AE_CONNECTION_LOST.
Status loseConnection(ConnectionObj& connection);

// Runs `op` with `args` (see send) and decodes its answer into *answer (or checks it and
// drops it, for nullptr). `recordLength` is that of the cursor whose rows the answer
// carries. An answer that does not decode whole loses the connection.
template <protocol::Op op>
Status call(ConnectionObj& connection, const protocol::ArgsOf<op>& args,
            protocol::AnswerOf<op>* answer, uint32_t recordLength = 0, int timeoutMs = 0)
    REQUIRES(gApiMutex) {
    std::string payload;
    std::string_view body;
    Status st = send(connection, op, protocol::encoded(args), timeoutMs, &payload, &body);
    if (!st.ok()) return st;
    protocol::AnswerOf<op> dropped;
    protocol::AnswerContext context{&connection.layouts, recordLength};
    if (!protocol::decodeAnswerBody<op>(body, answer ? answer : &dropped, context)) {
        return loseConnection(connection);
    }
    return st;
}

// Holds `op` back until the connection's next request; `onAnswer` sees its result then.
// Returns the deferred entry, which stays valid until the next defer or request.
template <protocol::Op op>
Deferred& defer(ConnectionObj& connection, const protocol::ArgsOf<op>& args, uint8_t flags,
                OnAnswer onAnswer = {}) {
    return connection.deferred.emplace_back(
        Deferred{op, flags, protocol::encoded(args), std::move(onAnswer)});
}

// Request/answer pairs exchanged by this process.
uint32_t roundTrips();
void resetRoundTrips();

}  // namespace engine::client

#endif  // BREVANTIS_ENGINE_CLIENT_REQUESTS_H
