// monitor_bench.cpp: what a refresh of the lock monitor costs. At 10,000 locks, the processor
// time of one refresh, in the tool and in the server; at 100,000 locks, the longest wait of
// the window's event loop while a refresh runs, and the tool's resident memory. enginesrv
// and the lock holders run as processes of their own.
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QSettings>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "bench/lock_search/bench_world.h"
#include "dictionary/exe_folder.h"
#include "monitor/lock_monitor.h"
#include "monitor/lock_text.h"
#include "monitor/window/TFSurveillanceLocks.h"
#include "monitor/window/lock_table_model.h"
#include "tests/app/lock_world.h"
#include "ui/messages.h"

namespace {

using lockbench::kTables;
constexpr int kRuns = 5;

double selfCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The processor time of this process's child enginesrv, found by its parent and name.
double serverCpuSeconds() {
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly)) continue;
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        if (close < 0 || !line.mid(0, close).contains("(enginesrv")) continue;
        const QList<QByteArray> f = line.mid(close + 2).split(' ');
        // After the name: state ppid ... utime (12th) stime (13th), counted from 0 at state.
        if (f.size() < 13 || f[1].toLong() != getpid()) continue;
        return (f[11].toDouble() + f[12].toDouble()) / sysconf(_SC_CLK_TCK);
    }
    return 0;
}

double megabytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').at(0).toDouble() / 1024;
    return 0;
}

void resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

