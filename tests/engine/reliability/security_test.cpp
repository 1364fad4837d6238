// security_test.cpp: passwords, administrator-only procedures and loopback-only listening.
#include <arpa/inet.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "tests/engine/reliability/client.h"
#include "tests/engine/reliability/harness.h"
#include "tests/engine/reliability/raw_socket.h"

namespace reliability {
namespace {

class Security : public ::testing::Test {
  protected:
    void SetUp() override { dict_ = makeDictionary(dir_.path(), "Secu", 20); }

    TempDir dir_{"security"};
    std::string dict_;
};

TEST_F(Security, NoDictionaryConnectionWithoutTheRightPassword) {
    ServerProcess server(dir_.path() + "/srv.sock");
    ASSERT_TRUE(server.start());
    const struct {
        const char* user;
        const char* password;
        UNSIGNED32 expected;
    } cases[] = {
        {"adssys", "kor5382", AE_SUCCESS},
        {"plain", "plain1", AE_SUCCESS},
        {"adssys", "KOR5382", AE_LOGIN_FAILED},
        {"adssys", "", AE_LOGIN_FAILED},
        {"adssys", "kor538", AE_LOGIN_FAILED},
        {"adssys", "kor5382 ", AE_LOGIN_FAILED},
        {"plain", "kor5382", AE_LOGIN_FAILED},
        {"nobody", "kor5382", AE_LOGIN_FAILED},
        {"", "", AE_LOGIN_FAILED},
    };
    for (const auto& c : cases) {
        Client client(server.address(), dict_, c.user, c.password);
        EXPECT_EQ(client.code(), c.expected)
            << c.user << " / " << c.password << ": " << lastError();
        EXPECT_EQ(client.handle() != 0, c.expected == AE_SUCCESS) << c.user;
    }
}

TEST_F(Security, ManagementProceduresNeedAnAdministrator) {
    ServerProcess server(dir_.path() + "/srv.sock");
    ASSERT_TRUE(server.start());
    Client admin(server.address(), dict_, "adssys", "kor5382", "ADMIN-PC");
    Client plain(server.address(), dict_, "plain", "plain1", "PLAIN-PC");
    ASSERT_EQ(admin.code(), 0u) << lastError();
    ASSERT_EQ(plain.code(), 0u) << lastError();
    const ADSHANDLE items = plain.open("Items");
    ASSERT_NE(items, 0u) << lastError();
    ASSERT_EQ(AdsLockRecord(items, 2), 0u) << lastError();  // plain users may lock

    const std::string path = dir_.path() + "/Items.adt";
    UNSIGNED32 rc = 0;
    EXPECT_EQ(admin.allLocks(path, &rc), std::vector<uint32_t>{2});
    EXPECT_EQ(rc, 0u) << lastError();
    EXPECT_EQ(admin.lockOwners(path, 2, &rc), std::vector<std::string>{"PLAIN-PC"});
    EXPECT_EQ(rc, 0u) << lastError();

    EXPECT_TRUE(plain.allLocks(path, &rc).empty());
    EXPECT_NE(rc, 0u) << "a non-administrator listed the locks";
    EXPECT_TRUE(plain.lockOwners(path, 2, &rc).empty());
    EXPECT_NE(rc, 0u) << "a non-administrator listed the lock owners";
}

// Local addresses of the listening TCP sockets (IPv4 and IPv6) that process `pid` owns, as
// "hexaddress:hexport" from /proc/net/tcp*.
std::vector<std::string> listeningTcp(pid_t pid) {
    std::set<std::string> inodes;
    const std::string fdDir = "/proc/" + std::to_string(pid) + "/fd";
    if (DIR* d = opendir(fdDir.c_str())) {
        while (dirent* e = readdir(d)) {
            char target[128] = {};
            const std::string link = fdDir + "/" + e->d_name;
            const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
            const std::string t(target, n > 0 ? static_cast<size_t>(n) : 0);
            if (t.rfind("socket:[", 0) == 0) inodes.insert(t.substr(8, t.size() - 9));
        }
        closedir(d);
    }
    std::vector<std::string> found;
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        std::ifstream in(table);
        std::string line;
        std::getline(in, line);  // header
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string slot, local, remote, state, queues, timer, retr, uid, timeout, inode;
            fields >> slot >> local >> remote >> state >> queues >> timer >> retr >> uid >>
                timeout >> inode;
            if (state == "0A" && inodes.count(inode)) found.push_back(local);
        }
    }
    return found;
}

bool isLoopback(const std::string& local) {
    const std::string addr = local.substr(0, local.find(':'));
    return addr == "0100007F" || addr == "00000000000000000000000001000000";
}

TEST_F(Security, ServerListensOnNoNetworkByDefaultAndOnLoopbackOnlyWithTcp) {
    // Default start: no option at all; the address comes from the environment, as for
    // the clients, so the test stays off the shared default socket.
    const std::string socket = dir_.path() + "/default.sock";
    ::setenv("BREVANTIS_ENGINE_ADDRESS", ("unix:" + socket).c_str(), 1);
    Child byDefault(binPath("enginesrv"), {}, dir_.path() + "/default.log");
    ASSERT_TRUE(waitForFile(socket, 5000)) << "the default server did not start";
    EXPECT_TRUE(listeningTcp(byDefault.pid()).empty()) << "listens on TCP by default";
    UNSIGNED32 rc = 1;
    for (int i = 0; i < 100 && rc != 0; ++i, usleep(20000)) {  // bound before it listens
        Client c("unix:" + socket, dict_, "adssys", "kor5382");
        rc = c.code();
    }
    EXPECT_EQ(rc, 0u) << lastError();
    byDefault.signal(SIGTERM);
    EXPECT_EQ(byDefault.wait(5000), 0);
    ::unsetenv("BREVANTIS_ENGINE_ADDRESS");

    const uint16_t port = freeLoopbackPort();
    Child tcp(binPath("enginesrv"), {"--tcp", std::to_string(port)}, dir_.path() + "/tcp.log");
    std::vector<std::string> listening;
    for (int i = 0; i < 500 && listening.empty() && tcp.running(); ++i) {
        usleep(10000);
        listening = listeningTcp(tcp.pid());
    }
    ASSERT_FALSE(listening.empty()) << "the TCP server did not listen";
    for (const std::string& local : listening) EXPECT_TRUE(isLoopback(local)) << local;
    Client c("tcp:127.0.0.1:" + std::to_string(port), dict_, "adssys", "kor5382");
    EXPECT_EQ(c.code(), 0u) << lastError();
}

}  // namespace
}  // namespace reliability
