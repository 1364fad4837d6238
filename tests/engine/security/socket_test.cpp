// socket_test.cpp: where the server listens and whom a client trusts. The default socket
// lives in the user's private runtime folder; the server will not listen in a folder
// another user controls; a client sends no password to a server run by another user.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <vector>

#include "engine/include/engine_api.h"
#include "tests/engine/reliability/client.h"
#include "tests/engine/reliability/harness.h"
#include "tests/engine/reliability/raw_socket.h"
#include "tests/engine/security/support.h"

namespace security {
namespace {

using reliability::Client;
using reliability::lastError;
namespace fs = std::filesystem;

class Socket : public ::testing::Test {
  protected:
    void SetUp() override {
        dict_ = reliability::makeDictionary(dir_.path(), "Sockets", 5);
        ::chmod(dir_.path().c_str(), 0755);
    }
    // A folder under the test's own, with `mode`.
    std::string folder(const std::string& name, mode_t mode) {
        const std::string path = dir_.path() + "/" + name;
        fs::create_directory(path);
        ::chmod(path.c_str(), mode);
        return path;
    }

    reliability::TempDir dir_{"socket"};
    std::string dict_;
};

TEST_F(Socket, TheDefaultSocketIsInThePrivateRuntimeFolder) {
    const std::string runtime = folder("runtime", 0700);
    ::unsetenv("BREVANTIS_ENGINE_ADDRESS");
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    reliability::Child server(reliability::binPath("enginesrv"), {}, dir_.path() + "/srv.log");
    const std::string socket = runtime + "/brevantis-engine.sock";
    EXPECT_TRUE(reliability::waitForFile(socket, 5000)) << "no socket in the runtime folder";
    UNSIGNED32 rc = 1;
    for (int i = 0; i < 100 && rc != 0; ++i, ::usleep(20000)) {  // bound before it listens
        Client c("", dict_, "adssys", "kor5382");
        rc = c.code();
    }
    EXPECT_EQ(rc, 0u) << "the default address of the clients: " << lastError();
    server.signal(SIGTERM);
    EXPECT_EQ(server.wait(5000), 0);
    ::unsetenv("XDG_RUNTIME_DIR");
}

TEST_F(Socket, TheServerRefusesAFolderAnotherUserControls) {
    struct Case {
        const char* what;
        mode_t mode;
        bool otherOwner;
    };
    std::vector<Case> cases = {{"writable by everyone", 0777, false},
                               {"writable by the group", 0770, false},
                               {"shared like /tmp", 01777, false}};
    if (runningAsRoot()) cases.push_back({"owned by another user", 0700, true});
    for (const Case& c : cases) {
        const std::string dir =
            folder(std::string("f") + std::to_string(&c - cases.data()), c.mode);
        if (c.otherOwner) {
            ASSERT_EQ(::chown(dir.c_str(), kNobody, kNobody), 0);
        }
        reliability::Child server(reliability::binPath("enginesrv"),
                                  {"--socket", dir + "/srv.sock"}, dir_.path() + "/refused.log");
        EXPECT_EQ(server.wait(5000), 1) << c.what << ": the server started";
        EXPECT_FALSE(exists(dir + "/srv.sock")) << c.what;
    }
    EXPECT_NE(readFile(dir_.path() + "/refused.log").find("another user"), std::string::npos)
        << readFile(dir_.path() + "/refused.log");
}

TEST_F(Socket, ASquattedDefaultFolderIsRefusedWithWhatToDo) {
    // Another user made the default socket's folder first, or a link in its place: the server
    // makes nothing there and says how to get going.
    if (!runningAsRoot()) GTEST_SKIP() << "needs root to act as two users";
    const uid_t user = userOfThisTest();
    const std::string squatted = "/tmp/brevantis-" + std::to_string(user);
    const std::string own = folder("own", 0700), logs = folder("logs", 0700);
    giveToUnprivileged(own, user);
    giveToUnprivileged(logs, user);
    struct Case {
        const char* what;
        std::function<void()> squat;
    };
    const std::vector<Case> cases = {
        {"a folder of another user",
         [&] {
             fs::create_directory(squatted);
             ::chmod(squatted.c_str(), 0700);
             ASSERT_EQ(::chown(squatted.c_str(), kNobody, kNobody), 0);
         }},
        {"a link to a folder of the server's user",
         [&] { fs::create_directory_symlink(own, squatted); }},
    };
    for (const Case& c : cases) {
        fs::remove_all(squatted);
        c.squat();
        const std::string log = logs + "/squatted.log";
        const std::string result = runUnprivileged(
            [&] {
                ::unsetenv("XDG_RUNTIME_DIR");
                ::unsetenv("BREVANTIS_ENGINE_ADDRESS");
                reliability::Child server(reliability::binPath("enginesrv"), {}, log);
                return std::to_string(server.wait(5000));
            },
            user);
        const std::string said = readFile(log);
        EXPECT_EQ(result, "1") << c.what << ": " << said;
        for (const std::string& hint : {squatted, std::string("--socket"),
                                        std::string("BREVANTIS_ENGINE_ADDRESS")}) {
            EXPECT_NE(said.find(hint), std::string::npos) << c.what << ": " << said;
        }
        EXPECT_FALSE(exists(squatted + "/engine.sock")) << c.what;
        EXPECT_FALSE(exists(own + "/engine.sock")) << c.what;
    }
    fs::remove_all(squatted);
}

// A listening socket at `address` (a Unix path, or a loopback port when tcp), or -1.
int listenAt(const std::string& path, uint16_t port) {
    const int fd = ::socket(port ? AF_INET : AF_UNIX, SOCK_STREAM, 0);
    sockaddr_storage storage{};
    socklen_t len = 0;
    if (port) {
        auto* in = reinterpret_cast<sockaddr_in*>(&storage);
        in->sin_family = AF_INET;
        in->sin_port = htons(port);
        in->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        len = sizeof *in;
    } else {
        auto* un = reinterpret_cast<sockaddr_un*>(&storage);
        un->sun_family = AF_UNIX;
        std::strncpy(un->sun_path, path.c_str(), sizeof un->sun_path - 1);
        len = sizeof *un;
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&storage), len) != 0 || ::listen(fd, 4) != 0)
        return -1;
    return fd;
}

