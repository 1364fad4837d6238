// bench_server.cpp: the collection loop through enginesrv and libengine.so, as the tool runs.
//
// Usage: data_bench_server [rows] [report file]; defaults 10000 and data_bench.txt.
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "bench/common/ping_pong.h"
#include "bench/data/collection_loop.h"
#include "bench/data/lock_search.h"
#include "engine/core/dictionary.h"
#include "tests/support/server_process.h"

int main(int argc, char** argv) {
    const int rows = bench::rowsArgument(argc, argv);
    if (rows == 0) return 2;
    QString file = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("data_bench.txt");
    testsupport::ServerProcess server;
    if (!server.start()) {
        std::fprintf(stderr, "enginesrv did not start: %s\n", server.log().c_str());
        return 1;
    }
    server.serveThisProcess();
    QTemporaryDir dir;
    QString dictionary = dir.filePath(QStringLiteral("Bench.add"));
    engine::Dictionary d = engine::Dictionary::empty(dictionary.toStdString());
    d.addUser("adssys", "kor5382", true);
    d.save();
    const ace::FunctionTable& real = ace::api();
    ace::installTable(&bench::countingTable(real));
    double pingUs = bench::pingPongMicros(20000);
    QString report;
    bench::runCollectionLoop(QStringLiteral("enginesrv"), dictionary, rows,
                             bench::libraryRoundTrips, report);
    report.prepend(
        QStringLiteral(
            "enginesrv  bare 64-byte ping-pong between two processes: %1 us per round trip\n")
            .arg(pingUs, 0, 'f', 1));
    QFile out(file);
    if (out.open(QIODevice::Append | QIODevice::Text)) out.write(report.toUtf8());
    std::fputs(report.toUtf8().constData(), stdout);
    return 0;
}
