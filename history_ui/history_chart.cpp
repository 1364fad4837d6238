// Draws the lock chart with Qt Charts.
#include "history_chart.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QCursor>
#include <QStackedBarSeries>
#include <QToolTip>
#include <QValueAxis>

namespace history {
namespace {

QString bucketLabel(const BucketPlan& plan, int index) {
  const QDateTime start = QDateTime::fromMSecsSinceEpoch(plan.fromMs + plan.widthMs * index).toLocalTime();
  return start.toString(plan.widthMs >= 86'400'000 ? QStringLiteral("dd/MM") : QStringLiteral("dd/MM HH:mm"));
}

}  // namespace

HistoryChart::HistoryChart(QWidget* parent) : QChartView(parent) {
  setObjectName(QStringLiteral("HistoryChart"));
  setRenderHint(QPainter::Antialiasing);
  chart()->setTitle(QStringLiteral("Locks tenus"));
  chart()->legend()->setAlignment(Qt::AlignBottom);
  setMinimumHeight(220);
}

QString HistoryChart::hoverText(const QString& group, int index) const {
  for (const ChartSeries& s : series_) {
    if (s.group != group || index < 0 || index >= static_cast<int>(s.counts.size())) continue;
    const qint64 count = s.counts[static_cast<size_t>(index)];
    return QStringLiteral("%1, %2 : %3 lock%4")
        .arg(group.isEmpty() ? QStringLiteral("(sans nom)") : group, bucketLabel(plan_, index))
        .arg(count)
        .arg(count > 1 ? QStringLiteral("s") : QString());
  }
  return {};
}

void HistoryChart::setSeries(const std::vector<ChartSeries>& series, const BucketPlan& plan) {
  series_ = series;
  plan_ = plan;
  QChart* chart = this->chart();
  chart->removeAllSeries();
  for (QAbstractAxis* axis : chart->axes()) {
    chart->removeAxis(axis);
    delete axis;
  }
  auto* bars = new QStackedBarSeries;
  bars->setBarWidth(1.0);
  qint64 highest = 0;
  std::vector<qint64> stacked(static_cast<size_t>(plan.count), 0);
  for (const ChartSeries& s : series) {
    auto* set = new QBarSet(s.group.isEmpty() ? QStringLiteral("(sans nom)") : s.group);
    for (size_t i = 0; i < s.counts.size(); ++i) {
      *set << static_cast<qreal>(s.counts[i]);
      highest = std::max(highest, stacked[i] += s.counts[i]);
    }
    const QString group = s.group;
    connect(set, &QBarSet::hovered, this, [this, group](bool inside, int index) {
      if (!inside) return QToolTip::hideText();
      lastHover_ = hoverText(group, index);
      QToolTip::showText(QCursor::pos(), lastHover_, this);
    });
    bars->append(set);
  }
  chart->addSeries(bars);
  auto* time = new QBarCategoryAxis;
  QStringList labels;
  // Every bucket needs a category; only some are labelled, so the axis stays readable.
  const int labelEvery = std::max(1, plan.count / 8);
  for (int i = 0; i < plan.count; ++i)
    labels << (i % labelEvery == 0 ? bucketLabel(plan, i) : QString(i, QLatin1Char(' ')));
  time->append(labels);
  auto* count = new QValueAxis;
  count->setLabelFormat(QStringLiteral("%d"));
  count->setRange(0, std::max<qint64>(1, highest));
  chart->addAxis(time, Qt::AlignBottom);
  chart->addAxis(count, Qt::AlignLeft);
  bars->attachAxis(time);
  bars->attachAxis(count);
  chart->legend()->setVisible(series.size() > 1);
}

}  // namespace history
