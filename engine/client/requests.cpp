// requests.cpp: one request with the deferred operations in front of it.
#include "engine/client/requests.h"

#include <atomic>
#include <vector>

namespace engine::client {
namespace {

constexpr int kDefaultCallTimeoutMs = 60000;
std::atomic<uint32_t> gRoundTrips{0};

}  // namespace

Status send(ConnectionObj& connection, protocol::Op op, std::string_view args, int timeoutMs,
            std::string* answer, std::string_view* body) {
    std::vector<Deferred> batch = std::move(connection.deferred);
    connection.deferred.clear();
    if (connection.lost || !connection.channel) {
        return Status::error(AE_CONNECTION_LOST, "The connection to the server was lost.");
    }
    // The request payload: a std::vector<protocol::OpRequest>, written as it goes.
    protocol::Writer request;
    request.u32(static_cast<uint32_t>(batch.size() + 1));
    for (const Deferred& d : batch)
        protocol::write(request, protocol::OpRequest{d.op, d.flags, d.args});
    protocol::write(request, protocol::OpRequest{op, 0, args});
    ++gRoundTrips;
    std::vector<protocol::OpResult> results;
    if (!connection.channel->exchange(request.take(), answer,
                                      timeoutMs > 0 ? timeoutMs : kDefaultCallTimeoutMs) ||
        !protocol::decodeWhole(*answer, &results) || results.size() != batch.size() + 1) {
        return loseConnection(connection);
    }
    Status status;
    for (size_t i = 0; i < results.size(); ++i) {
        const protocol::OpResult& r = results[i];
        const bool deferred = i < batch.size();
        if (deferred && batch[i].onAnswer && !batch[i].onAnswer(r))
            return loseConnection(connection);
        const bool mayFail = deferred && (batch[i].flags & protocol::kOpMayFail);
        if (status.ok() && r.status != 0 && !mayFail) {
            status = Status::error(r.status, std::string(r.text));
        }
    }
    *body = results.back().body;
    return status;
}

Status loseConnection(ConnectionObj& connection) {
    connection.lost = true;
    connection.channel.reset();
    return Status::error(AE_CONNECTION_LOST,
                         "The connection to the server was lost during the call.");
}

uint32_t roundTrips() {
    return gRoundTrips;
}
void resetRoundTrips() {
    gRoundTrips = 0;
}

}  // namespace engine::client
