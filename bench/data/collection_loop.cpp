// collection_loop.cpp: the measured loop and the call-counting function table.
#include "bench/data/collection_loop.h"

#include <QElapsedTimer>
#include <QTextStream>
#include <atomic>
#include <map>
#include <vector>
#include <cstdio>

#include "bench/data/lock_search.h"

namespace bench {

int rowsArgument(int argc, char** argv) {
    if (argc < 2) return 10000;
    bool ok = false;
    const int rows = QString::fromLocal8Bit(argv[1]).toInt(&ok);
    if (ok && rows >= 1 && rows <= 10000000) return rows;
    std::fprintf(stderr,
                 "%s: the row count must be a whole number from 1 to 10000000, not '%s'\n"
                 "usage: %s [rows] [report file]\n",
                 argv[0], argv[1], argv[0]);
    return 0;
}

namespace {

std::atomic<uint64_t> gCalls{0};
const ace::FunctionTable* gInner = nullptr;
ace::FunctionTable gCounting;
std::vector<std::pair<const char*, const std::atomic<uint64_t>*>> gFunctionCounts;

template <auto Member, typename Sig>
struct Counter;
template <auto Member, typename... A>
struct Counter<Member, UNSIGNED32 (*)(A...)> {
    static inline std::atomic<uint64_t> calls{0};
    static UNSIGNED32 fn(A... a) {
        ++gCalls;
        ++calls;
        return (gInner->*Member)(a...);
    }
};

}  // namespace

const ace::FunctionTable& countingTable(const ace::FunctionTable& inner) {
    gInner = &inner;
    gFunctionCounts.clear();
#define BENCH_COUNT(name)                                                                  \
    gFunctionCounts.emplace_back(#name,                                                    \
                                 &Counter<&ace::FunctionTable::name, decltype(&::name)>::calls); \
    gCounting.name = &Counter<&ace::FunctionTable::name, decltype(&::name)>::fn;
    BREVANTIS_ACE_FUNCTIONS(BENCH_COUNT)
    if (inner.EngineGetLayoutId) {
        BENCH_COUNT(EngineGetLayoutId)
    }
    if (inner.EngineReadRow) {
        BENCH_COUNT(EngineReadRow)
    }
#undef BENCH_COUNT
    return gCounting;
}

uint64_t engineCalls() {
    return gCalls;
}

std::map<QString, uint64_t> engineCallsByFunction() {
    std::map<QString, uint64_t> out;
    for (const auto& [name, calls] : gFunctionCounts)
        if (*calls) out[QLatin1String(name)] = *calls;
    return out;
}

void runCollectionLoop(const QString& mode, const QString& dictionary, int rows,
                       const std::function<uint64_t()>& roundTrips, QString& report) {
    TAdsConnection conn(nullptr);
    connectAsAdmin(conn, dictionary);
    ResultTable locks(conn);

    QTextStream out(&report);
    const int block = std::max(1, rows / 10);
    QElapsedTimer total, timer;
    total.start();
    timer.start();
    uint64_t calls0 = engineCalls(), trips0 = roundTrips(), blockCalls = calls0,
             blockTrips = trips0;
    for (int i = 0; i < rows; ++i) {
        const QString table = QStringLiteral("Table") + QString::number(i % 37);
        locks.collect(QStringLiteral("/data/Compta.add"), table,
                      QStringLiteral("/data/") + table + QStringLiteral(".adt"), i + 1,
                      "POSTE-" + QByteArray::number(i % 13), "login" + QByteArray::number(i % 7),
                      "Compta.exe");
        if ((i + 1) % block == 0) {
            double us = timer.nsecsElapsed() / 1000.0 / block;
            out << mode << "  rows " << (i + 2 - block) << "-" << (i + 1) << ": "
                << QString::number(us, 'f', 1) << " us/row, "
                << QString::number(double(engineCalls() - blockCalls) / block, 'f', 1)
                << " engine calls/row, "
                << QString::number(double(roundTrips() - blockTrips) / block, 'f', 2)
                << " round trips/row\n";
            blockCalls = engineCalls();
            blockTrips = roundTrips();
            timer.restart();
        }
    }
    double us = total.nsecsElapsed() / 1000.0 / rows;
    out << mode << "  all " << rows << " rows: " << QString::number(us, 'f', 1) << " us/row, "
        << QString::number(double(engineCalls() - calls0) / rows, 'f', 1) << " engine calls/row, "
        << QString::number(double(roundTrips() - trips0) / rows, 'f', 2)
        << " round trips/row; table holds " << locks.rows() << " rows\n";
}

}  // namespace bench
