// The history tab driven as a user would: the range and filter, the chart's hover text, the
// double-click on an episode, and "Vider l'historique" asking first.
#include "episode_table_model.h"
#include "episode_store.h"
#include "history_chart.h"
#include "history_output.h"
#include "history_tab.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace history {
namespace {

Observation lockOf(qint64 record, const QString& user) {
  return {QStringLiteral("compta"), QStringLiteral("FACTURES"), record,
          QStringLiteral("AAAAAAAAAAAA%1").arg(record, 6, 10, QLatin1Char('0')), user, user.toLower(),
          QStringLiteral("Gestion.exe"), QStringLiteral("Record")};
}

class HistoryTabTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Location location;
    location.filePath = dir_.filePath(QStringLiteral("h.sqlite"));
    ASSERT_TRUE(store_.open(location, now_));
    // ANNE holds record 1 for 10 minutes, BRUNO record 2 for one minute, ending now.
    for (qint64 s = -600; s <= 0; s += 30) {
      Refresh refresh{now_.addSecs(s), std::chrono::seconds(30), {QStringLiteral("compta")}, {lockOf(1, "ANNE")}};
      if (s >= -60) refresh.observations.push_back(lockOf(2, QStringLiteral("BRUNO")));
      ASSERT_TRUE(store_.record(refresh));
    }
    tab_ = std::make_unique<HistoryTab>(&store_);
    tab_->reload(now_);
  }
  QStringList users() const {
    QStringList names;
    for (int row = 0; row < tab_->model()->rowCount(); ++row) names << tab_->model()->episodeAt(row).lock.userName;
    return names;
  }
  QTemporaryDir dir_;
  QDateTime now_ = QDateTime::currentDateTimeUtc();
  EpisodeStore store_;
  std::unique_ptr<HistoryTab> tab_;
};

TEST_F(HistoryTabTest, ListsLongestFirstAndFilters) {
  EXPECT_EQ(users(), (QStringList{"ANNE", "BRUNO"}));
  EXPECT_TRUE(tab_->model()->data(tab_->model()->index(0, 8), Qt::DisplayRole).toString().startsWith("depuis au moins "));
  EXPECT_EQ(tab_->model()->data(tab_->model()->index(0, 10), Qt::DisplayRole).toString(), QStringLiteral("10 min 0 s"));
  EXPECT_EQ(tab_->findChild<QLabel*>("HistoryCount")->text(), QStringLiteral("2 épisodes"));
  EXPECT_TRUE(tab_->findChild<QLabel*>("HistorySize")->text().startsWith("Taille de l'historique : "));

  QTest::keyClicks(tab_->findChild<QLineEdit*>("HistoryFilter"), QStringLiteral("brun"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return users() == QStringList{"BRUNO"}; }, 5000)) << users().join(',').toStdString();
}

TEST_F(HistoryTabTest, TheChartStacksByUserAndHoverShowsTheCount) {
  tab_->findChild<QComboBox*>("HistoryStackBy")->setCurrentIndex(1);  // "Par utilisateur"
  tab_->findChild<QComboBox*>("HistoryRange")->setCurrentIndex(0);   // "Dernière heure": 1-minute buckets
  tab_->reload(now_);                                                  // the bucket of `now_` is the last
  const QString last = tab_->chart()->hoverText(QStringLiteral("ANNE"), 60);
  EXPECT_TRUE(last.startsWith(QStringLiteral("ANNE, "))) << last.toStdString();
  EXPECT_TRUE(last.endsWith(QStringLiteral(" : 1 lock"))) << last.toStdString();
  EXPECT_TRUE(tab_->chart()->hoverText(QStringLiteral("BRUNO"), 0).endsWith(QStringLiteral(" : 0 lock")));
}

TEST_F(HistoryTabTest, DoubleClickAsksForTheLockedRecord) {
  QSignalSpy spy(tab_.get(), &HistoryTab::recordRequested);
  auto* table = tab_->findChild<QTableView*>("HistoryTable");
  tab_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(tab_.get()));
  const QRect cell = table->visualRect(table->model()->index(1, 0));
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
  ASSERT_EQ(spy.count(), 1);
  EXPECT_EQ(spy[0][0].value<Observation>().record, 2);
}

TEST_F(HistoryTabTest, ClearingAsksFirst) {
  QStringList asked;
  bool answer = false;
  tab_->setConfirm([&](const QString& question) {
    asked << question;
    return answer;
  });
  auto* clear = tab_->findChild<QPushButton*>("HistoryClear");
  clear->click();
  EXPECT_EQ(asked.size(), 1);
  EXPECT_EQ(tab_->model()->rowCount(), 2);
  answer = true;
  clear->click();
  EXPECT_EQ(tab_->model()->rowCount(), 0);
}

TEST(FormatSizeTest, FrenchUnits) {
  EXPECT_EQ(formatSize(512), QStringLiteral("512 octets"));
  EXPECT_EQ(formatSize(870'400), QStringLiteral("850 Ko"));
  EXPECT_EQ(formatSize(12'897'484), QStringLiteral("12,3 Mo"));
}

}  // namespace
}  // namespace history
