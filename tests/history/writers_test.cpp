// Writer processes against one history: killed mid-transaction, or two at once.
#include "episode_store.h"
#include "fixture.h"

#include <QProcess>
#include <QSqlQuery>
#include <QThread>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <signal.h>

namespace history {
namespace {

using namespace history::testing;

std::unique_ptr<QProcess> startWriter(const QString& location, int locks, int refreshes, int pauseMs,
                                      const char* mode) {
  auto writer = std::make_unique<QProcess>();
  writer->start(binDir() + QStringLiteral("/history_writer"),
                {location, QStringLiteral("compta"), QString::number(locks), QString::number(refreshes),
                 QString::number(pauseMs), QString::fromLatin1(mode)});
  EXPECT_TRUE(writer->waitForStarted());
  return writer;
}

qint64 scalar(const EpisodeStore& store, const QString& sql) {
  QSqlQuery query(store.database());
  EXPECT_TRUE(query.exec(sql) && query.next()) << sql.toStdString();
  return query.value(0).toLongLong();
}

TEST(WritersTest, AWriterKilledMidWriteLeavesAConsistentFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("historique.sqlite"));
  constexpr int kLocks = 4000;  // large refreshes, so the kill lands inside one most times
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    auto writer = startWriter(path, kLocks, 0, 0, "fresh");
    // Let it record a refresh or two, then kill it at a different point each round.
    ASSERT_TRUE(writer->waitForReadyRead(30000));
    QThread::msleep(static_cast<unsigned long>(37 * round + 11));
    ::kill(static_cast<pid_t>(writer->processId()), SIGKILL);
    writer->waitForFinished();

    EpisodeStore store;
    Location location;
    location.filePath = path;
    ASSERT_TRUE(store.open(location));
    QSqlQuery check(store.database());
    ASSERT_TRUE(check.exec(QStringLiteral("PRAGMA integrity_check")) && check.next());
    EXPECT_EQ(check.value(0).toString(), QStringLiteral("ok"));
    // Each refresh sees kLocks new locks: a torn refresh would leave a partial batch.
    EXPECT_EQ(scalar(store, QStringLiteral("SELECT COUNT(*) FROM lock_episodes")) % kLocks, 0);
    EXPECT_LE(scalar(store, QStringLiteral("SELECT COUNT(*) FROM lock_episodes WHERE is_open = 1")), kLocks);
  }
}

TEST(WritersTest, TwoWritersOnOneFileWaitForEachOtherAndShareEpisodes) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("historique.sqlite"));
  constexpr int kLocks = 3000;
  auto first = startWriter(path, kLocks, 15, 5, "same");
  auto second = startWriter(path, kLocks, 15, 5, "same");
  for (QProcess* writer : {first.get(), second.get()}) {
    ASSERT_TRUE(writer->waitForFinished(120000));
    EXPECT_EQ(writer->exitCode(), 0) << writer->readAllStandardError().toStdString();
  }
  EpisodeStore store;
  Location location;
  location.filePath = path;
  ASSERT_TRUE(store.open(location));
  EXPECT_EQ(scalar(store, QStringLiteral("SELECT COUNT(*) FROM lock_episodes")), kLocks);
  EXPECT_EQ(scalar(store, QStringLiteral("SELECT COUNT(*) FROM lock_episodes WHERE is_open = 1")), kLocks);
}

}  // namespace
}  // namespace history
