// server_process_test.cpp: the shipped client library against a real enginesrv process —
// start and refusal, stop, no server, lock contention between processes, a killed client,
// a killed server, and connections that send garbage or nothing.
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "engine/protocol/frame.h"
#include "engine/protocol/wire_format.h"
#include "tests/engine/client/client_fixture.h"
#include "tests/support/server_process.h"

namespace engine::testing {
namespace {

using Clock = std::chrono::steady_clock;
using testsupport::ServerProcess;

int64_t msSince(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

class ServerProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server_.start()) << server_.log();
        EngineSetServerAddress(server_.address().c_str());
        conn_ = connectOrFail(folder_.connectString());
        runSql(conn_,
               "CREATE TABLE Clients (Nom CIChar(20), Code Integer);\r\n"
               "INSERT INTO Clients VALUES ('Martin', 1), ('Bernard', 2), ('Dubois', 3);");
    }
    void TearDown() override {
        if (conn_) AdsDisconnect(conn_);
    }

    ADSHANDLE openClients(ADSHANDLE conn) {
        ADSHANDLE t = 0;
        EXPECT_EQ(AdsOpenTable90(conn, "Clients", nullptr, 0, 1, 1, 1, 0, "ANSI", &t), AE_SUCCESS)
            << lastErrorText();
        return t;
    }

    // Locked record numbers of Clients as the management procedure reports them.
    std::vector<std::vector<std::string>> locks() {
        ADSHANDLE c = runSql(
            conn_, "EXECUTE PROCEDURE sp_mgGetAllLocks('" + folder_.dir() + "/Clients.adt ');");
        auto rows = readAll(c);
        AdsCloseTable(c);
        return rows;
    }

    // A child process that connects as another user, locks `recno`, says so on a pipe and
    // waits to be killed. Returns its pid.
    pid_t lockingChild(UNSIGNED32 recno) {
        int ready[2];
        EXPECT_EQ(::pipe(ready), 0);
        pid_t pid = ::fork();
        if (pid == 0) {
            ::close(ready[0]);
            EngineSetClientIdentity("POSTE-ENFANT", "enfant", "Holder");
            ADSHANDLE c = 0, t = 0;
            char ok = 'n';
            if (AdsConnect101(folder_.connectString().c_str(), nullptr, &c) == AE_SUCCESS &&
                AdsOpenTable90(c, "Clients", nullptr, 0, 1, 1, 1, 0, "ANSI", &t) == AE_SUCCESS &&
                AdsLockRecord(t, recno) == AE_SUCCESS) {
                ok = 'y';
            }
            (void)!::write(ready[1], &ok, 1);
            for (;;) ::pause();
        }
        ::close(ready[1]);
        char ok = 0;
        EXPECT_EQ(::read(ready[0], &ok, 1), 1);
        EXPECT_EQ(ok, 'y');
        ::close(ready[0]);
        return pid;
    }

    DictionaryFolder folder_;
    ServerProcess server_{{"--idle-timeout", "300", "--frame-timeout", "300"}};
    ADSHANDLE conn_ = 0;
};

TEST_F(ServerProcessTest, SecondServerOnTheSameAddressIsRefusedAndStopIsClean) {
    ServerProcess second;
    std::string exe = ServerProcess::executable();
    std::string cmd = exe + " --socket " + server_.socketPath() + " 2>&1";
    FILE* out = ::popen(cmd.c_str(), "r");
    ASSERT_NE(out, nullptr);
    char line[512] = {};
    std::string text;
    while (std::fgets(line, sizeof line, out)) text += line;
    int status = ::pclose(out);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(text.find("another server already listens"), std::string::npos) << text;

    ADSHANDLE t = openClients(conn_);
    EXPECT_EQ(server_.stop(), 0) << server_.log();
    EXPECT_FALSE(std::filesystem::exists(server_.socketPath()));
    EXPECT_NE(server_.log().find("stopped"), std::string::npos) << server_.log();
    EXPECT_NE(server_.log().find("closed: server stopping"), std::string::npos) << server_.log();
    UNSIGNED16 eof = 0;
    auto start = Clock::now();
    EXPECT_EQ(AdsSkip(t, 1), AE_CONNECTION_LOST);
    EXPECT_LT(msSince(start), 1000);
    EXPECT_EQ(AdsAtEOF(t, &eof), AE_SUCCESS) << "local answers still work";
    EXPECT_EQ(AdsDisconnect(conn_), AE_CONNECTION_LOST);
    conn_ = 0;
}

