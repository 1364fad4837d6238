// in_process.cpp: a Channel that hands each request to a Dispatcher in this process.
#include "engine/testing/in_process.h"

#include "engine/client/channel.h"
#include "engine/server/dispatcher.h"

namespace engine::testing {
namespace {

class InProcessChannel : public client::Channel {
  public:
    explicit InProcessChannel(Server& server) : dispatcher_(server, "in-process") {}

    bool exchange(const std::string& request, std::string* answer, int /*timeoutMs*/) override {
        if (dispatcher_.finished()) return false;
        std::optional<std::string> out = dispatcher_.respond(request);
        if (!out) return false;
        *answer = std::move(*out);
        return true;
    }

  private:
    server::Dispatcher dispatcher_;
};

}  // namespace

void useInProcessServer(Server& server) {
    client::setChannelFactory([&server]() -> std::unique_ptr<client::Channel> {
        return std::make_unique<InProcessChannel>(server);
    });
}

void stopUsingInProcessServer() {
    client::setChannelFactory({});
}

}  // namespace engine::testing
