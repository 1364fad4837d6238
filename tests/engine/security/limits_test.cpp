// limits_test.cpp: what one client, or many, can take from the server. Out of descriptors
// the server sheds the newest connections without spinning and recovers; past its
// connection limit it refuses with a code of its own; before login a frame is small and
// every frame has a deadline; one connection's cursors and results are bounded.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "engine/include/engine_api.h"
#include "tests/engine/reliability/client.h"
#include "tests/engine/reliability/harness.h"
#include "tests/engine/reliability/raw_socket.h"
#include "tests/engine/security/support.h"

namespace security {
namespace {

using reliability::Client;
using reliability::lastError;
using Clock = std::chrono::steady_clock;

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::string u32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
    return s;
}
std::string bytes(const std::string& b) {
    return u32(static_cast<uint32_t>(b.size())) + b;
}

// A request of one Connect operation, as the client library writes it.
std::string connectRequest(const std::string& connectString) {
    std::string args = bytes(connectString);
    for (const char* field : {"RAW-PC", "", "raw", "", "raw"}) args += bytes(field);
    std::string op = std::string("\x02\x00\x00", 3) + bytes(args);
    return u32(1) + op;
}

// Reads one whole frame's payload from fd within timeoutMs; false when none comes.
bool readFrame(int fd, std::string* payload, int timeoutMs) {
    std::string got;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        char buf[4096];
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return false;
        got.append(buf, static_cast<size_t>(n));
        if (got.size() >= 8) {
            uint32_t len = 0;
            for (int i = 3; i >= 0; --i) len = (len << 8) | static_cast<uint8_t>(got[4 + i]);
            if (got.size() >= 8 + len) {
                *payload = got.substr(8, len);
                return true;
            }
        }
    }
    return false;
}

class Limits : public ::testing::Test {
  protected:
    void SetUp() override { dict_ = reliability::makeDictionary(dir_.path(), "Limites", 20); }
    std::string socket() const { return dir_.path() + "/srv.sock"; }

    reliability::TempDir dir_{"limits"};
    std::string dict_;
};

TEST_F(Limits, OutOfDescriptorsTheServerShedsTheNewestAndRecovers) {
    reliability::Child server(
        "/bin/sh",
        {"-c", "ulimit -n 48 && exec \"$0\" \"$@\"", reliability::binPath("enginesrv"), "--socket",
         socket(), "--idle-timeout", "60000", "--max-connections", "1000"},
        dir_.path() + "/srv.log");
    int probe = -1;
    for (auto until = Clock::now() + std::chrono::seconds(5); probe < 0 && Clock::now() < until;
         sleepMs(10))
        probe = reliability::rawConnect(socket());
    ASSERT_GE(probe, 0) << "the server did not start";
    ::close(probe);
    Client keeper("unix:" + socket(), dict_, "adssys", "kor5382", "KEEPER");
    ASSERT_EQ(keeper.code(), 0u) << lastError();
    const ADSHANDLE items = keeper.open("Items");
    ASSERT_NE(items, 0u) << lastError();
    ASSERT_EQ(AdsLockRecord(items, 1), 0u);

    std::vector<int> flood;
    for (int i = 0; i < 80; ++i) {
        const int fd = reliability::rawConnect(socket());
        if (fd >= 0) flood.push_back(fd);
    }
    sleepMs(300);
    const long before = reliability::cpuMs(server.pid());
    sleepMs(1500);
    EXPECT_LT(reliability::cpuMs(server.pid()) - before, 300) << "the server spins";
    int shed = 0;
    for (int fd : flood) shed += reliability::closedByServer(fd, 10) ? 1 : 0;
    EXPECT_GT(shed, 0) << "the excess was neither refused nor closed";
    EXPECT_EQ(AdsGotoRecord(items, 3), 0u) << "a connected client was not served: " << lastError();

    for (int fd : flood) ::close(fd);
    UNSIGNED32 rc = 1;
    for (auto until = Clock::now() + std::chrono::seconds(5); rc != 0 && Clock::now() < until;) {
        Client late("unix:" + socket(), dict_, "adssys", "kor5382");
        rc = late.code();
        if (rc != 0) sleepMs(100);
    }
    EXPECT_EQ(rc, 0u) << "no connection accepted once the descriptors came back: " << lastError();
}