QString user(int h) {
    return QStringLiteral("user%1").arg(h, 2, 10, QLatin1Char('0'));
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The longest gap between two ticks of a 5 ms timer, and the processor time the event
// loop's thread spent in the longest of them: on a loaded machine a gap may be mostly
// waiting for a core, not work.
struct Stall {
    double waitMs = 0;
    double busyMs = 0;
    QString text() const {
        return QStringLiteral("%1 ms, busy %2 ms").arg(waitMs, 0, 'f', 1).arg(busyMs, 0, 'f', 1);
    }
};

// One window refresh and its longest stall.
Stall windowRefresh(monitor::TFSurveillanceLocks& w, double& seconds) {
    QElapsedTimer clock, sinceTick;
    Stall longest;
    double cpuAtTick = threadCpuMs();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const double wait = sinceTick.nsecsElapsed() / 1e6, cpu = threadCpuMs();
        if (wait > longest.waitMs) longest = {wait, cpu - cpuAtTick};
        sinceTick.restart();
        cpuAtTick = cpu;
    });
    const auto* before = w.ModeleLocks->snapshot();
    clock.start();
    sinceTick.start();
    tick.start(5);
    while (!w.ActualiserMaintenant()) QTest::qWait(5);
    while (w.ModeleLocks->snapshot() == before)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    // Let the view lay out and paint what came.
    QTest::qWait(50);
    tick.stop();
    seconds = clock.nsecsElapsed() / 1e9;
    return longest;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QString reportFile =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("monitor_bench.txt");
    QString report;
    auto say = [&report](const QString& line) {
        report += line + u'\n';
        std::printf("%s\n", qPrintable(line));
        std::fflush(stdout);
    };
    ui::MessageRecorder messages;

    const lockbench::BenchWorld world;
    const QString& dictionary = world.dictionary;
    dictionary::ExecutableFolderOverride folder(world.dir.path() + QStringLiteral("/"));
    QFile load(QStringLiteral("/proc/loadavg"));
    load.open(QIODevice::ReadOnly);
    say(QStringLiteral("lock monitor benchmark, %1, load average %2")
            .arg(QDateTime::currentDateTime().toString(Qt::ISODate),
                 QString::fromLatin1(load.readAll().split(' ').mid(0, 3).join(' '))));

    // 10,000 locks: one refresh's processor time, tool and server.
    auto holders = lockbench::startHolders(world, 10000 / kTables, user);
    monitor::LockMonitor lockMonitor({QStringLiteral("adssys"), QStringLiteral("kor5382")});
    lockMonitor.setDictionaries({{QStringLiteral("Bench"), dictionary}});
    lockMonitor.refresh();  // warm-up: connects
    std::vector<double> walls, tools, servers, totals;
    for (int i = 0; i < kRuns; ++i) {
        const double tool0 = selfCpuSeconds(), server0 = serverCpuSeconds();
        QElapsedTimer clock;
        clock.start();
        const auto snapshot = lockMonitor.refresh();
        walls.push_back(clock.nsecsElapsed() / 1e9);
        tools.push_back(selfCpuSeconds() - tool0);
        servers.push_back(serverCpuSeconds() - server0);
        totals.push_back(tools.back() + servers.back());
        say(QStringLiteral("10000 locks run %1: %2 locks, %3 s, processor tool %4 s + server %5 s")
                .arg(i + 1)
                .arg(snapshot->current)
                .arg(walls.back(), 0, 'f', 3)
                .arg(tools.back(), 0, 'f', 3)
                .arg(servers.back(), 0, 'f', 3));
    }

    // 100,000 locks in the window.
    holders.clear();
    holders = lockbench::startHolders(world, 100000 / kTables, user);
    // The window records every refresh in a history of the bench's own, or, to tell the
    // history's share apart, in one that cannot be opened.
    const bool withoutHistory = qEnvironmentVariableIsSet("BENCH_WITHOUT_HISTORY");
    const QString settings = world.dir.filePath(QStringLiteral("reglages.ini"));
    QSettings(settings, QSettings::IniFormat)
        .setValue(QStringLiteral("Historique/Emplacement"),
                  withoutHistory ? QStringLiteral("/proc/0/historique.sqlite")
                                 : world.dir.filePath(QStringLiteral("historique.sqlite")));
    resetPeak();
    const double before = megabytes("VmRSS:");
    monitor::TFSurveillanceLocks w(nullptr, settings);
    w.show();
    double firstSeconds = 0, secondSeconds = 0, sortedSeconds = 0, filteredSeconds = 0;
    windowRefresh(w, firstSeconds);  // the one the constructor started may be running
    const Stall stallFirst = windowRefresh(w, firstSeconds);
    QElapsedTimer clickClock;
    clickClock.start();
    w.GrilleLocks->sortByColumn(monitor::kUser, Qt::AscendingOrder);
    const double clickMs = clickClock.nsecsElapsed() / 1e6;
    const Stall stallSecond = windowRefresh(w, secondSeconds);
    w.GrilleLocks->sortByColumn(monitor::kDuration, Qt::DescendingOrder);
    const Stall stallSorted = windowRefresh(w, sortedSeconds);
    // Half the holders' users match.
    w.EditFiltre->setText(QStringLiteral("USER1"));
    w.GrilleLocks->sortByColumn(monitor::kApplication, Qt::DescendingOrder);
    const Stall stallFiltered = windowRefresh(w, filteredSeconds);
    const int rows = w.ModeleLocks->rowCount();
    say(QStringLiteral("100000 locks in the window%1: %2 rows; refresh %3 s (longest stall %4), "
                       "sorted by user %5 s (%6), by duration %7 s (%8), filtered and sorted "
                       "by application %9 s (%10); a click sorting by user %11 ms")
            .arg(withoutHistory ? QStringLiteral(" without history") : QString())
            .arg(rows)
            .arg(firstSeconds, 0, 'f', 2)
            .arg(stallFirst.text())
            .arg(secondSeconds, 0, 'f', 2)
            .arg(stallSecond.text())
            .arg(sortedSeconds, 0, 'f', 2)
            .arg(stallSorted.text())
            .arg(filteredSeconds, 0, 'f', 2)
            .arg(stallFiltered.text())
            .arg(clickMs, 0, 'f', 1));
    const struct mallinfo2 heap = mallinfo2();
    say(QStringLiteral("memory %1 MB resident, %2 MB peak, %3 MB before the window, %4 MB "
                       "allocated after the refreshes")
            .arg(megabytes("VmRSS:"), 0, 'f', 0)
            .arg(megabytes("VmHWM:"), 0, 'f', 0)
            .arg(before, 0, 'f', 0)
            .arg((heap.uordblks + heap.hblkhd) / 1048576.0, 0, 'f', 0));
    say(QStringLiteral("lock monitor: 10000 locks, median %1 s, processor %2 s (tool %3 + server "
                       "%4); 100000 locks: longest stall %5 ms, peak %6 MB")
            .arg(median(walls), 0, 'f', 3)
            .arg(median(totals), 0, 'f', 3)
            .arg(median(tools), 0, 'f', 3)
            .arg(median(servers), 0, 'f', 3)
            .arg(std::max({stallFirst.waitMs, stallSecond.waitMs, stallSorted.waitMs,
                           stallFiltered.waitMs}),
                 0, 'f', 1)
            .arg(megabytes("VmHWM:"), 0, 'f', 0));
    QFile out(reportFile);
    if (out.open(QIODevice::WriteOnly)) out.write(report.toUtf8());
    return 0;
}
