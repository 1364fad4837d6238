// protocol_abuse_test.cpp: malformed, truncated and oversized messages and silent clients cost
// only their own connection; the server and its other clients go on.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "tests/engine/reliability/client.h"
#include "tests/engine/reliability/harness.h"
#include "tests/engine/reliability/raw_socket.h"

namespace reliability {
namespace {

class ProtocolAbuse : public ::testing::Test {
  protected:
    void SetUp() override {
        dict_ = makeDictionary(dir_.path(), "Abuse", 20);
        ASSERT_TRUE(server_.start());
        bystander_ =
            std::make_unique<Client>(server_.address(), dict_, "adssys", "kor5382", "BYSTANDER");
        ASSERT_EQ(bystander_->code(), 0u) << lastError();
        items_ = bystander_->open("Items");
        ASSERT_NE(items_, 0u) << lastError();
        ASSERT_EQ(AdsLockRecord(items_, 4), 0u);
    }

    // The server runs, the bystander's session and lock are intact, newcomers get in.
    void expectUnaffected() {
        UNSIGNED32 rc = 0;
        EXPECT_EQ(bystander_->allLocks(dir_.path() + "/Items.adt", &rc), std::vector<uint32_t>{4});
        EXPECT_EQ(rc, 0u) << lastError();
        EXPECT_EQ(AdsGotoRecord(items_, 9), 0u) << lastError();
        Client newcomer(server_.address(), dict_, "adssys", "kor5382");
        EXPECT_EQ(newcomer.code(), 0u) << lastError();
    }

    TempDir dir_{"abuse"};
    std::string dict_;
    // A silent connection is dropped after one second.
    ServerProcess server_{dir_.path() + "/srv.sock", {"--idle-timeout", "1000"}};
    std::unique_ptr<Client> bystander_;
    ADSHANDLE items_ = 0;
};

TEST_F(ProtocolAbuse, BadMessagesDropOnlyTheirConnection) {
    const struct {
        const char* what;
        std::string bytes;
        bool closeWriteSide;  // the client stops sending after the bytes
    } cases[] = {
        {"wrong magic", "GARBAGE!" + std::string(32, 'x'), false},
        {"length beyond the limit", frameHeader(0xFFFFFFFFu), false},
        {"length just beyond 64 MiB", frameHeader(64u * 1024 * 1024 + 1), false},
        {"payload that is no request", frameHeader(6) + "\x01\x02\x03\x04\x05\x06", false},
        {"request count larger than the payload",
         frameHeader(4) + std::string("\xFF\xFF\xFF\x7F", 4), false},
        {"truncated header, then end of stream", "BRV", true},
        {"truncated payload, then end of stream", frameHeader(100) + std::string(10, 'a'), true},
        {"empty payload", frameHeader(0), false},
        {"silent client", "", false},
        {"header only, then silence", frameHeader(50), false},
    };
    std::vector<int> fds;
    for (const auto& c : cases) {
        const int fd = rawConnect(server_.socketPath());
        ASSERT_GE(fd, 0) << c.what;
        if (!c.bytes.empty()) {
            ASSERT_EQ(::send(fd, c.bytes.data(), c.bytes.size(), MSG_NOSIGNAL),
                      static_cast<ssize_t>(c.bytes.size()))
                << c.what;
        }
        if (c.closeWriteSide) ::shutdown(fd, SHUT_WR);
        fds.push_back(fd);
    }
    // All at once: the slowest case (a frame begun and never finished) waits for the
    // server's frame timeout.
    for (size_t i = 0; i < fds.size(); ++i) {
        EXPECT_TRUE(closedByServer(fds[i], 15000)) << cases[i].what << ": connection kept";
        ::close(fds[i]);
    }
    expectUnaffected();
}

TEST_F(ProtocolAbuse, RandomBytesNeverBringTheServerDown) {
    uint64_t state = 12345;
    auto next = [&state] {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        return state;
    };
    for (int i = 0; i < 300; ++i) {
        const int fd = rawConnect(server_.socketPath());
        ASSERT_GE(fd, 0) << "server gone after " << i << " connections";
        // Half the blobs start with a plausible header so that they reach the decoder.
        std::string blob;
        const size_t len = next() % 200;
        if (i % 2 == 0) blob = frameHeader(static_cast<uint32_t>(len));
        for (size_t k = 0; k < len; ++k) blob += static_cast<char>(next() & 0xFF);
        ::send(fd, blob.data(), blob.size(), MSG_NOSIGNAL);
        ::shutdown(fd, SHUT_WR);
        EXPECT_TRUE(closedByServer(fd, 5000)) << "blob " << i;
        ::close(fd);
    }
    expectUnaffected();
}

}  // namespace
}  // namespace reliability