TEST_F(Limits, WithoutThreadsLeftTheServerRefusesInsteadOfDying) {
    // Run by a user of its own: the process limit does not hold for root, and counts every
    // process of the user.
    if (!runningAsRoot()) GTEST_SKIP() << "needs root to run as a user of its own";
    const uid_t user = userOfThisTest();
    const std::string run = dir_.path() + "/run";
    std::filesystem::create_directory(run);
    ::chmod(dir_.path().c_str(), 0755);
    giveToUnprivileged(run, user);
    const std::string outcome = runUnprivileged(
        [&] {
            const std::string path = run + "/srv.sock";
            const rlimit threads{12, 12};  // this process, the server and its threads
            if (::setrlimit(RLIMIT_NPROC, &threads) != 0) return std::string("no limit");
            reliability::Child server(reliability::binPath("enginesrv"),
                                      {"--socket", path, "--idle-timeout", "60000"},
                                      run + "/srv.log");
            int probe = -1;
            for (int i = 0; i < 500 && probe < 0 && server.running(); ++i, sleepMs(10))
                probe = reliability::rawConnect(path);
            if (probe < 0) return std::string("no server");
            std::vector<int> flood{probe};
            for (int i = 0; i < 40; ++i) flood.push_back(reliability::rawConnect(path));
            int shed = 0;
            for (int fd : flood) shed += reliability::closedByServer(fd, 200) ? 1 : 0;
            sleepMs(200);
            std::string out = server.running() ? "running" : "dead";
            out += shed > 0 ? ", refused some" : ", refused none";
            for (int fd : flood) ::close(fd);
            return out;
        },
        user);
    EXPECT_EQ(outcome, "running, refused some");
}

TEST_F(Limits, PastTheConnectionLimitTheNewestIsRefusedWithItsOwnCode) {
    reliability::ServerProcess server(socket(), {"--max-connections", "3"});
    ASSERT_TRUE(server.start());
    auto first = std::make_unique<Client>(server.address(), dict_, "adssys", "kor5382");
    Client second(server.address(), dict_, "plain", "plain1");
    Client third(server.address(), dict_, "plain", "plain1");
    ASSERT_EQ(first->code() | second.code() | third.code(), 0u) << lastError();
    {
        Client fourth(server.address(), dict_, "adssys", "kor5382");
        EXPECT_EQ(fourth.code(), static_cast<UNSIGNED32>(AE_SERVER_BUSY)) << lastError();
    }
    first.reset();
    UNSIGNED32 rc = 1;
    for (auto until = Clock::now() + std::chrono::seconds(3); rc != 0 && Clock::now() < until;) {
        Client next(server.address(), dict_, "adssys", "kor5382");
        rc = next.code();
        if (rc != 0) sleepMs(50);
    }
    EXPECT_EQ(rc, 0u) << lastError();
}

TEST_F(Limits, BeforeLoginFramesAreSmallAndEveryFrameHasADeadline) {
    reliability::ServerProcess server(socket(),
                                      {"--idle-timeout", "10000", "--frame-timeout", "4000"});
    ASSERT_TRUE(server.start());

    const int large = reliability::rawConnect(socket());
    const std::string announce = reliability::frameHeader(1u << 20) + std::string(100, 'x');
    ASSERT_EQ(::send(large, announce.data(), announce.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(announce.size()));
    EXPECT_TRUE(reliability::closedByServer(large, 1500))
        << "a large frame before login was waited for";
    ::close(large);

    // A byte now and then does not keep a frame alive past its deadline.
    const int trickle = reliability::rawConnect(socket());
    const std::string head = reliability::frameHeader(100);
    ASSERT_EQ(::send(trickle, head.data(), head.size(), MSG_NOSIGNAL), 8);
    bool closed = false;
    const auto start = Clock::now();
    while (!closed && Clock::now() - start < std::chrono::seconds(8)) {
        ::send(trickle, "x", 1, MSG_NOSIGNAL);
        closed = reliability::closedByServer(trickle, 500);
    }
    EXPECT_TRUE(closed) << "a frame trickled in byte by byte was never cut";
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(6));
    ::close(trickle);

    // After login a frame may be large, but its room grows with what arrives.
    const int fd = reliability::rawConnect(socket());
    const std::string login =
        connectRequest("Data Source=" + dict_ + ";User ID=adssys;Password=\"kor5382\";");
    const std::string frame = reliability::frameHeader(static_cast<uint32_t>(login.size())) + login;
    ASSERT_EQ(::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(frame.size()));
    std::string answer;
    ASSERT_TRUE(readFrame(fd, &answer, 5000));
    ASSERT_GE(answer.size(), 8u);
    ASSERT_EQ(answer.substr(4, 4), u32(0)) << "login refused";
    const long before = reliability::residentKiB(server.pid());
    const std::string big = reliability::frameHeader(64u << 20) + std::string(1024, 'x');
    ASSERT_EQ(::send(fd, big.data(), big.size(), MSG_NOSIGNAL), static_cast<ssize_t>(big.size()));
    sleepMs(500);
    EXPECT_LT(reliability::residentKiB(server.pid()) - before, 16 * 1024)
        << "64 MiB taken for a frame of which 1 KiB came";
    ::close(fd);
}

