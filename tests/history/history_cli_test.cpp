// brevantis-locks and the lock history, run as a script would run it: `historique --filtre`
// on a history written beforehand, and `--suivre --sans-historique` against a real server,
// which must leave no history anywhere.
#include "episode_store.h"
#include "fixture.h"
#include "tests/app/lock_world.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace history {
namespace {

using namespace history::testing;

QString program() { return binDir() + QStringLiteral("/brevantis-locks"); }

// The program with its data and settings folders in `home`, so that no user's own history
// or settings take part.
QProcessEnvironment privateEnvironment(const QString& home) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("HOME"), home);
  env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
  return env;
}

QStringList filesUnder(const QString& folder) {
  QStringList files;
  QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) files << it.next();
  return files;
}

TEST(HistoryCli, FilterMatchesUserLoginApplicationOrTable) {
  QTemporaryDir home;
  const QString file = home.filePath(QStringLiteral("historique.sqlite"));
  {
    EpisodeStore store;
    Location location;
    location.filePath = file;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    ASSERT_TRUE(store.open(location, now));
    Refresh refresh = refreshAt(0, {"Clients:1:ANNE", "Factures:2:BRUNO:Compta.exe", "Stock:3:ÉLODIE"});
    refresh.at = now.addSecs(-60);
    ASSERT_TRUE(store.record(refresh));
  }
  struct Case {
    const char* filter;
    int exitCode;
    QStringList tables;  // the tables printed, in order
  };
  const std::vector<Case> cases = {
      {"anne", 0, {"Clients"}},     // user, letter case aside
      {"bruno", 0, {"Factures"}},   // OS login ("bruno")
      {"COMPTA", 0, {"Factures"}},  // application
      {"stock", 0, {"Stock"}},      // table
      {"élodie", 0, {"Stock"}},     // an accented user written in capitals
      {"gestion.exe", 0, {"Clients", "Stock"}},
      {"personne", 1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filter);
    QProcess p;
    p.setProcessEnvironment(privateEnvironment(home.path()));
    p.start(program(), {QStringLiteral("historique"), QStringLiteral("--historique"), file, QStringLiteral("--filtre"),
                        QString::fromUtf8(c.filter), QStringLiteral("--format"), QStringLiteral("csv")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), c.exitCode) << p.readAllStandardError().toStdString();
    QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList tables;
    for (const QString& line : lines.mid(1)) tables << line.section(QLatin1Char(';'), 1, 1);
    tables.sort();
    EXPECT_EQ(tables, c.tables) << lines.join('\n').toStdString();
  }
}

TEST(HistoryCli, FollowWithoutHistoryWritesNone) {
  QTemporaryDir home;
  locktest::Server server;
  ASSERT_TRUE(server.started()) << server.log().toStdString();
  QString error;
  const QString dictionary = locktest::makeDictionary(home.filePath(QStringLiteral("gestion")), QStringLiteral("Gestion"),
                                                      {{QStringLiteral("Clients"), 20}}, &error);
  ASSERT_TRUE(error.isEmpty()) << error.toStdString();
  const QString named = home.filePath(QStringLiteral("nomme.sqlite"));
  // Once with a history named, once with the default one (in the private data folder).
  for (const QStringList& extra : {QStringList{QStringLiteral("--historique"), named}, QStringList{}}) {
    SCOPED_TRACE(extra.join(' ').toStdString());
    locktest::Holder holder(server, dictionary, QStringLiteral("Clients"), QStringLiteral("7"),
                            {QStringLiteral("PC-S"), QStringLiteral("sam"), QStringLiteral("Suivi.exe")});
    ASSERT_TRUE(holder.waitReady());
    QProcess p;
    p.setProcessEnvironment(privateEnvironment(home.path()));
    p.start(program(), QStringList{QStringLiteral("--suivre"), QStringLiteral("--sans-historique"),
                                   QStringLiteral("--intervalle"), QStringLiteral("1")} +
                           extra + QStringList{dictionary});
    QString out;
    // Reads what the program prints until `event` ("pris", "libéré") shows for record 7.
    auto waitFor = [&](const QString& event) {
      const QString line = QStringLiteral("\t%1\t%2\tClients\t7\t").arg(event, dictionary);
      QElapsedTimer clock;
      clock.start();
      while (!out.contains(line) && clock.elapsed() < 30000) {
        p.waitForReadyRead(500);
        out += QString::fromUtf8(p.readAllStandardOutput());
      }
      return out.contains(line);
    };
    EXPECT_TRUE(waitFor(QStringLiteral("pris"))) << out.toStdString();
    holder.stop();
    EXPECT_TRUE(waitFor(QStringLiteral("libéré"))) << out.toStdString();
    p.kill();
    p.waitForFinished();
    EXPECT_FALSE(QFile::exists(named));
    EXPECT_EQ(filesUnder(home.filePath(QStringLiteral("data"))).join(QLatin1Char('\n')).toStdString(), "");
  }
}

}  // namespace
}  // namespace history
