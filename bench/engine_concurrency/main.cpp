// main.cpp: waits of short statements behind a long one, measured.
//
//   bench_engine_concurrency [RESULT_FILE] [SECONDS]
//       (default: engine_concurrency_results.txt, 10 seconds per phase)
//
// enginesrv serves a dictionary with two tables: Grand, large enough that a full scan
// takes about half a second (the rows are added until it does), and Articles, whose
// records 1 to 5 a holder process keeps locked. Then, for SECONDS each:
//   1. idle: one client runs, back to back, the statements a lock viewer runs —
//      sp_mgGetAllLocks on Articles and sp_mgGetLockOwner on each locked record, each
//      prepared, executed and read to the end — and a one-row read of Articles by ROWID;
//   2. busy: the same, while another process runs the full scan of Grand over and over.
// Clients are processes of their own, as the tool and the programs it watches are: the
// client library serves one call at a time per process. Reports, per kind of statement,
// how many ran and their median, 99th percentile and worst time, and the scans' times.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "bench/common/engine_check.h"
#include "bench/common/ping_pong.h"
#include "engine/core/session.h"
#include "engine/include/engine_api.h"
#include "engine/include/engine_client.h"
#include "tests/support/server_process.h"

namespace {

using bench::check;
using Clock = std::chrono::steady_clock;

constexpr int kLocked = 5;
constexpr double kScanSeconds = 0.5;

double secondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

void sqlOffline(engine::Session& s, const std::string& text) {
    engine::SqlResult r;
    engine::Status st = s.executeSql(text, {}, 0, &r);
    if (!st.ok()) {
        std::cerr << "setup failed: " << st.text << "\n";
        std::exit(1);
    }
}

// Appends `rows` rows to Grand, through the core in this process (no server runs yet).
void growGrand(const std::string& cs, int from, int rows) {
    engine::Server server;
    std::unique_ptr<engine::Session> s;
    if (!server.connect(cs, {}, &s).ok()) std::exit(1);
    std::string batch;
    for (int r = from; r < from + rows; ++r) {
        batch += (batch.empty() ? "INSERT INTO Grand VALUES (" : ", (") + std::to_string(r) +
                 ", 'Ligne numero " + std::to_string(r) + " du grand tableau', " +
                 std::to_string(r % 997) + ")";
        if (batch.size() > 200000 || r + 1 == from + rows) {
            sqlOffline(*s, batch);
            batch.clear();
        }
    }
}

// One statement of a client: prepared, executed, read to the end, closed. Its rows in *rows.
void runStatement(ADSHANDLE stmt, const std::string& sql, UNSIGNED32* rows) {
    std::u16string text(sql.begin(), sql.end());
    check(AdsPrepareSQLW(stmt, reinterpret_cast<const WCHAR16*>(text.c_str())), "prepare");
    ADSHANDLE cursor = 0;
    check(AdsExecuteSQL(stmt, &cursor), sql.c_str());
    *rows = 0;
    if (!cursor) return;
    check(AdsGotoTop(cursor), "top");
    UNSIGNED16 eof = 0;
    while (AdsAtEOF(cursor, &eof) == AE_SUCCESS && !eof) {
        ++*rows;
        check(AdsSkip(cursor, 1), "skip");
    }
    AdsCloseTable(cursor);
}

ADSHANDLE connectAs(const std::string& cs, const char* who) {
    EngineSetClientIdentity(who, who, "Bench");
    ADSHANDLE c = 0;
    check(AdsConnect101(cs.c_str(), nullptr, &c), "connect");
    return c;
}

struct Series {
    std::string name;
    std::vector<double> ms;
    std::string summary() const {
        if (ms.empty()) return name + ": none";
        std::vector<double> v = ms;
        std::sort(v.begin(), v.end());
        const auto over = std::count_if(v.begin(), v.end(), [](double ms) { return ms >= 20; });
        char line[256];
        std::snprintf(
            line, sizeof line,
            "%-20s %7zu   median %6.2f ms   p99 %6.2f ms   worst %7.2f ms   20 ms or more: %ld",
            name.c_str(), v.size(), v[v.size() / 2], v[std::min(v.size() - 1, v.size() * 99 / 100)],
            v.back(), static_cast<long>(over));
        return line;
    }
};

// The lock viewer's statements and a one-row read, back to back for `seconds`.
std::vector<Series> measureShortStatements(const std::string& cs, const std::string& articles,
                                           double seconds) {
    ADSHANDLE conn = connectAs(cs, "VIEWER");
    ADSHANDLE stmt = 0;
    check(AdsCreateSQLStatement(conn, &stmt), "statement");
    Series all{"sp_mgGetAllLocks", {}}, owner{"sp_mgGetLockOwner", {}}, row{"one row by ROWID", {}};
    UNSIGNED32 rows = 0;
    auto start = Clock::now();
    for (int i = 0; secondsSince(start) < seconds; ++i) {
        auto t = Clock::now();
        runStatement(stmt, "EXECUTE PROCEDURE sp_mgGetAllLocks('" + articles + " ');", &rows);
        all.ms.push_back(secondsSince(t) * 1e3);
        if (rows != kLocked) std::cerr << "warning: " << rows << " locks listed\n";
        t = Clock::now();
        runStatement(stmt,
                     "EXECUTE PROCEDURE sp_mgGetLockOwner( '" + articles + "'," +
                         std::to_string(1 + i % kLocked) + ");",
                     &rows);
        owner.ms.push_back(secondsSince(t) * 1e3);
        t = Clock::now();
        runStatement(stmt,
                     "SELECT X.*, X.RowID FROM Articles AS X WHERE Right(X.RowID,6) = 'AAAAAC'",
                     &rows);
        row.ms.push_back(secondsSince(t) * 1e3);
    }
    AdsCloseSQLStatement(stmt);
    AdsDisconnect(conn);
    return {all, owner, row};
}

const char* kScan = "SELECT * FROM Grand WHERE Texte = 'absent'";

// Runs one scan of Grand and returns its seconds.
double scanOnce(ADSHANDLE stmt) {
    UNSIGNED32 rows = 0;
    auto t = Clock::now();
    runStatement(stmt, kScan, &rows);
    return secondsSince(t);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string resultFile = argc > 1 ? argv[1] : "engine_concurrency_results.txt";
    const double seconds = argc > 2 ? std::atof(argv[2]) : 10;
    char tmpl[] = "/tmp/brevantis_bench_XXXXXX";
    const std::string dir = ::mkdtemp(tmpl);
    const std::string dictionary = dir + "/Bench.add";
    const std::string articles = dir + "/Articles.adt";
    if (!engine::createDictionary(dictionary, "kor5382").ok()) return 1;
    const std::string cs =
        "Data Source=" + dictionary + ";User ID=adssys;Password=\"kor5382\";ServerType=REMOTE;";
    {
        engine::Server server;
        std::unique_ptr<engine::Session> s;
        if (!server.connect(cs, {}, &s).ok()) return 1;
        sqlOffline(
            *s,
            "CREATE TABLE Grand (Id Integer, Texte Char(60), Groupe Integer);"
            "CREATE TABLE Articles (Code Integer, Libelle CIChar(30));"
            "INSERT INTO Articles VALUES (1, 'Un'), (2, 'Deux'), (3, 'Trois'), (4, 'Quatre'), "
            "(5, 'Cinq'), (6, 'Six');");
    }

    // Grand grows until one scan takes about kScanSeconds on this machine.
    int rows = 0;
    double scan = 0;
    for (int grow = 100000; grow > 0 && rows < 20000000;) {
        growGrand(cs, rows, grow);
        rows += grow;
        testsupport::ServerProcess probe({"--log-level", "0"});
        if (!probe.start()) return 1;
        EngineSetServerAddress(probe.address().c_str());
        ADSHANDLE conn = connectAs(cs, "PROBE"), stmt = 0;
        check(AdsCreateSQLStatement(conn, &stmt), "statement");
        scanOnce(stmt);  // the first loads the table
        scan = std::min(scanOnce(stmt), scanOnce(stmt));
        AdsDisconnect(conn);
        grow =
            scan < kScanSeconds * 0.9 ? static_cast<int>(rows * (kScanSeconds / scan - 1)) + 1 : 0;
    }

    testsupport::ServerProcess server({"--log-level", "0"});
    if (!server.start()) {
        std::cerr << "enginesrv did not start: " << server.log() << "\n";
        return 1;
    }
    EngineSetServerAddress(server.address().c_str());

    // A holder keeps Articles' first records locked; a scanner waits for its signal.
    int go[2], ready[2], scans[2];
    if (::pipe(go) != 0 || ::pipe(ready) != 0 || ::pipe(scans) != 0) return 1;
    const pid_t holder = ::fork();
    if (holder == 0) {
        ADSHANDLE conn = connectAs(cs, "HOLDER"), table = 0;
        check(AdsOpenTable90(conn, "Articles", nullptr, 0, 1, 1, 1, 0, "ANSI", &table), "open");
        for (int r = 1; r <= kLocked; ++r) check(AdsLockRecord(table, r), "lock");
        (void)!::write(ready[1], "h", 1);
        for (;;) ::pause();
    }
    const pid_t scanner = ::fork();
    if (scanner == 0) {
        ADSHANDLE conn = connectAs(cs, "SCANNER"), stmt = 0;
        check(AdsCreateSQLStatement(conn, &stmt), "statement");
        scanOnce(stmt);
        (void)!::write(ready[1], "s", 1);
        char c;
        if (::read(go[0], &c, 1) != 1) ::_exit(1);
        std::vector<double> times;
        auto start = Clock::now();
        while (secondsSince(start) < seconds + 1) times.push_back(scanOnce(stmt));
        std::sort(times.begin(), times.end());
        const double summary[3] = {static_cast<double>(times.size()), times[times.size() / 2],
                                   times.back()};
        (void)!::write(scans[1], summary, sizeof summary);
        ::_exit(0);
    }
    char c;
    for (int i = 0; i < 2; ++i)
        if (::read(ready[0], &c, 1) != 1) return 1;

    const double pingUs = bench::pingPongMicros(20000);
    std::vector<Series> idle = measureShortStatements(cs, articles, seconds);
    (void)!::write(go[1], "g", 1);
    ::usleep(200000);  // the first scan under way
    std::vector<Series> busy = measureShortStatements(cs, articles, seconds);
    double scanned[3] = {};
    (void)!::read(scans[0], scanned, sizeof scanned);
    int status = 0;
    ::waitpid(scanner, &status, 0);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, &status, 0);

    std::ofstream report(resultFile);
    auto out = [&](const std::string& line) {
        std::cout << line << "\n";
        report << line << "\n";
    };
    char line[256];
    out("engine concurrency benchmark (Unix socket, enginesrv and every client in processes of "
        "their own)");
    std::snprintf(line, sizeof line,
                  "bare 64-byte ping-pong between two processes: %.1f us per round trip", pingUs);
    out(line);
    std::snprintf(line, sizeof line, "long statement: full scan of Grand, %d rows, %.3f s alone",
                  rows, scan);
    out(line);
    out("short statements, none running beside them:");
    for (const Series& s : idle) out("  " + s.summary());
    out("short statements while another process scans Grand without pause:");
    for (const Series& s : busy) out("  " + s.summary());
    std::snprintf(line, sizeof line, "  scans meanwhile: %.0f, median %.3f s, worst %.3f s",
                  scanned[0], scanned[1], scanned[2]);
    out(line);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return 0;
}
