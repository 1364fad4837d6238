// grid_bench.cpp: the lock grid over #UsersTableLocks through enginesrv, with the real grid
// painted offscreen: the collection loop with and without the grid attached, and paging
// through a long result with Page Down.
//
// Usage: grid_bench [rows=10000] [paged rows=100000] [report=grid_bench.txt]
#include <dlfcn.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTest>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>

#include "bench/common/ping_pong.h"
#include "bench/data/collection_loop.h"
#include "data/adstable.h"
#include "engine/include/engine_client.h"
#include "gridlink/grid_link.h"
#include "tests/data/engine_fixture.h"

namespace {

// The text fields the collection writes, with their sizes.
const std::pair<const char*, int> kTextFields[] = {{"DictionaryPath", 100}, {"TableName", 25},
                                                   {"TablePath", 100},      {"UserName", 50},
                                                   {"OsUserLoginName", 50}, {"ApplicationID", 70}};

std::function<uint64_t()> gRoundTrips;

// Microseconds of processor time this process has used: what the grid costs the tool, less
// swayed by the host's load than the time on the clock.
double cpuMicros() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

struct Counters {
    QElapsedTimer clock;
    double cpu = cpuMicros();
    uint64_t calls = bench::engineCalls(), trips = gRoundTrips();
    Counters() { clock.start(); }
};

// Per row (or page) since `c`: microseconds on the clock and of this process's processor
// time, engine calls, round trips.
struct Figures {
    double us = 0, cpu = 0, calls = 0, trips = 0;
    Figures() = default;
    Figures(const Counters& c, int n)
        : us(c.clock.nsecsElapsed() / 1000.0 / n),
          cpu((cpuMicros() - c.cpu) / n),
          calls(double(bench::engineCalls() - c.calls) / n),
          trips(double(gRoundTrips() - c.trips) / n) {}
    QString text(const char* unit) const {
        return QStringLiteral(
                   "%1 us/%5 (%2 us of the tool's processor), %3 engine calls/%5, %4 round "
                   "trips/%5")
            .arg(us, 0, 'f', 1)
            .arg(cpu, 0, 'f', 1)
            .arg(calls, 0, 'f', 1)
            .arg(trips, 0, 'f', 2)
            .arg(QLatin1String(unit));
    }
};

// Fills #UsersTableLocks with `rows` rows in INSERT statements of 500 rows each.
void fill(TAdsConnection& conn, int rows) {
    TAdsQuery insert(nullptr);
    insert.SetAdsConnection(&conn);
    for (int first = 0; first < rows; first += 500) {
        QStringList values;
        for (int i = first; i < std::min(rows, first + 500); ++i)
            values << QStringLiteral(
                          "('Compta', 'Table%1', 'POSTE-%2', 'login%3', 'Compta.exe', %4)")
                          .arg(i % 100)
                          .arg((i * 7919) % 10007)
                          .arg(i % 31)
                          .arg(i + 1);
        insert.SQL().Assign(
            {QStringLiteral("INSERT INTO #UsersTableLocks (DictionaryName, TableName, UserName, "
                            "OsUserLoginName, ApplicationID, LockedRecNo) VALUES"),
             values.join(QStringLiteral(",\n"))});
        insert.ExecSQL();
    }
}

// The main window's lock grid: its connection, result table, data source and, when asked,
// the grid itself (864 x 353, the five columns, the light-blue hook) shown offscreen. The
// table starts with `rows` rows.
class LockGrid {
  public:
    LockGrid(const QString& dictionary, bool withGrid, int rows = 0) {
        e2e::connectAsAdmin(conn_, dictionary);
        TAdsQuery create(nullptr);
        create.SetAdsConnection(&conn_);
        create.SQL().Assign(e2e::kCreateUsersTableLocks);
        create.ExecSQL();
        fill(conn_, rows);
        locks_.SetAdsConnection(&conn_);
        locks_.AdsTableOptions().AdsFilterOptions = TAdsFilterOptions::RESPECT_WHEN_COUNTING;
        locks_.SetTableName(QStringLiteral("#UsersTableLocks"));
        // Declared fields, as the main window's: they outlive every open.
        for (int i = 0; i < 6; ++i) {
            text_[i] = new TStringField(&locks_, kTextFields[i].second);
            text_[i]->SetFieldName(QLatin1String(kTextFields[i].first));
            text_[i]->SetDataSet(&locks_);
        }
        recNo_ = new TIntegerField(&locks_);
        recNo_->SetFieldName(QStringLiteral("LockedRecNo"));
        recNo_->SetDataSet(&locks_);
        table_ = text_[1];
        source_.SetDataSet(&locks_);
        if (withGrid) {
            grid_ = std::make_unique<ui::DataGrid>();
            grid_->resize(864, 353);
            auto* link = new gridlink::GridLink(grid_.get(), &source_);
            link->setColumns({{"UserName", 30, "UserName"},
                              {"OsUserLoginName", 30, "OsUserLoginName"},
                              {"LockedRecNo", 16, "LockedRecNo"},
                              {"TableName", 29, "Table"},
                              {"ApplicationID", 29, "ApplicationID"}});
            link->setCalcCellColors([this](TField*, ui::CellStyle& style) {
                if (recNo_->AsInteger() == currentRecNo_ && table_->AsString() == currentTable_) {
                    style.background = QColor(216, 228, 248);
                    style.foreground = Qt::black;
                }
            });
            QObject::connect(link, &gridlink::GridLink::rowChanged, [this] {
                currentRecNo_ = recNo_->AsInteger();
                currentTable_ = table_->AsString();
            });
            grid_->show();
        }
        locks_.Open();
        locks_.SetIndexName(QStringLiteral("UserName"));
        settle();
    }

