// bench_world.cpp: the server, the Bench dictionary and the lock holders of the benchmarks.
#include "bench/lock_search/bench_world.h"

#include <QFile>
#include <cstdio>
#include <cstdlib>

namespace lockbench {
namespace {

[[noreturn]] void fail(const QString& why) {
    std::fprintf(stderr, "%s\n", qPrintable(why));
    std::exit(1);
}

}  // namespace

QString tableName(int i) {
    return QStringLiteral("T%1").arg(i, 3, 10, QLatin1Char('0'));
}

BenchWorld::BenchWorld() {
    if (!server.started()) fail(QStringLiteral("enginesrv did not start: ") + server.log());
    std::vector<locktest::TableSpec> tables;
    for (int i = 0; i < kTables; ++i) tables.push_back({tableName(i), 1000});
    QString error;
    dictionary = locktest::makeDictionary(dir.path(), QStringLiteral("Bench"), tables, &error);
    if (!error.isEmpty()) fail(error);
    QFile ini(dir.filePath(QStringLiteral("ads.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write(("[Databases]\nBench=" + dictionary + ";A\n").toUtf8());
}

std::vector<std::unique_ptr<locktest::Holder>> startHolders(
    const BenchWorld& world, int perTable, const std::function<QString(int)>& userOf) {
    std::vector<std::unique_ptr<locktest::Holder>> holders;
    const int share = kTables / kHolders;
    for (int h = 0; h < kHolders; ++h) {
        QStringList tables;
        for (int t = h * share; t < (h + 1) * share; ++t) tables << tableName(t);
        holders.push_back(std::make_unique<locktest::Holder>(
            QStringLiteral("lock_search_holder"),
            QStringList{world.server.address(), world.dictionary,
                        QStringLiteral("PC-%1").arg(h, 2, 10, QLatin1Char('0')), userOf(h),
                        QString::number(perTable), tables.join(u',')}));
    }
    for (auto& h : holders) {
        if (!h->waitReady(300000)) fail(QStringLiteral("a lock holder did not take its locks"));
    }
    return holders;
}

}  // namespace lockbench
