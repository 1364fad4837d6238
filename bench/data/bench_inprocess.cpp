// bench_inprocess.cpp: the collection loop against an engine server inside this process.
//
// Usage: data_bench_inprocess [rows] [report file]; defaults 10000 and data_bench.txt.
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "bench/data/collection_loop.h"
#include "engine/core/dictionary.h"
#include "engine/include/engine_client.h"
#include "engine/testing/in_process.h"

int main(int argc, char** argv) {
    const int rows = bench::rowsArgument(argc, argv);
    if (rows == 0) return 2;
    QString file = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("data_bench.txt");
    QTemporaryDir dir;
    QString dictionary = dir.filePath(QStringLiteral("Bench.add"));
    engine::Dictionary d = engine::Dictionary::empty(dictionary.toStdString());
    d.addUser("adssys", "kor5382", true);
    d.save();
    engine::Server server;
    engine::testing::useInProcessServer(server);
    // The client library is linked in: its functions are this program's own.
    static ace::FunctionTable linked;
#define BENCH_LINK(name) linked.name = &::name;
    BREVANTIS_ACE_FUNCTIONS(BENCH_LINK)
    BENCH_LINK(EngineGetLayoutId)
    BENCH_LINK(EngineReadRow)
#undef BENCH_LINK
    ace::installTable(&bench::countingTable(linked));
    auto trips = [] {
        UNSIGNED32 n = 0;
        EngineGetRoundTrips(&n);
        return uint64_t{n};
    };
    QString report;
    bench::runCollectionLoop(QStringLiteral("in-process"), dictionary, rows, trips, report);
    QFile out(file);
    if (out.open(QIODevice::Append | QIODevice::Text)) out.write(report.toUtf8());
    std::fputs(report.toUtf8().constData(), stdout);
    engine::testing::stopUsingInProcessServer();
    return 0;
}
