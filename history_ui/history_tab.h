// The history tab of the lock monitor: the episodes of a time range, filtered, longest holds
// first, their chart below, the history's size and "Vider l'historique".
#pragma once

#include "chart_buckets.h"
#include "episode_store.h"
#include "time_range.h"

#include <QWidget>
#include <functional>

class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace history {

class EpisodeTableModel;
class HistoryChart;

class HistoryTab : public QWidget {
  Q_OBJECT
 public:
  // Asks the user a yes/no question; true to go on.
  using Confirm = std::function<bool(const QString& question)>;

  // REQUIRES: `store` outlives the tab (it may be not ready: the tab then says so).
  explicit HistoryTab(EpisodeStore* store, QWidget* parent = nullptr);

  // Replaces the question box, for tests.
  void setConfirm(Confirm confirm) { confirm_ = std::move(confirm); }
  // Reads the history again for the range, filter and grouping chosen, as of `now`.
  // The tab reads it by itself when first shown.
  void reload(const QDateTime& now = QDateTime::currentDateTimeUtc());

  EpisodeTableModel* model() const { return model_; }
  HistoryChart* chart() const { return chart_; }

 signals:
  // The user asked for the locked record of an episode (double-click on its row).
  void recordRequested(const history::Observation& lock);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  TimeRange chosenRange(const QDateTime& now) const;
  void clearHistory();

  EpisodeStore* store_;
  Confirm confirm_;
  QComboBox* range_;
  QDateTimeEdit* from_;
  QDateTimeEdit* to_;
  QLineEdit* filter_;
  QComboBox* stackBy_;
  QLabel* count_;
  QLabel* size_;
  QPushButton* clear_;
  QTableView* table_;
  EpisodeTableModel* model_;
  HistoryChart* chart_;
  bool loaded_ = false;
};

// "12,3 Mo", "850 Ko", "512 octets".
QString formatSize(qint64 bytes);

}  // namespace history