    TAdsTable& locks() { return locks_; }
    ui::DataGrid* grid() { return grid_.get(); }

    // One owner row as the collection handles it: looked up, and appended when new.
    void collect(int i) {
        const QByteArray table = "Table" + QByteArray::number(i % 37);
        if (locks_.Locate(QStringLiteral("TableName;LockedRecNo"),
                          QVariantList{QString::fromLatin1(table), i + 1}, 0))
            return;
        const QByteArray values[6] = {"/data/Compta",
                                      table,
                                      "/data/" + table + ".adt",
                                      "POSTE-" + QByteArray::number(i % 13),
                                      "login" + QByteArray::number(i % 7),
                                      "Compta.exe"};
        locks_.Append();
        for (int c = 0; c < 6; ++c) text_[c]->SetAsAnsiString(values[c]);
        recNo_->SetAsInteger(i + 1);
        locks_.Post();
    }

    // Lets the event loop run as a window does between events: the grid's refresh, then the
    // one paint it asks for (a paint request waits behind every other posted event).
    void settle() {
        const double cpu = cpuMicros();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        turnCpu += cpuMicros() - cpu;
        ++turns;
    }
    // The event-loop turns settle() ran, and the processor they took.
    int turns = 0;
    double turnCpu = 0;

  private:
    TAdsConnection conn_{nullptr};
    TAdsTable locks_{nullptr};
    TDataSource source_{nullptr};
    std::unique_ptr<ui::DataGrid> grid_;
    TField* text_[6] = {};
    TField* recNo_ = nullptr;
    TField* table_ = nullptr;
    int currentRecNo_ = 0;
    QString currentTable_;
};

// How the collection runs beside the grid.
enum class Mode { NoGrid, GridPaintedAtTheEnd, Grid, GridEagerWindow };
constexpr Mode kModes[] = {Mode::NoGrid, Mode::GridPaintedAtTheEnd, Mode::Grid,
                           Mode::GridEagerWindow};
const char* modeName(Mode m) {
    switch (m) {
        case Mode::NoGrid:
            return "no grid                           ";
        case Mode::GridPaintedAtTheEnd:
            return "grid, painted at the end only     ";
        case Mode::Grid:
            return "grid, painted every 100 ms        ";
        case Mode::GridEagerWindow:
            return "grid, window re-read at each post ";
    }
    return "";
}

// The collection of `rows` owner rows, then First and the grid painted (its first row
// highlighted). Grid and GridEagerWindow let the event loop run every 100 ms, as a progress
// display would make it; GridEagerWindow also fills the record window after each post, as
// every resync of the framework did before its window became lazy.
Figures collection(const QString& dictionary, int rows, Mode mode, std::pair<int, double>& turns) {
    LockGrid g(dictionary, mode != Mode::NoGrid);
    g.turns = 0;
    g.turnCpu = 0;
    Counters c;
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    for (int i = 0; i < rows; ++i) {
        g.collect(i);
        if (mode == Mode::GridEagerWindow) g.locks().FillWindow();
        if ((mode == Mode::Grid || mode == Mode::GridEagerWindow) && sinceEvents.elapsed() >= 100) {
            g.settle();
            sinceEvents.restart();
        }
    }
    g.locks().First();
    g.settle();
    Figures f(c, rows);
    turns.first += g.turns;
    turns.second += g.turnCpu;
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int rows = bench::rowsArgument(std::min(argc, 2), argv);
    const int paged = argc > 2 ? bench::rowsArgument(2, argv + 1) : 100000;
    if (rows == 0 || paged == 0) return 2;
    const QString file =
        argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("grid_bench.txt");

    e2e::Engine engine;
    if (!engine.start()) {
        std::fprintf(stderr, "%s\n", engine.error().c_str());
        return 1;
    }
    ace::installTable(&bench::countingTable(ace::api()));
    void* lib = dlopen(ace::libraryPath().toLocal8Bit().constData(), RTLD_NOW | RTLD_NOLOAD);
    auto getTrips =
        reinterpret_cast<decltype(&EngineGetRoundTrips)>(dlsym(lib, "EngineGetRoundTrips"));
    gRoundTrips = [getTrips] {
        UNSIGNED32 n = 0;
        if (getTrips) getTrips(&n);
        return uint64_t{n};
    };

    QString report;
    QTextStream out(&report);
    out << "grid_bench: bare 64-byte ping-pong between two processes: "
        << QString::number(bench::pingPongMicros(20000), 'f', 1) << " us per round trip\n";

    // The modes in turn, five times, so that the host's drift shows beside the differences.
    out << "collection of " << rows << " rows, then First and the grid painted:\n";
    std::vector<Figures> runs[std::size(kModes)];
    std::pair<int, double> turns[std::size(kModes)] = {};
    for (int pass = 0; pass < 5; ++pass)
        for (Mode m : kModes) {
            runs[int(m)].push_back(collection(engine.dictionary, rows, m, turns[int(m)]));
            out << "  " << modeName(m) << ": " << runs[int(m)].back().text("row") << "\n";
        }
    // The median of each figure on its own.
    auto median = [](const std::vector<Figures>& v) {
        auto mid = [&](double Figures::*f) {
            std::vector<double> x;
            for (const Figures& r : v) x.push_back(r.*f);
            std::sort(x.begin(), x.end());
            return x[x.size() / 2];
        };
        Figures m;
        m.us = mid(&Figures::us);
        m.cpu = mid(&Figures::cpu);
        m.calls = mid(&Figures::calls);
        m.trips = mid(&Figures::trips);
        return m;
    };
    Figures medians[std::size(kModes)];
    out << "  medians:\n";
    for (Mode m : kModes) {
        medians[int(m)] = median(runs[int(m)]);
        out << "    " << modeName(m) << ": " << medians[int(m)].text("row") << "\n";
    }
    const Figures& bare = medians[int(Mode::NoGrid)];
    const Figures& grid = medians[int(Mode::Grid)];
    auto share = [&](const Figures& with, double Figures::*f) {
        return QString::number(100.0 * (with.*f - bare.*f) / (with.*f), 'f', 1) +
               QStringLiteral(" %");
    };
    const auto& [turnCount, turnCpu] = turns[int(Mode::Grid)];
    out << "  " << modeName(Mode::Grid) << ": " << turnCount << " event-loop turns in 5 runs, "
        << QString::number(turnCpu / turnCount, 'f', 0)
        << " us of the tool's processor each (the grid's refresh and paint)\n";
    out << "  the grid's share of the time, and of the tool's processor:\n";
    for (Mode m : {Mode::GridPaintedAtTheEnd, Mode::Grid, Mode::GridEagerWindow})
        out << "    " << modeName(m) << ": " << share(medians[int(m)], &Figures::us) << ", "
            << share(medians[int(m)], &Figures::cpu) << "\n";

    // Paging: the whole result, one Page Down and one paint at a time.
    double msPerPage = 0;
    int pages = 0;
    Figures perPage;
    {
        QElapsedTimer build;
        build.start();
        LockGrid g(engine.dictionary, true, paged);
        out << "paging: " << paged << " rows inserted in "
            << QString::number(build.elapsed() / 1000.0, 'f', 1) << " s; "
            << g.grid()->visibleRowCount() << " rows a page\n";
        Counters c;
        while (!g.locks().Eof()) {
            QTest::keyClick(g.grid(), Qt::Key_PageDown);
            g.grid()->viewport()->repaint();
            ++pages;
        }
        perPage = Figures(c, pages);
        msPerPage = perPage.us / 1000.0;
        out << "  " << pages << " pages: " << perPage.text("page")
            << "; the grid's current row shows record "
            << g.grid()->model()->index(g.grid()->currentRow(), 2).data().toString() << " of user "
            << g.grid()->model()->index(g.grid()->currentRow(), 0).data().toString() << "\n";
        // The long moves: to the first row, the thumb dropped in the middle, to the last row.
        const std::pair<const char*, std::function<void()>> jumps[] = {
            {"Ctrl+Home", [&] { QTest::keyClick(g.grid(), Qt::Key_Home, Qt::ControlModifier); }},
            {"thumb dropped in the middle",
             [&] {
                 QScrollBar* bar = g.grid()->verticalScrollBar();
                 bar->setSliderDown(true);
                 bar->setSliderPosition(bar->maximum() / 2);
                 bar->setSliderDown(false);
             }},
            {"Ctrl+End", [&] { QTest::keyClick(g.grid(), Qt::Key_End, Qt::ControlModifier); }},
        };
        for (const auto& [what, jump] : jumps) {
            Counters j;
            jump();
            g.grid()->viewport()->repaint();
            out << "  " << what << ": " << Figures(j, 1).text("move") << "; on record "
                << g.grid()->model()->index(g.grid()->currentRow(), 2).data().toString() << "\n";
        }
    }
    out << "grid bench: " << rows << " rows collected, " << QString::number(grid.trips, 'f', 2)
        << " round trips/row with the grid (" << QString::number(bare.trips, 'f', 2)
        << " without), " << QString::number(grid.calls, 'f', 1) << " engine calls/row ("
        << QString::number(bare.calls, 'f', 1) << "), the grid's refresh and paint "
        << QString::number(turnCpu / turnCount, 'f', 0) << " us of processor per event-loop turn ("
        << share(grid, &Figures::cpu) << " of the tool's processor with a turn every 100 ms); "
        << paged << " rows paged, " << QString::number(msPerPage, 'f', 3) << " ms/page\n";
    out.flush();
    QFile f(file);
    if (f.open(QIODevice::Append | QIODevice::Text)) f.write(report.toUtf8());
    std::fputs(report.toUtf8().constData(), stdout);
    return 0;
}
