// bench_world.h: what the lock-search and lock-monitor benchmarks both stand on: enginesrv,
// the dictionary Bench (kTables tables of 1,000 rows) with its ads.ini, and lock holders of
// the first records of every table, as processes of their own.
#ifndef BREVANTIS_BENCH_LOCK_SEARCH_BENCH_WORLD_H
#define BREVANTIS_BENCH_LOCK_SEARCH_BENCH_WORLD_H

#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

#include "tests/app/lock_world.h"

namespace lockbench {

constexpr int kTables = 100;
constexpr int kHolders = 20;

// The name of table `i` (0 <= i < kTables): T000, T001, ...
QString tableName(int i);

// The server and the dictionary, ready on construction; a failure ends the process with
// its reason on standard error.
struct BenchWorld {
    BenchWorld();

    locktest::Server server;
    QTemporaryDir dir;
    QString dictionary;  // the path of Bench.add; ads.ini beside it names it "Bench"
};

// kHolders lock_search_holder processes, holder h holding records 1..perTable of its
// kTables / kHolders tables as workstation PC-hh and user userOf(h); returns once all hold
// their locks (a holder that does not ends the process).
std::vector<std::unique_ptr<locktest::Holder>> startHolders(
    const BenchWorld& world, int perTable, const std::function<QString(int)>& userOf);

}  // namespace lockbench

#endif  // BREVANTIS_BENCH_LOCK_SEARCH_BENCH_WORLD_H
