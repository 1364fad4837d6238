// A lock-history writer for the tests: records refreshes into a history as a monitor would,
// so tests can kill it mid-write or run two at once.
//
//   history_writer LOCATION DICTIONARY LOCKS REFRESHES PAUSE_MS same|fresh
//
// "same" sees records 1..LOCKS at every refresh; "fresh" sees LOCKS new records each time,
// so a history holds a whole multiple of LOCKS episodes unless a refresh was torn.
// REFRESHES 0 runs until killed. Exits 0 when every refresh was recorded.
#include "episode_store.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QThread>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  QTextStream err(stderr);
  if (args.size() != 7) {
    err << "usage: history_writer LOCATION DICTIONARY LOCKS REFRESHES PAUSE_MS same|fresh\n";
    return 2;
  }
  QString error;
  const auto location = history::parseLocation(args[1], &error);
  const int locks = args[3].toInt(), refreshes = args[4].toInt(), pauseMs = args[5].toInt();
  const bool fresh = args[6] == QLatin1String("fresh");
  history::EpisodeStore store([&](const QString& message) { err << message << '\n' << Qt::flush; });
  if (!location || !store.open(*location)) return 2;
  QTextStream out(stdout);
  for (int r = 0; refreshes == 0 || r < refreshes; ++r) {
    history::Refresh refresh;
    refresh.at = QDateTime::currentDateTimeUtc();
    refresh.interval = std::chrono::seconds(5);
    refresh.dictionaries = {args[2]};
    for (int i = 1; i <= locks; ++i) {
      const qint64 record = fresh ? qint64(r) * locks + i : i;
      refresh.observations.push_back({args[2], QStringLiteral("FACTURES"), record,
                                      QStringLiteral("AAAAAAAAAAAA%1").arg(record, 6, 10, QLatin1Char('0')),
                                      QStringLiteral("POSTE-%1").arg(i % 7), QStringLiteral("login%1").arg(i % 7),
                                      QStringLiteral("Gestion.exe"), QStringLiteral("Record")});
    }
    if (!store.record(refresh)) return 1;
    out << "refresh " << r << '\n' << Qt::flush;
    if (pauseMs > 0) QThread::msleep(static_cast<unsigned long>(pauseMs));
  }
  return 0;
}