TEST_F(Limits, SilentConnectionsGoAndNeverKeepALoginOut) {
    reliability::ServerProcess server(socket(),
                                      {"--max-connections", "20", "--idle-timeout", "60000",
                                       "--session-idle-timeout", "1500"});
    ASSERT_TRUE(server.start());
    std::vector<int> silent;
    for (int i = 0; i < 20; ++i) silent.push_back(reliability::rawConnect(socket()));
    sleepMs(200);
    Client real(server.address(), dict_, "adssys", "kor5382");
    EXPECT_EQ(real.code(), 0u) << "silent connections kept a correct login out: " << lastError();
    for (int fd : silent) ::close(fd);

    // Logged in, then silent past --session-idle-timeout. The server notices the silent
    // connections' close on its own time: until then a new one may still find it full.
    const std::string login =
        connectRequest("Data Source=" + dict_ + ";User ID=adssys;Password=\"kor5382\";");
    const std::string frame = reliability::frameHeader(static_cast<uint32_t>(login.size())) + login;
    int fd = -1;
    std::string answer;
    for (int attempt = 0; attempt < 50; ++attempt) {
        fd = reliability::rawConnect(socket());
        ASSERT_EQ(::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(frame.size()));
        ASSERT_TRUE(readFrame(fd, &answer, 5000));
        if (answer.substr(4, 4) == u32(0)) break;
        ::close(fd);
        sleepMs(100);
    }
    ASSERT_EQ(answer.substr(4, 4), u32(0)) << "login refused";
    EXPECT_TRUE(reliability::closedByServer(fd, 5000)) << "an idle connection stayed";
    ::close(fd);
}

