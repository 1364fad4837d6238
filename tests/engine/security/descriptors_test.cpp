// descriptors_test.cpp: a server out of file descriptors tells each new client it is busy
// (6062), over either transport, instead of leaving it to see a lost connection; and what
// it cannot check for want of a descriptor it refuses instead of letting by.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "engine/include/engine_api.h"
#include "tests/engine/reliability/client.h"
#include "tests/engine/reliability/harness.h"
#include "tests/engine/reliability/raw_socket.h"

namespace security {
namespace {

using reliability::Client;
using reliability::lastError;
using Clock = std::chrono::steady_clock;

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

struct Transport {
    const char* name;
    bool tcp;
};

// A server with 48 descriptors, the administrator connected with Items open and a record
// locked, and then sessions and silent connections until no descriptor is left.
class OutOfDescriptors : public ::testing::TestWithParam<Transport> {
  protected:
    void SetUp() override {
        dict_ = reliability::makeDictionary(dir_.path(), "Pleine", 5);
        const uint16_t port = GetParam().tcp ? reliability::freeLoopbackPort() : 0;
        address_ = port ? "tcp:127.0.0.1:" + std::to_string(port) : "unix:" + socket();
        std::vector<std::string> args = {"-c", "ulimit -n 48 && exec \"$0\" \"$@\"",
                                         reliability::binPath("enginesrv"), "--idle-timeout",
                                         "60000"};
        if (port)
            args.insert(args.end(), {"--tcp", std::to_string(port)});
        else
            args.insert(args.end(), {"--socket", socket()});
        server_ = reliability::Child("/bin/sh", args, dir_.path() + "/srv.log");
        for (auto until = Clock::now() + std::chrono::seconds(5);
             (!admin_ || admin_->code() != 0) && Clock::now() < until; sleepMs(20))
            admin_ = std::make_unique<Client>(address_, dict_, "adssys", "kor5382");
        ASSERT_EQ(admin_->code(), 0u) << "the server did not start: " << lastError();
        items_ = admin_->open("Items");
        ASSERT_NE(items_, 0u) << lastError();
        ASSERT_EQ(AdsLockRecord(items_, 1), 0u) << lastError();
        if (!GetParam().tcp) {  // folder connections come only through the Unix socket
            folder_ = std::make_unique<Client>(address_, dir_.path(), "", "");
            ASSERT_EQ(folder_->code(), 0u) << lastError();
        }
    }

    // Takes every descriptor the server has: sessions while they get in, then silent
    // connections until one is refused, which the server answers with its spare.
    void fill() {
        while (sessions_.size() < 60) {
            auto c = std::make_unique<Client>(address_, dict_, "adssys", "kor5382");
            if (c->code() != 0) break;
            sessions_.push_back(std::move(c));
        }
        ASSERT_LT(sessions_.size(), 60u) << "the descriptor limit did not bind";
        sleepMs(300);  // the refused session's descriptor comes back
        const std::string path = socket();
        for (int i = 0; i < 10; ++i) {
            const int fd = GetParam().tcp ? -1 : reliability::rawConnect(path);
            if (fd < 0) break;
            silent_.push_back(fd);
            if (reliability::closedByServer(fd, 300)) break;
        }
        sleepMs(200);
    }

    void TearDown() override {
        for (int fd : silent_) ::close(fd);
    }

    std::string socket() const { return dir_.path() + "/srv.sock"; }

    reliability::TempDir dir_{"descriptors"};
    std::string dict_;
    std::string address_;
    reliability::Child server_;
    std::unique_ptr<Client> admin_;
    std::unique_ptr<Client> folder_;
    ADSHANDLE items_ = 0;
    std::vector<std::unique_ptr<Client>> sessions_;
    std::vector<int> silent_;
};

TEST_P(OutOfDescriptors, EveryRefusedClientIsToldTheServerIsBusy) {
    fill();
    std::string outcomes;
    int busy = 0;
    for (int i = 0; i < 12; ++i) {
        Client refused(address_, dict_, "adssys", "kor5382");
        outcomes += "\n  " + lastError();
        busy += refused.code() == AE_SERVER_BUSY ? 1 : 0;
    }
    EXPECT_EQ(busy, 12) << "refused clients saw:" << outcomes;
    EXPECT_EQ(AdsGotoRecord(items_, 3), 0u) << "a connected client was not served: " << lastError();
}

// Which dictionaries claim a file is read from the folder: a folder that cannot be listed
// must not let a folder connection reach a dictionary's table, even one already loaded.
TEST_P(OutOfDescriptors, AFolderNotListedLetsNoClaimedTableBy) {
    if (GetParam().tcp) GTEST_SKIP() << "folder connections come through the Unix socket";
    fill();
    const ADSHANDLE claimed = folder_->open("Items.adt");
    EXPECT_EQ(claimed, 0u) << "a folder connection reached the dictionary's table";
    EXPECT_EQ(lastError().substr(0, 4), std::to_string(AE_SERVER_BUSY)) << lastError();
}

INSTANTIATE_TEST_SUITE_P(Transports, OutOfDescriptors,
                         ::testing::Values(Transport{"Unix", false}, Transport{"Tcp", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace security