TEST_F(Socket, AClientSendsNoPasswordToAServerRunByAnotherUser) {
    if (!runningAsRoot()) GTEST_SKIP() << "needs root to listen as another user";
    const std::string dir = folder("impostor", 0755);
    ASSERT_EQ(::chown(dir.c_str(), kNobody, kNobody), 0);
    const std::string path = dir + "/srv.sock";
    const uint16_t port = reliability::freeLoopbackPort();
    for (const std::string& address : {"unix:" + path, "tcp:127.0.0.1:" + std::to_string(port)}) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        // The impostor listens as another user and reports how many bytes it was sent.
        const pid_t impostor = ::fork();
        if (impostor == 0) {
            ::close(ready[0]);
            if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(2);
            const int fd = listenAt(path, address.starts_with("tcp") ? port : 0);
            if (fd < 0) ::_exit(3);
            (void)!::write(ready[1], "r", 1);
            pollfd p{fd, POLLIN, 0};
            long received = -1;
            if (::poll(&p, 1, 5000) == 1) {
                const int c = ::accept(fd, nullptr, nullptr);
                received = 0;
                char buf[4096];
                pollfd q{c, POLLIN, 0};
                while (::poll(&q, 1, 1000) == 1) {
                    const ssize_t n = ::recv(c, buf, sizeof buf, 0);
                    if (n <= 0) break;
                    received += n;
                }
            }
            (void)!::write(ready[1], &received, sizeof received);
            ::_exit(0);
        }
        ::close(ready[1]);
        char r = 0;
        ASSERT_EQ(::read(ready[0], &r, 1), 1) << address;
        {
            Client c(address, dict_, "adssys", "kor5382");
            EXPECT_EQ(c.code(), static_cast<UNSIGNED32>(AE_SERVER_NOT_TRUSTED))
                << address << ": " << lastError();
        }
        long received = -2;
        EXPECT_EQ(::read(ready[0], &received, sizeof received),
                  static_cast<ssize_t>(sizeof received));
        EXPECT_EQ(received, 0) << "the client spoke to the impostor at " << address;
        ::close(ready[0]);
        int status = 0;
        ::waitpid(impostor, &status, 0);
    }
}

}  // namespace
}  // namespace security
