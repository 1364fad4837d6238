// Lock history benchmark: recording a refresh of 10,000 locks, and a history of 1,000,000
// episodes over 30 days: opening the store, the view's 7-day query, the 30-day chart, and the
// file's bytes per episode. Figures go to a file (default history_bench.txt); nothing is
// asserted. `--record-only` skips the million-episode history, for quick pairs of runs.
#include "chart_buckets.h"
#include "episode_query.h"
#include "episode_store.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <ctime>

using namespace history;

namespace {

constexpr int kLocks = 10'000;
constexpr int kEpisodes = 1'000'000;
constexpr int kRuns = 7;

Refresh refreshOf(const QDateTime& at, int firstRecord,
                  const QString& dictionary = QStringLiteral("/srv/donnees/compta/compta.add")) {
  Refresh refresh;
  refresh.at = at;
  refresh.interval = std::chrono::seconds(5);
  refresh.dictionaries = {dictionary};
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

// Writes episodes straight into the table, in the order a monitor appends them: first
// sightings spread over 30 days, most holds under a minute, one in five up to an hour.
void fillHistory(EpisodeStore& store, const QDateTime& now) {
  const qint64 end = now.toMSecsSinceEpoch();
  const qint64 start = end - 30LL * 86'400'000;
  const qint64 step = 30LL * 86'400'000 / kEpisodes;
  QSqlQuery(store.database())
      .exec(QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                "INSERT INTO lock_episodes (dictionary, table_name, record_no, row_id, user_name, "
                "os_login, application, lock_type, first_seen, last_seen, is_open, since_at_least) "
                "SELECT '/srv/donnees/compta' || (i % 3) || '/compta.add', 'ECRITURES' || (i % 20), "
                "i % 50000, 'Bc4dEf0000AB' || substr('00000' || (i % 50000), -6), 'POSTE-COMPTA-' || (i % 50), "
                "'utilisateur' || (i % 50), 'Gestion' || (i % 10) || '.exe', 'Record', f, "
                "min(%2, f + CASE WHEN i % 5 = 0 THEN abs(random()) % 3600000 ELSE abs(random()) % 60000 END), "
                "0, 0 FROM (SELECT i, %3 + i * %4 + abs(random()) % %4 AS f FROM n)")
                .arg(kEpisodes - 1)
                .arg(end)
                .arg(start)
                .arg(step));
  QSqlQuery(store.database()).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

// Wall and processor times of the runs: on a shared machine the processor time is the
// steadier figure.
struct Figures {
  std::vector<double> wallMs, cpuMs;
  template <typename F>
  void time(F&& f) {
    QElapsedTimer timer;
    const std::clock_t cpu = std::clock();
    timer.start();
    f();
    wallMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    cpuMs.push_back(1000.0 * static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC);
  }
  static double median(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return ms.empty() ? 0 : ms[ms.size() / 2];
  }
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  const bool recordOnly = args.contains(QStringLiteral("--record-only"));
  const QStringList files = QStringList(args).filter(QRegularExpression(QStringLiteral("^[^-]")));
  const QString reportFile = files.value(0, QStringLiteral("history_bench.txt"));
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
    // A dictionary watched for the first time with 10,000 locks (all new episodes), then the
    // same locks again (all continuing), then a full turnover (10,000 closed, 10,000 new).
    for (int run = 0; run < kRuns; ++run) {
      const QDateTime at = now.addSecs(-3600 + run * 15);
      const QString dictionary = QStringLiteral("/srv/donnees/compta%1/compta.add").arg(run);
      const Refresh first = refreshOf(at, 0, dictionary), steady = refreshOf(at.addSecs(5), 0, dictionary),
                    next = refreshOf(at.addSecs(10), kLocks, dictionary);
      firstRefresh.time([&] { store.record(first); });
      steadyRefresh.time([&] { store.record(steady); });
      turnover.time([&] { store.record(next); });
    }
    store.clear();
    if (!recordOnly) {
      err << "filling " << kEpisodes << " episodes…\n" << Qt::flush;
      fillHistory(store, now);
      bytes = store.sizeBytes().value_or(0);
    }
  }
  for (int run = 0; run < kRuns && !recordOnly; ++run) {
    EpisodeStore store;
    openStore.time([&] { store.open(location, now); });
    const TimeRange week{now.addDays(-7), now};
    view.time([&] { queryEpisodes(store.database(), {week, {}, 1000}, nullptr); });
    const BucketPlan plan = planBuckets({now.addDays(-30), now});
    chartTotal.time([&] { chartSeries(store.database(), true, plan, {}, StackBy::Total, nullptr); });
    chartUsers.time([&] { chartSeries(store.database(), true, plan, {}, StackBy::User, nullptr); });
  }
  Figures steadyOnFull;
  if (!recordOnly) {
    EpisodeStore store;
    store.open(location, now);
    for (int run = 0; run < kRuns; ++run) {
      const Refresh refresh = refreshOf(now.addSecs(run * 5), 900'000);
      steadyOnFull.time([&] { store.record(refresh); });
    }
  }

  QFile load(QStringLiteral("/proc/loadavg"));
  load.open(QIODevice::ReadOnly);
  out << "load average: " << load.readAll().trimmed() << "\n";
  auto line = [&](const char* what, Figures& f) {
    out << QStringLiteral("%1: median %2 ms wall, %3 ms processor\n")
               .arg(QLatin1String(what))
               .arg(Figures::median(f.wallMs), 0, 'f', 1)
               .arg(Figures::median(f.cpuMs), 0, 'f', 1);
  };
  line("record 10000 new locks", firstRefresh);
  line("record 10000 continuing locks", steadyRefresh);
  line("record 10000 released + 10000 new", turnover);
  if (!recordOnly) {
    line("record 10000 locks on 1M episodes", steadyOnFull);
    line("open 1M-episode store (with quick_check)", openStore);
    line("view query, last 7 days, first 1000", view);
    line("chart, 30 days, total", chartTotal);
    line("chart, 30 days, by user", chartUsers);
    out << QStringLiteral("file: %1 bytes for %2 episodes, %3 bytes/episode\n")
               .arg(bytes).arg(kEpisodes).arg(double(bytes) / kEpisodes, 0, 'f', 1);
  }
  out.flush();
  QFile file(reportFile);
  file.open(QIODevice::WriteOnly | QIODevice::Text);
  file.write(report.toUtf8());
  QTextStream(stdout) << report;
  return 0;
}
