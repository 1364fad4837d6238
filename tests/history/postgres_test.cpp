// The shared history on a real PostgreSQL (started by with_postgres.sh): the same episodes
// as on SQLite, and two writers at once never duplicating one.
#include "chart_buckets.h"
#include "episode_query.h"
#include "episode_store.h"
#include "fixture.h"

#include <QProcess>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace history {
namespace {

using namespace history::testing;

class PostgresTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString url = qEnvironmentVariable("BREVANTIS_PG_URL");
    ASSERT_FALSE(url.isEmpty()) << "run through with_postgres.sh";
    location_ = *parseLocation(url, nullptr);
    EpisodeStore store;
    ASSERT_TRUE(store.open(location_));
    ASSERT_TRUE(store.clear());
  }
  qint64 scalar(const EpisodeStore& store, const QString& sql) {
    QSqlQuery query(store.database());
    EXPECT_TRUE(query.exec(sql) && query.next()) << sql.toStdString();
    return query.value(0).toLongLong();
  }
  Location location_;
};

TEST_F(PostgresTest, EpisodesOpenContinueAndClose) {
  EpisodeStore store;
  ASSERT_TRUE(store.open(location_, at(0)));
  ASSERT_TRUE(store.record(refreshAt(0, {"F:1:ANNE", "F:2:BRUNO"})));
  ASSERT_TRUE(store.record(refreshAt(5, {"F:1:ANNE"})));
  ASSERT_TRUE(store.record(refreshAt(40, {"F:1:ANNE"})));
  const auto page = queryEpisodes(store.database(), {{at(0), at(100)}, QStringLiteral("anne"), 10}, nullptr);
  ASSERT_TRUE(page.has_value());
  ASSERT_EQ(page->episodes.size(), 2u);
  EXPECT_EQ(page->episodes[0].firstSeen, at(0));
  EXPECT_EQ(page->episodes[0].lastSeen, at(5));
  EXPECT_FALSE(page->episodes[0].open);
  EXPECT_EQ(page->episodes[1].firstSeen, at(40));
  EXPECT_TRUE(page->episodes[1].open && page->episodes[1].sinceAtLeast);

  const BucketPlan plan{at(0).toMSecsSinceEpoch(), 10'000, 5};
  const auto series = chartSeries(store.database(), false, plan, {}, StackBy::User, nullptr);
  ASSERT_TRUE(series.has_value());
  ASSERT_EQ(series->size(), 2u);
  EXPECT_EQ((*series)[0].group, QStringLiteral("ANNE"));
  EXPECT_EQ((*series)[0].counts, (std::vector<qint64>{1, 0, 0, 0, 1}));
  EXPECT_EQ((*series)[1].counts, (std::vector<qint64>{1, 0, 0, 0, 0}));
  EXPECT_GT(store.sizeBytes().value_or(0), 0);
}

TEST_F(PostgresTest, TwoWritersAtOnceShareTheSameEpisodes) {
  constexpr int kLocks = 2000;
  std::vector<std::unique_ptr<QProcess>> writers;
  for (int i = 0; i < 2; ++i) {
    writers.push_back(std::make_unique<QProcess>());
    writers.back()->start(binDir() + QStringLiteral("/history_writer"),
                          {qEnvironmentVariable("BREVANTIS_PG_URL"), QStringLiteral("compta"),
                           QString::number(kLocks), QStringLiteral("10"), QStringLiteral("5"),
                           QStringLiteral("same")});
  }
  for (auto& writer : writers) {
    ASSERT_TRUE(writer->waitForFinished(120000));
    EXPECT_EQ(writer->exitCode(), 0) << writer->readAllStandardError().toStdString();
  }
  EpisodeStore store;
  ASSERT_TRUE(store.open(location_));
  EXPECT_EQ(scalar(store, QStringLiteral("SELECT COUNT(*) FROM lock_episodes")), kLocks);
  EXPECT_EQ(scalar(store, QStringLiteral("SELECT COUNT(*) FROM lock_episodes WHERE is_open = 1")), kLocks);
}

}  // namespace
}  // namespace history
