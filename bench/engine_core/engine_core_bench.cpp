// engine_core_bench: figures of the engine core, written to a file (default
// engine_core_bench.txt, or the first argument).
//   - microseconds per Locate-like search on a 10,000-row #UsersTableLocks: set the AOF
//     (TableName = "..." AND LockedRecNo = n), go top, test EOF, clear the AOF;
//   - rows appended per second to that table;
//   - sp_mgGetLockOwner calls per second while 10,000 locks are held.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "engine/core/session.h"
#include "engine/record/record.h"

using namespace engine;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRows = 10000;

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

void check(const Status& s, const char* what) {
    if (!s.ok()) {
        std::cerr << what << ": " << s.code << " " << s.text << "\n";
        std::exit(1);
    }
}

std::string int32Bytes(int32_t v) {
    uint8_t raw[4];
    record::putU32(raw, static_cast<uint32_t>(v));
    return std::string(reinterpret_cast<char*>(raw), 4);
}

}  // namespace

int main(int argc, char** argv) {
    std::string out = argc > 1 ? argv[1] : "engine_core_bench.txt";
    char tmpl[] = "/tmp/brevantis_bench_XXXXXX";
    std::string dir = ::mkdtemp(tmpl);
    std::string dd = dir + "/Bench.add";
    check(createDictionary(dd, "kor5382"), "dictionary");
    Server server;
    std::string connect =
        "Data Source=" + dd + ";User ID=adssys;Password=\"kor5382\";ServerType=REMOTE;";
    std::unique_ptr<Session> s;
    check(server.connect(connect, {"BENCH", "127.0.0.1", "bench", "", "bench"}, &s), "connect");
    SqlResult r;
    check(
        s->executeSql(
            "CREATE TABLE #UsersTableLocks (DictionaryName CIChar(25), DictionaryPath CIChar(100),"
            " TableName CIChar(25), TablePath CIChar(100), UserName CIChar(50),"
            " OsUserLoginName CIChar(50), ApplicationID CIChar(70), LockedRecNo Integer );"
            "Create Index UserName on #UsersTableLocks(UserName);"
            "Create Index OsUserLoginName on #UsersTableLocks(OsUserLoginName);",
            {}, 0, &r),
        "create");
    CursorInfo t;
    check(s->openTable("#UsersTableLocks", 0, 1, 1, 1, 0, "ANSI", &t), "open");

    // Appends, shaped like the collection's posts.
    auto start = Clock::now();
    for (int i = 1; i <= kRows; ++i) {
        WriteRequest w;
        w.append = true;
        std::string table = "Table" + std::to_string(i % 50);
        w.columns = {{7, ColumnWrite::Kind::Bytes, int32Bytes(i)},
                     {6, ColumnWrite::Kind::Bytes, "Application " + std::to_string(i % 7)},
                     {5, ColumnWrite::Kind::Bytes, "login" + std::to_string(i % 13)},
                     {4, ColumnWrite::Kind::Bytes, "POSTE-" + std::to_string(i % 17)},
                     {3, ColumnWrite::Kind::Bytes, dir + "/" + table + ".adt"},
                     {2, ColumnWrite::Kind::Bytes, table},
                     {1, ColumnWrite::Kind::Bytes, dir}};
        Position p;
        check(s->writeRecord(t.handle, w, &p), "append");
    }
    double appendsPerSecond = kRows / seconds(start);

    // Locate-like searches: half present, half absent.
    const int searches = 20000;
    int found = 0;
    start = Clock::now();
    for (int i = 0; i < searches; ++i) {
        int recno = (i * 7919) % (2 * kRows) + 1;
        std::string expr = "(TableName=\"table" + std::to_string(recno % 50) +
                           "\") AND (LockedRecNo=" + std::to_string(recno) + ")";
        bool exact = false;
        check(s->exact(t.handle, &exact), "exact");
        check(s->setExact(t.handle, true), "set exact");
        check(s->setAof(t.handle, expr), "aof");
        Position p;
        check(s->gotoTop(t.handle, &p), "top");
        found += p.eof ? 0 : 1;
        check(s->setExact(t.handle, exact), "restore exact");
        check(s->clearAof(t.handle), "clear");
    }
    double locateMicros = seconds(start) * 1e6 / searches;

    // Lock-owner calls with 10,000 locks held by another connection.
    check(s->executeSql("CREATE TABLE Verrous (N Integer);", {}, 0, &r), "create stored");
    std::unique_ptr<Session> holder;
    check(server.connect(connect, {"HOLDER", "127.0.0.2", "holder", "", "holder"}, &holder),
          "connect holder");
    CursorInfo v;
    check(holder->openTable("Verrous", 0, 1, 1, 1, 0, "", &v), "open stored");
    for (int i = 1; i <= kRows; ++i) {
        WriteRequest w;
        w.append = true;
        w.columns = {{0, ColumnWrite::Kind::Bytes, int32Bytes(i)}};
        Position p;
        check(holder->writeRecord(v.handle, w, &p), "append stored");
        check(holder->lockRecord(v.handle, p.recordNumber), "lock");
    }
    const int calls = 5000;
    start = Clock::now();
    for (int i = 0; i < calls; ++i) {
        std::string sql = "EXECUTE PROCEDURE sp_mgGetLockOwner( '" + dir + "/Verrous.adt'," +
                          std::to_string(i % kRows + 1) + ");";
        check(s->executeSql(sql, {}, 10, &r), "owner");
        if (r.recordCount != 1) {
            std::cerr << "lock owner missing\n";
            return 1;
        }
        // A result sent whole keeps no cursor on the server: there is nothing to close.
        if (r.cursor.handle) check(s->close(r.cursor.handle), "close cursor");
    }
    double ownerCallsPerSecond = calls / seconds(start);

    std::ostringstream f;
    f << "engine core figures (in-process, one thread)\n";
    f << "locate_aof_us_per_search " << locateMicros << "  (target < 20; " << found << " of "
      << searches << " found)\n";
    f << "appended_rows_per_second " << static_cast<long>(appendsPerSecond) << "\n";
    f << "lock_owner_calls_per_second " << static_cast<long>(ownerCallsPerSecond)
      << "  (10000 locks held)\n";
    std::ofstream(out) << f.str();
    std::cout << f.str();
    holder.reset();
    s.reset();
    std::filesystem::remove_all(dir);
    return 0;
}