TEST_F(ServerProcessTest, NoServerAnswersWithItsOwnCode) {
    ADSHANDLE h = 0;
    EXPECT_EQ(AdsConnect101(folder_.connectString("adssys", "faux").c_str(), nullptr, &h),
              static_cast<UNSIGNED32>(AE_LOGIN_FAILED));
    EXPECT_NE(server_.log().find("refused: 5091"), std::string::npos) << server_.log();
    EngineSetServerAddress(("unix:" + folder_.dir() + "/nobody.sock").c_str());
    EXPECT_EQ(AdsConnect101(folder_.connectString().c_str(), nullptr, &h),
              static_cast<UNSIGNED32>(AE_SERVER_NOT_AVAILABLE));
    EXPECT_NE(lastErrorText().find("No database server answers"), std::string::npos);
    EXPECT_EQ(EngineSetServerAddress("tcp:10.0.0.1:6262"), AE_INVALID_ARGUMENT) << "loopback only";
    EngineSetServerAddress(server_.address().c_str());
}

TEST_F(ServerProcessTest, AKilledClientLosesItsLocksAtOnce) {
    pid_t child = lockingChild(2);
    ADSHANDLE t = openClients(conn_);
    EXPECT_EQ(AdsLockRecord(t, 2), AE_RECORD_LOCKED);
    EXPECT_EQ(locks(), (std::vector<std::vector<std::string>>{{"2"}}));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    auto start = Clock::now();
    while (!locks().empty() && msSince(start) < 1000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(locks().empty()) << "still locked after a second";
    EXPECT_EQ(AdsLockRecord(t, 2), AE_SUCCESS);
    AdsCloseTable(t);
}

TEST_F(ServerProcessTest, AKilledServerFailsCallsPromptlyAndARestartServes) {
    ADSHANDLE t = openClients(conn_);
    server_.kill();
    auto start = Clock::now();
    EXPECT_EQ(AdsGotoTop(t), AE_CONNECTION_LOST);
    EXPECT_EQ(AdsLockRecord(t, 1), AE_CONNECTION_LOST);
    EXPECT_LT(msSince(start), 1000);
    AdsDisconnect(conn_);
    conn_ = 0;
    ASSERT_TRUE(server_.start()) << server_.log();
    conn_ = connectOrFail(folder_.connectString());
    ADSHANDLE c = runSql(conn_, "SELECT Nom FROM Clients WHERE Code = 3");
    EXPECT_EQ(readAll(c), (std::vector<std::vector<std::string>>{{"Dubois"}}));
    AdsCloseTable(c);
}

TEST_F(ServerProcessTest, BadOrSilentConnectionsAreDroppedAlone) {
    auto rawConnect = [&]() {
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, server_.socketPath().c_str(), sizeof addr.sun_path - 1);
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        return fd;
    };
    // Whether the server closes the connection within the time (read answers 0 or error).
    auto closedWithin = [](int fd, int ms) {
        timeval tv{ms / 1000, (ms % 1000) * 1000};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        char b[64];
        ssize_t n = ::recv(fd, b, sizeof b, 0);
        ::close(fd);
        return n <= 0 && !(n < 0 && errno == EAGAIN);
    };
    // A frame's header and payload, the header claiming `length` bytes.
    auto frame = [](std::string_view payload, uint32_t length) {
        return protocol::frameHeader(length) + std::string(payload);
    };
    const std::string badOp =
        protocol::encoded(std::vector<protocol::OpRequest>{{protocol::Op(999), 0, ""}});
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"silent", ""},
        {"not a frame", "GET / HTTP/1.0\r\n\r\n"},
        {"oversized", frame("", protocol::kMaxPayload + 1)},
        {"truncated", frame("0123", 10)},
        {"malformed payload", frame("\x05\x00\x00\x00xyz", 7)},
        {"unknown operation", frame(badOp, static_cast<uint32_t>(badOp.size()))},
    };
    for (const Case& c : cases) {
        int fd = rawConnect();
        if (!c.bytes.empty()) {
            ASSERT_EQ(::send(fd, c.bytes.data(), c.bytes.size(), 0), ssize_t(c.bytes.size()));
        }
        EXPECT_TRUE(closedWithin(fd, 2000)) << c.what;
    }
    // The server and the other connection are unaffected.
    ADSHANDLE cursor = runSql(conn_, "SELECT Nom FROM Clients WHERE Code = 1");
    EXPECT_EQ(readAll(cursor), (std::vector<std::vector<std::string>>{{"Martin"}}));
    AdsCloseTable(cursor);
    EXPECT_TRUE(server_.running());
    EXPECT_NE(server_.log().find("silent client"), std::string::npos) << server_.log();
}

