// search_calls.cpp: the engine calls of the lock search, function by function, per lock
// collected: the tool's TrouverLocksParTable over tables whose records another connection
// of this process locks, against an engine server inside the process. Shows what each call
// per lock is for, and the processor time of the search (client library and server alike,
// being one process here).
//
// Usage: data_bench_search_calls [locks per table] [report file]; defaults 200 and
//        data_bench.txt (appended to).
#include <sys/resource.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>

#include "bench/data/collection_loop.h"
#include "bench/data/lock_search.h"
#include "data/adstable.h"
#include "engine/core/dictionary.h"
#include "engine/include/engine_client.h"
#include "engine/testing/in_process.h"
#include "locksearch/collection.h"
#include "locksearch/components.h"
#include "locksearch/result_table.h"

namespace {

constexpr int kTables = 5;

QString tableName(int i) {
    return QStringLiteral("T%1").arg(i);
}

double processorSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    const int perTable = argc > 1 ? bench::rowsArgument(argc, argv) : 200;
    if (perTable == 0) return 2;
    const QString file =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("data_bench.txt");
    QTemporaryDir dir;
    const QString dictionary = dir.filePath(QStringLiteral("Bench.add"));
    engine::Dictionary d = engine::Dictionary::empty(dictionary.toStdString());
    d.addUser("adssys", "kor5382", true);
    d.save();
    engine::Server server;
    engine::testing::useInProcessServer(server);
    static ace::FunctionTable linked;  // the client library is linked in
#define BENCH_LINK(name) linked.name = &::name;
    BREVANTIS_ACE_FUNCTIONS(BENCH_LINK)
    BENCH_LINK(EngineGetLayoutId)
    BENCH_LINK(EngineReadRow)
#undef BENCH_LINK
    ace::installTable(&bench::countingTable(linked));

    // Tables of perTable rows, every record locked by a second connection.
    TAdsConnection holder(nullptr);
    bench::connectAsAdmin(holder, dictionary);
    std::vector<std::unique_ptr<TAdsTable>> held;
    for (int t = 0; t < kTables; ++t) {
        QStringList sql{QStringLiteral("CREATE TABLE %1 (Nom CIChar(20));").arg(tableName(t))};
        for (int r = 0; r < perTable; ++r) sql << QStringLiteral("INSERT INTO %1 VALUES ('n');").arg(tableName(t));
        bench::execute(holder, sql);
        auto table = std::make_unique<TAdsTable>(nullptr);
        table->SetAdsConnection(&holder);
        table->SetTableName(tableName(t));
        table->Open();
        for (int r = 1; r <= perTable; ++r) ace::api().AdsLockRecord(table->Handle(), r);
        held.push_back(std::move(table));
    }

    QObject owner;
    locksearch::Components c;
    locksearch::declareComponents(&owner, c);
    c.ManagementConn->SetConnectPath(dictionary);
    c.ManagementConn->LoginPrompt = false;
    c.ManagementConn->Connect();
    locksearch::recreateResultTable(c);
    c.UsersTableLocks->SetIndexName(QStringLiteral("UserName"));
    const locksearch::ChosenDictionary chosen{QStringLiteral("Bench"), dictionary,
                                              dir.path() + QLatin1Char('/')};

    const auto before = bench::engineCallsByFunction();
    const uint64_t calls = bench::engineCalls();
    const double started = processorSeconds();
    for (int t = 0; t < kTables; ++t)
        locksearch::TrouverLocksParTable(c, chosen, tableName(t), nullptr);
    const double seconds = processorSeconds() - started;
    const int locks = c.UsersTableLocks->RecordCount();

    QString report;
    QTextStream out(&report);
    out << "lock search through the layer, " << locks << " locks: "
        << QString::number(double(bench::engineCalls() - calls) / locks, 'f', 1)
        << " engine calls per lock, " << QString::number(1e6 * seconds / locks, 'f', 1)
        << " us of processor time per lock\n";
    std::vector<std::pair<double, QString>> rows;
    for (const auto& [name, n] : bench::engineCallsByFunction()) {
        const double perLock = double(n - (before.count(name) ? before.at(name) : 0)) / locks;
        if (perLock > 0) rows.emplace_back(perLock, name);
    }
    std::sort(rows.rbegin(), rows.rend());
    for (const auto& [perLock, name] : rows)
        out << "  " << QString::number(perLock, 'f', 2) << "  " << name << "\n";
    out.flush();
    std::fputs(report.toUtf8().constData(), stdout);
    QFile report_file(file);
    if (report_file.open(QIODevice::Append | QIODevice::Text)) report_file.write(report.toUtf8());
    engine::testing::stopUsingInProcessServer();
    return 0;
}