// The most memory the process has taken, in KiB.
long peakKiB(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

TEST_F(Limits, ResultsAndTemporaryTablesAreBoundedWhileTheyAreMade) {
    reliability::ServerProcess server(socket(), {"--max-result-mb", "4"});
    ASSERT_TRUE(server.start());
    Client c(server.address(), dict_, "adssys", "kor5382");
    ASSERT_EQ(c.code(), 0u) << lastError();
    std::vector<reliability::Row> none;
    ASSERT_EQ(c.query("CREATE TABLE #T (Texte Char(4000))", &none), 0u) << lastError();
    std::string insert = "INSERT INTO #T VALUES ('x')";
    for (int i = 1; i < 250; ++i) insert += ", ('x')";
    UNSIGNED32 rc = 0;
    int batches = 0;
    for (; rc == 0 && batches < 10; ++batches) rc = c.query(insert, &none);
    EXPECT_EQ(rc, static_cast<UNSIGNED32>(AE_RESULTS_TOO_LARGE)) << lastError();
    EXPECT_LE(batches, 5) << "each batch holds about 1 MB";
    ASSERT_EQ(c.query("DROP TABLE #T", &none), 0u) << lastError();
    ASSERT_EQ(c.query("CREATE TABLE #T (Texte Char(4000))", &none), 0u) << lastError();
    EXPECT_EQ(c.query("INSERT INTO #T VALUES ('x')", &none), 0u)
        << "a dropped table gives its room back: " << lastError();

    // Wide rows: refused as they accumulate, not once a few hundred MB are made.
    ASSERT_EQ(c.query("CREATE TABLE #N (X Integer)", &none), 0u) << lastError();
    std::string rows = "INSERT INTO #N VALUES (1)";
    for (int i = 1; i < 4000; ++i) rows += ", (1)";
    ASSERT_EQ(c.query(rows, &none), 0u) << lastError();
    std::string wide = "SELECT X";
    for (int i = 1; i < 1900; ++i) wide += ", X";
    const long before = peakKiB(server.pid());
    EXPECT_EQ(c.query(wide + " FROM #N", &none), static_cast<UNSIGNED32>(AE_RESULTS_TOO_LARGE))
        << lastError();
    EXPECT_LT(peakKiB(server.pid()) - before, 64 * 1024) << "the rows were made before the limit";
    std::string tooWide = wide;
    for (int i = 0; i < 200; ++i) tooWide += ", X";
    EXPECT_EQ(c.query(tooWide + " FROM #N", &none), static_cast<UNSIGNED32>(AE_INVALID_ARGUMENT))
        << lastError();
    EXPECT_LT(peakKiB(server.pid()) - before, 64 * 1024);
}

TEST_F(Limits, AnAnswerTooLargeForOneMessageIsRefusedAndTheConnectionLivesOn) {
    reliability::ServerProcess server(socket());
    ASSERT_TRUE(server.start());
    Client c(server.address(), dict_, "adssys", "kor5382");
    ASSERT_EQ(c.code(), 0u) << lastError();
    std::vector<reliability::Row> rows;
    ASSERT_EQ(c.query("CREATE TABLE #Large (Texte Char(40000))", &rows), 0u) << lastError();
    std::string insert = "INSERT INTO #Large VALUES ('x')";
    for (int i = 1; i < 400; ++i) insert += ", ('x')";
    for (int i = 0; i < 5; ++i) ASSERT_EQ(c.query(insert, &rows), 0u) << lastError();
    // 2000 rows of 40,000 bytes: one answer would carry 80 MB.
    EXPECT_EQ(c.query("SELECT * FROM #Large", &rows), static_cast<UNSIGNED32>(AE_RESULTS_TOO_LARGE))
        << lastError();
    EXPECT_NE(lastError().find("MiB"), std::string::npos) << lastError();
    EXPECT_EQ(c.query("SELECT * FROM Items", &rows), 0u) << "the connection was lost: " << lastError();
    EXPECT_EQ(rows.size(), 20u);
}

// Runs `sql` on a statement of its own and leaves its cursor open; the engine code.
UNSIGNED32 keepCursor(ADSHANDLE connection, const std::string& sql) {
    ADSHANDLE stmt = 0, cursor = 0;
    UNSIGNED32 rc = AdsCreateSQLStatement(connection, &stmt);
    std::vector<WCHAR16> text(sql.begin(), sql.end());
    text.push_back(0);
    if (rc == 0) rc = AdsPrepareSQLW(stmt, text.data());
    if (rc == 0) rc = AdsExecuteSQL(stmt, &cursor);
    return rc;
}

TEST_F(Limits, OneConnectionsCursorsAndResultsAreBounded) {
    reliability::ServerProcess server(socket(), {"--max-cursors", "50", "--max-result-mb", "20"});
    ASSERT_TRUE(server.start());
    Client c(server.address(), dict_, "adssys", "kor5382");
    ASSERT_EQ(c.code(), 0u) << lastError();
    std::vector<ADSHANDLE> open;
    UNSIGNED32 rc = 0;
    while (rc == 0 && open.size() < 200) {
        ADSHANDLE t = 0;
        rc = AdsOpenTable90(c.handle(), "Items", nullptr, 0, ADS_ANSI, ADS_PROPRIETARY_LOCKING,
                            ADS_CHECKRIGHTS, 0, nullptr, &t);
        if (rc == 0) open.push_back(t);
    }
    EXPECT_EQ(rc, static_cast<UNSIGNED32>(AE_TOO_MANY_CURSORS)) << lastError();
    EXPECT_EQ(open.size(), 50u);
    ASSERT_EQ(AdsCloseTable(open.back()), 0u);
    open.pop_back();
    ADSHANDLE again = 0;
    EXPECT_EQ(AdsOpenTable90(c.handle(), "Items", nullptr, 0, ADS_ANSI, ADS_PROPRIETARY_LOCKING,
                             ADS_CHECKRIGHTS, 0, nullptr, &again),
              0u)
        << lastError();
    for (ADSHANDLE t : open) AdsCloseTable(t);
    AdsCloseTable(again);

    // Results too large for one answer stay on the server: 2100 rows of 4000 bytes each.
    std::vector<reliability::Row> none;
    ASSERT_EQ(c.query("CREATE TABLE Big (Texte Char(4000))", &none), 0u) << lastError();
    std::string insert = "INSERT INTO Big VALUES ('x')";
    for (int i = 1; i < 300; ++i) insert += ", ('x')";
    for (int i = 0; i < 7; ++i) ASSERT_EQ(c.query(insert, &none), 0u) << lastError();
    int kept = 0;
    rc = 0;
    while (rc == 0 && kept < 20) {
        rc = keepCursor(c.handle(), "SELECT * FROM Big");
        if (rc == 0) ++kept;
    }
    EXPECT_EQ(rc, static_cast<UNSIGNED32>(AE_RESULTS_TOO_LARGE)) << lastError();
    EXPECT_EQ(kept, 2) << "each result holds about 8 MB";
    Client other(server.address(), dict_, "adssys", "kor5382");
    EXPECT_EQ(keepCursor(other.handle(), "SELECT * FROM Big"), 0u) << "the limit is per connection";
}

}  // namespace
}  // namespace security
