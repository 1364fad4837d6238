// bench_main.cpp: the whole lock search through enginesrv, from the click on "Chercher des
// locks / Rafraîchir" to the grid painted with its first row highlighted, in the real main
// window offscreen, and the same calls without the window; lock holders are processes of
// their own. Then 100,000 locks: the search, the peak memory and paging through the grid.
// Between our searches, pair by pair, the same locks are found in a private PostgreSQL
// cluster (peer.sh) by one query, for the ratio of the two.
//
// Usage: lock_search_bench [report file]   (default lock_search_bench.txt, appended to)
#include <dlfcn.h>
#include <sys/resource.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <cstdio>

#include "app/UFPrinciapl.h"
#include "app/lock_grid.h"
#include "app/windowless_search.h"
#include "bench/common/ping_pong.h"
#include "bench/lock_search/bench_world.h"
#include "bench/lock_search/peer.h"
#include "data/ace.h"
#include "data/adstable.h"
#include "dictionary/exe_folder.h"
#include "engine/include/engine_client.h"
#include "tests/app/lock_world.h"
#include "ui/data_grid.h"
#include "ui/messages.h"
#include "ui/radio_group.h"

namespace {

using lockbench::kHolders;
using lockbench::kTables;
constexpr int kPairs = 7;     // window and engine-only runs, taken in turn after a warm-up pair
constexpr int kBigPairs = 3;  // peer query and window search at 100,000 locks

// One of the client library's counters (EngineGetRoundTrips, EngineGetCalls); 0 without it.
uint64_t libraryCounter(const char* name) {
    using Getter = decltype(&EngineGetRoundTrips);
    auto get = reinterpret_cast<Getter>(
        dlsym(dlopen(ace::libraryPath().toLocal8Bit().constData(), RTLD_NOW | RTLD_NOLOAD), name));
    UNSIGNED32 n = 0;
    if (get) get(&n);
    return n;
}
uint64_t roundTrips() {
    return libraryCounter("EngineGetRoundTrips");
}
uint64_t engineCalls() {
    return libraryCounter("EngineGetCalls");
}

// The process's peak resident memory in MB since the last resetPeak().
double peakMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').at(0).toDouble() / 1024;
    return 0;
}
void resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

// Holder h's user: user20 for PC-00 down to user01, so that the order by user is not the
// order of the workstations.
QString reversedUser(int h) {
    return QStringLiteral("user%1").arg(kHolders - h, 2, 10, QLatin1Char('0'));
}

