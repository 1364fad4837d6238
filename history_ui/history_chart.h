// The lock chart: locks held per time bucket, stacked by group; hovering a band shows the
// bucket's count.
#pragma once

#include "chart_buckets.h"

#include <QChartView>

namespace history {

class HistoryChart : public QChartView {
  Q_OBJECT
 public:
  explicit HistoryChart(QWidget* parent = nullptr);

  // Draws `series` over `plan`'s buckets as stacked bands, the largest group at the bottom.
  void setSeries(const std::vector<ChartSeries>& series, const BucketPlan& plan);

  // What hovering bucket `index` of `group` shows, e.g. "DUPONT, 11/12 14:00 : 3 locks".
  QString hoverText(const QString& group, int index) const;
  // The text shown by the last hover, for tests and the status line.
  QString lastHover() const { return lastHover_; }

 private:
  std::vector<ChartSeries> series_;
  BucketPlan plan_;
  QString lastHover_;
};

}  // namespace history
