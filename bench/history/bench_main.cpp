// Lock history benchmark: recording a refresh of 10,000 locks, and a history of 1,000,000
// episodes over 30 days: opening the store, the view's 7-day query, the 30-day chart, and the
// file's bytes per episode. Figures go to a file (default history_bench.txt); nothing is
// asserted.
#include "chart_buckets.h"
#include "episode_query.h"
#include "episode_store.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>

using namespace history;

namespace {

constexpr int kLocks = 10'000;
constexpr int kEpisodes = 1'000'000;
constexpr int kRuns = 7;

Refresh refreshOf(const QDateTime& at, int firstRecord) {
  Refresh refresh;
  refresh.at = at;
  refresh.interval = std::chrono::seconds(5);
  refresh.dictionaries = {QStringLiteral("/srv/donnees/compta/compta.add")};
  for (int i = 0; i < kLocks; ++i) {
    const qint64 record = firstRecord + i;
    refresh.observations.push_back(
        {refresh.dictionaries[0], QStringLiteral("ECRITURES%1").arg(i % 20), record,
         QStringLiteral("Bc4dEf0000AB%1").arg(record, 6, 10, QLatin1Char('0')),
         QStringLiteral("POSTE-COMPTA-%1").arg(i % 50), QStringLiteral("utilisateur%1").arg(i % 50),
         QStringLiteral("Gestion%1.exe").arg(i % 10), QStringLiteral("Record")});
  }
  return refresh;
}

// Writes episodes straight into the table: random holds of up to an hour over 30 days.
void fillHistory(EpisodeStore& store, const QDateTime& now) {
  QSqlDatabase db = store.database();
  QSqlQuery(db).exec(QStringLiteral("BEGIN"));
  constexpr int kRows = 200;
  QStringList tuples;
  for (int i = 0; i < kRows; ++i) tuples << QStringLiteral("(?,?,?,?,?,?,?,?,?,?,0,0)");
  QSqlQuery insert(db);
  insert.prepare(QStringLiteral("INSERT INTO lock_episodes (dictionary, table_name, record_no, row_id, "
                                "user_name, os_login, application, lock_type, first_seen, last_seen, "
                                "is_open, since_at_least) VALUES ") + tuples.join(','));
  QRandomGenerator random(25);
  const qint64 end = now.toMSecsSinceEpoch();
  const qint64 start = end - 30LL * 86'400'000;
  for (int i = 0; i < kEpisodes; i += kRows) {
    for (int r = 0; r < kRows; ++r) {
      const int n = i + r;
      const qint64 first = start + static_cast<qint64>(random.bounded(30.0 * 86'400'000));
      const qint64 held = static_cast<qint64>(random.bounded(5)) == 0 ? random.bounded(3'600'000) : random.bounded(60'000);
      insert.addBindValue(QStringLiteral("/srv/donnees/compta%1/compta.add").arg(n % 3));
      insert.addBindValue(QStringLiteral("ECRITURES%1").arg(n % 20));
      insert.addBindValue(qint64(n % 50'000));
      insert.addBindValue(QStringLiteral("Bc4dEf0000AB%1").arg(n % 50'000, 6, 10, QLatin1Char('0')));
      insert.addBindValue(QStringLiteral("POSTE-COMPTA-%1").arg(n % 50));
      insert.addBindValue(QStringLiteral("utilisateur%1").arg(n % 50));
      insert.addBindValue(QStringLiteral("Gestion%1.exe").arg(n % 10));
      insert.addBindValue(QStringLiteral("Record"));
      insert.addBindValue(first);
      insert.addBindValue(std::min(end, first + held));
    }
    insert.exec();
  }
  QSqlQuery(db).exec(QStringLiteral("COMMIT"));
  QSqlQuery(db).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

struct Figures {
  std::vector<double> ms;
  void add(double value) { ms.push_back(value); }
  double median() {
    std::sort(ms.begin(), ms.end());
    return ms.empty() ? 0 : ms[ms.size() / 2];
  }
  double max() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
};

template <typename F>
double timeMs(F&& f) {
  QElapsedTimer timer;
  timer.start();
  f();
  return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QString reportFile = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("history_bench.txt");
  QTemporaryDir dir;
  Location location;
  location.filePath = dir.filePath(QStringLiteral("historique.sqlite"));
  QString report;
  QTextStream out(&report);
  QTextStream err(stderr);
  const QDateTime now = QDateTime::currentDateTimeUtc();

  Figures firstRefresh, steadyRefresh, turnover, openStore, view, chartTotal, chartUsers;
  qint64 bytes = 0;
  {
    EpisodeStore store([&](const QString& m) { err << m << '\n'; });
    store.open(location, now);
    // A new set of 10,000 locks (all new episodes), then the same set again (all continuing),
    // then a full turnover (10,000 closed, 10,000 new).
    for (int run = 0; run < kRuns; ++run) {
      const QDateTime at = now.addSecs(-3600 + run * 15);
      firstRefresh.add(timeMs([&] { store.record(refreshOf(at, run * 3 * kLocks)); }));
      steadyRefresh.add(timeMs([&] { store.record(refreshOf(at.addSecs(5), run * 3 * kLocks)); }));
      turnover.add(timeMs([&] { store.record(refreshOf(at.addSecs(10), (run * 3 + 1) * kLocks)); }));
    }
    store.clear();
    err << "filling " << kEpisodes << " episodes…\n" << Qt::flush;
    fillHistory(store, now);
    bytes = store.sizeBytes().value_or(0);
  }
  for (int run = 0; run < kRuns; ++run) {
    EpisodeStore store;
    openStore.add(timeMs([&] { store.open(location, now); }));
    const TimeRange week{now.addDays(-7), now};
    view.add(timeMs([&] { queryEpisodes(store.database(), {week, {}, 1000}, nullptr); }));
    const BucketPlan plan = planBuckets({now.addDays(-30), now});
    chartTotal.add(timeMs([&] { chartSeries(store.database(), true, plan, {}, StackBy::Total, nullptr); }));
    chartUsers.add(timeMs([&] { chartSeries(store.database(), true, plan, {}, StackBy::User, nullptr); }));
  }
  Figures steadyOnFull;
  {
    EpisodeStore store;
    store.open(location, now);
    for (int run = 0; run < kRuns; ++run)
      steadyOnFull.add(timeMs([&] { store.record(refreshOf(now.addSecs(run * 5), 900'000)); }));
  }

  QFile load(QStringLiteral("/proc/loadavg"));
  load.open(QIODevice::ReadOnly);
  out << "load average: " << load.readAll().trimmed() << "\n";
  auto line = [&](const char* what, Figures& f) {
    out << QStringLiteral("%1: median %2 ms, max %3 ms\n").arg(QLatin1String(what)).arg(f.median(), 0, 'f', 1).arg(f.max(), 0, 'f', 1);
  };
  line("record 10000 new locks", firstRefresh);
  line("record 10000 continuing locks", steadyRefresh);
  line("record 10000 released + 10000 new", turnover);
  line("record 10000 locks on 1M episodes", steadyOnFull);
  line("open 1M-episode store (with quick_check)", openStore);
  line("view query, last 7 days, first 1000", view);
  line("chart, 30 days, total", chartTotal);
  line("chart, 30 days, by user", chartUsers);
  out << QStringLiteral("file: %1 bytes for %2 episodes, %3 bytes/episode\n")
             .arg(bytes).arg(kEpisodes).arg(double(bytes) / kEpisodes, 0, 'f', 1);
  out.flush();
  QFile file(reportFile);
  file.open(QIODevice::WriteOnly | QIODevice::Text);
  file.write(report.toUtf8());
  QTextStream(stdout) << report;
  return 0;
}