TEST(ServerOverTcp, ServesOnLoopback) {
    DictionaryFolder folder;
    int port = 20000 + ::getpid() % 20000;
    ServerProcess server({"--tcp", std::to_string(port)});
    ASSERT_TRUE(server.start()) << server.log();
    ASSERT_EQ(EngineSetServerAddress(server.address().c_str()), AE_SUCCESS);
    ADSHANDLE c = connectOrFail(folder.connectString());
    ADSHANDLE cursor =
        runSql(c, "CREATE TABLE T (A Integer); INSERT INTO T VALUES (5); SELECT A FROM T");
    EXPECT_EQ(readAll(cursor), (std::vector<std::vector<std::string>>{{"5"}}));
    AdsCloseTable(cursor);
    EXPECT_EQ(AdsDisconnect(c), AE_SUCCESS);
    EXPECT_NE(server.log().find("listening on tcp:127.0.0.1:" + std::to_string(port)),
              std::string::npos);
}

// A connection's buffers outlive its requests: an answer and a request far larger than the
// others, then small ones and the large one again, all come back whole and exact.
TEST_F(ServerProcessTest, AnswersStayExactAfterLargeRequestsAndAnswers) {
    constexpr int kRows = 1500;  // more than one batch of rows, each answer over 64 KiB
    std::vector<std::vector<std::string>> wide;
    std::string insert =
        "CREATE TABLE Large (Ligne Integer, Texte Char(200));\r\n"
        "INSERT INTO Large VALUES ";
    for (int i = 0; i < kRows; ++i) {
        std::string text = std::to_string(i) + std::string(190, static_cast<char>('a' + i % 26));
        wide.push_back({std::to_string(i), text});
        insert += (i ? ", (" : "(") + std::to_string(i) + ", '" + text + "')";
    }
    AdsCloseTable(runSql(conn_, insert));
    for (int round = 0; round < 2; ++round) {
        ADSHANDLE all = runSql(conn_, "SELECT Ligne, Texte FROM Large");
        EXPECT_EQ(readAll(all), wide) << "round " << round;
        AdsCloseTable(all);
        ADSHANDLE one = runSql(conn_, "SELECT Nom FROM Clients WHERE Code = 2");
        EXPECT_EQ(readAll(one), (std::vector<std::vector<std::string>>{{"Bernard"}}))
            << "round " << round;
        AdsCloseTable(one);
    }
}

// Threads of one process share the library: each has its own connection, last error and
// record locks; contention answers 5035 and nothing else goes wrong.
TEST_F(ServerProcessTest, ThreadsOfOneProcessWorkSideBySide) {
    constexpr int kThreads = 8;
    std::vector<std::thread> threads;
    std::vector<int> failures(kThreads, 0);
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            ADSHANDLE c = 0, t = 0;
            if (AdsConnect101(folder_.connectString().c_str(), nullptr, &c) != AE_SUCCESS ||
                AdsOpenTable90(c, "Clients", nullptr, 0, 1, 1, 1, 0, "ANSI", &t) != AE_SUCCESS) {
                ++failures[i];
                return;
            }
            for (int round = 0; round < 100; ++round) {
                UNSIGNED32 recno = 1 + (round + i) % 3;
                UNSIGNED32 rc = AdsLockRecord(t, recno);
                if (rc == AE_RECORD_LOCKED) {
                    UNSIGNED32 code = 0;
                    UNSIGNED16 len = 0;
                    AdsGetLastError(&code, nullptr, &len);
                    failures[i] += code != AE_RECORD_LOCKED;
                } else if (rc != AE_SUCCESS || AdsUnlockRecord(t, recno) != AE_SUCCESS) {
                    ++failures[i];
                }
                if (AdsSkip(t, round % 2 ? 1 : -1) != AE_SUCCESS) ++failures[i];
            }
            if (AdsDisconnect(c) != AE_SUCCESS) ++failures[i];
        });
    }
    for (std::thread& th : threads) th.join();
    for (int i = 0; i < kThreads; ++i) EXPECT_EQ(failures[i], 0) << "thread " << i;
    EXPECT_TRUE(locks().empty());
}

}  // namespace
}  // namespace engine::testing