// Gives the identification window its password whenever it comes up.
void passTheGate(QObject* context) {
    auto* timer = new QTimer(context);
    QObject::connect(timer, &QTimer::timeout, timer, [] {
        auto* gate = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!gate || gate->objectName() != QStringLiteral("FMotDePasse") || !gate->isVisible())
            return;
        auto* edit = gate->findChild<QLineEdit*>(QStringLiteral("EditMotPasse"));
        if (!edit || !edit->text().isEmpty()) return;
        QTest::keyClicks(edit, QStringLiteral("qv73"));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    timer->start(5);
}

struct Run {
    double seconds;
    uint64_t trips;
    double cpu;      // seconds of this process's processor time (user and system)
    uint64_t calls;  // calls into the client library
};

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The search in the window: the click, then the grid's refresh and painting.
Run windowSearch(TFPrincipal& w) {
    const uint64_t trips = roundTrips(), calls = engineCalls();
    const double cpu = cpuSeconds();
    QElapsedTimer t;
    t.start();
    w.BtnChercherLocksParDictionnaire->click();
    QCoreApplication::processEvents();
    w.wwDBGrid1->viewport()->repaint();
    return {t.nsecsElapsed() / 1e9, roundTrips() - trips, cpuSeconds() - cpu,
            engineCalls() - calls};
}

// The same click on controls no window shows, with no grid and no progress display.
Run engineOnlySearch(app::WindowlessSearch& s) {
    const uint64_t trips = roundTrips(), calls = engineCalls();
    const double cpu = cpuSeconds();
    QElapsedTimer t;
    t.start();
    s.BtnChercherLocksParDictionnaire->click();
    return {t.nsecsElapsed() / 1e9, roundTrips() - trips, cpuSeconds() - cpu,
            engineCalls() - calls};
}

// Fails loudly unless the search found `locks` rows and the grid paints its first row light blue.
void check(TFPrincipal& w, int locks) {
    const int found = w.UsersTableLocks->Active() ? w.UsersTableLocks->RecordCount() : 0;
    const QImage image = w.wwDBGrid1->viewport()->grab().toImage();
    const QColor first =
        image.pixelColor(w.wwDBGrid1->columnViewportPosition(1) + w.wwDBGrid1->columnWidth(1) - 6,
                         w.wwDBGrid1->rowHeight(0) / 2);
    if (found != locks || first != app::kHighlight) {
        std::fprintf(stderr, "the search found %d rows of %d, first row painted %s\n", found, locks,
                     qPrintable(first.name()));
        std::exit(1);
    }
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// "median (min–max)" of pair-by-pair ratios.
QString ratioSpread(const std::vector<double>& ratios) {
    const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
    return QStringLiteral("%1 (%2–%3)")
        .arg(median(ratios), 0, 'f', 2)
        .arg(*low, 0, 'f', 2)
        .arg(*high, 0, 'f', 2);
}

// The peer's query once, checked to find `locks` rows; its seconds.
double peerSearch(lockbench::Peer& peer, int locks) {
    double seconds = 0;
    const long found = peer.locksQuery(&seconds);
    if (found != locks) {
        std::fprintf(stderr, "the peer found %ld locks of %d: %s\n", found, locks,
                     peer.error().c_str());
        std::exit(1);
    }
    return seconds;
}

void holdPeerLocks(lockbench::Peer& peer, int perTable) {
    if (!peer.hold(kHolders, perTable)) {
        std::fprintf(stderr, "the peer's holders did not take their locks: %s\n",
                     peer.error().c_str());
        std::exit(1);
    }
}

// Presses Page Down in the grid until the last row is current; returns pages and seconds.
std::pair<int, double> pageThrough(TFPrincipal& w) {
    w.wwDBGrid1->setFocus();
    QElapsedTimer t;
    t.start();
    int pages = 0;
    while (!w.UsersTableLocks->Eof()) {
        QTest::keyClick(w.wwDBGrid1, Qt::Key_PageDown);
        QCoreApplication::processEvents();
        w.wwDBGrid1->viewport()->repaint();
        ++pages;
    }
    return {pages, t.nsecsElapsed() / 1e9};
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    const QString reportFile =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("lock_search_bench.txt");
    QString report;
    auto say = [&report](const QString& line) {
        report += line + u'\n';
        std::printf("%s\n", qPrintable(line));
        std::fflush(stdout);
    };
    ui::MessageRecorder messages;  // no modal box may stop the run

    const lockbench::BenchWorld world;
    const QString& dictionary = world.dictionary;
    dictionary::ExecutableFolderOverride folder(world.dir.path());

    say(QStringLiteral("lock search benchmark, %1")
            .arg(QDateTime::currentDateTime().toString(Qt::ISODate)));
    const double ping = bench::pingPongMicros(20000);
    QFile load(QStringLiteral("/proc/loadavg"));
    load.open(QIODevice::ReadOnly);
    say(QStringLiteral(
            "machine: bare 64-byte ping-pong between two processes: %1 us; load average %2")
            .arg(ping, 0, 'f', 1)
            .arg(QString::fromLatin1(load.readAll().split(' ').mid(0, 3).join(' '))));

    lockbench::Peer peer(BREVANTIS_PEER_SCRIPT, kTables, 1000);
    if (!peer.started()) {
        std::fprintf(stderr, "%s\n", peer.error().c_str());
        return 1;
    }
    holdPeerLocks(peer, 10000 / kTables);
    auto holders = lockbench::startHolders(world, 10000 / kTables, reversedUser);
    passTheGate(&application);
    TFPrincipal w;
    w.show();
    w.RGPaths->setItemIndex(0);
    auto headless = std::make_unique<app::WindowlessSearch>();
    headless->addAlias(QStringLiteral("Bench"), dictionary + QStringLiteral(";A"));
    headless->progressDelayMs = INT_MAX;
    headless->RGPaths->setItemIndex(0);

    engineOnlySearch(*headless);  // warm-up: the first statements, fonts, the first paint
    windowSearch(w);
    peerSearch(peer, 10000);
    std::vector<double> windowSeconds, engineSeconds, shares, windowCpu, engineCpu, peerRatios;
    uint64_t windowTrips = 0, engineTrips = 0, windowCalls = 0;
    for (int i = 0; i < kPairs; ++i) {
        const Run e = engineOnlySearch(*headless);
        const double p = peerSearch(peer, 10000);
        const Run r = windowSearch(w);
        check(w, 10000);
        peerRatios.push_back(r.seconds / p);
        windowCalls += r.calls;
        engineSeconds.push_back(e.seconds);
        windowSeconds.push_back(r.seconds);
        shares.push_back(100 * (r.seconds - e.seconds) / r.seconds);
        engineCpu.push_back(e.cpu);
        windowCpu.push_back(r.cpu);
        engineTrips += e.trips;
        windowTrips += r.trips;
        say(QStringLiteral("10000 locks, pair %1: window %2 s (%3 round trips, %4 s processor, "
                           "%8 calls), engine only %5 s (%6 round trips, %7 s processor), "
                           "peer %9 s")
                .arg(i + 1)
                .arg(r.seconds, 0, 'f', 3)
                .arg(r.trips)
                .arg(r.cpu, 0, 'f', 3)
                .arg(e.seconds, 0, 'f', 3)
                .arg(e.trips)
                .arg(e.cpu, 0, 'f', 3)
                .arg(r.calls)
                .arg(p, 0, 'f', 3));
    }
    const double seconds = median(windowSeconds), engineOnly = median(engineSeconds);
    const double tripsPerLock = double(windowTrips) / kPairs / 10000;
    const double share = median(shares);
    say(QStringLiteral(
            "10000 locks, medians of %1 pairs: window %2 s, engine only %3 s, window share %4 % "
            "(processor time of the tool: window %5 s, engine only %6 s); round trips per lock "
            "%7 (engine only %8)")
            .arg(kPairs)
            .arg(seconds, 0, 'f', 3)
            .arg(engineOnly, 0, 'f', 3)
            .arg(share, 0, 'f', 1)
            .arg(median(windowCpu), 0, 'f', 3)
            .arg(median(engineCpu), 0, 'f', 3)
            .arg(tripsPerLock, 0, 'f', 2)
            .arg(double(engineTrips) / kPairs / 10000, 0, 'f', 2));
    const double callsPerLock = double(windowCalls) / kPairs / 10000;
    say(QStringLiteral("10000 locks: window ÷ peer %1 pair by pair (median, min–max); "
                       "%2 engine calls per lock")
            .arg(ratioSpread(peerRatios))
            .arg(callsPerLock, 0, 'f', 1));
    headless.reset();

    holders.clear();  // their locks go with them
    holders = lockbench::startHolders(world, 100000 / kTables, reversedUser);
    holdPeerLocks(peer, 100000 / kTables);
    w.RGPaths->setItemIndex(-1);
    w.RGPaths->setItemIndex(0);  // a fresh connection: the 10,000 rows are gone
    QCoreApplication::processEvents();
    resetPeak();
    std::vector<double> bigSeconds, bigRatios;
    double bigTrips = 0, peak = 0, msPerPage = 0;
    int pages = 0;
    for (int i = 0; i < kBigPairs; ++i) {
        const double p = peerSearch(peer, 100000);
        const Run big = windowSearch(w);
        check(w, 100000);
        bigSeconds.push_back(big.seconds);
        bigRatios.push_back(big.seconds / p);
        bigTrips += double(big.trips) / 100000 / kBigPairs;
        say(QStringLiteral("100000 locks, pair %1: window %2 s, peer %3 s")
                .arg(i + 1)
                .arg(big.seconds, 0, 'f', 2)
                .arg(p, 0, 'f', 3));
        if (i > 0) continue;
        // Memory and paging after the first search alone.
        const auto [pagesDone, pagingSeconds] = pageThrough(w);
        peak = peakMegabytes();
        pages = pagesDone;
        msPerPage = 1000 * pagingSeconds / std::max(pages, 1);
    }
    const double bigMedian = median(bigSeconds);
    say(QStringLiteral("100000 locks: search %1 s (median of %6, %2 round trips per lock), "
                       "peak memory %3 MB, Page Down through %4 pages: %5 ms per page; "
                       "window ÷ peer %7")
            .arg(bigMedian, 0, 'f', 2)
            .arg(bigTrips, 0, 'f', 2)
            .arg(peak, 0, 'f', 0)
            .arg(pages)
            .arg(msPerPage, 0, 'f', 2)
            .arg(kBigPairs)
            .arg(ratioSpread(bigRatios)));
    if (!messages.messages().empty())
        say(QStringLiteral("message shown: ") + messages.messages().front().text);
    say(QStringLiteral("lock search: 10000 locks, %1 s, %2 round trips/lock, window share %3 %, "
                       "100000 locks: %4 s, %5 MB peak, %6 ms/page, %7 calls/lock, "
                       "peer 10000: %8×, peer 100000: %9×")
            .arg(seconds, 0, 'f', 2)
            .arg(tripsPerLock, 0, 'f', 2)
            .arg(share, 0, 'f', 1)
            .arg(bigMedian, 0, 'f', 1)
            .arg(peak, 0, 'f', 0)
            .arg(msPerPage, 0, 'f', 2)
            .arg(callsPerLock, 0, 'f', 1)
            .arg(median(peerRatios), 0, 'f', 1)
            .arg(median(bigRatios), 0, 'f', 1));

    QFile out(reportFile);
    if (out.open(QIODevice::Append | QIODevice::Text)) out.write(report.toUtf8());
    return 0;
}
