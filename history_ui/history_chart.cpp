// Draws the lock chart with Qt Charts.
#include "history_chart.h"

#include <QAreaSeries>
#include <QChart>
#include <QCursor>
#include <QDateTimeAxis>
#include <QLineSeries>
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
  auto* time = new QDateTimeAxis;
  time->setFormat(plan.widthMs >= 3'600'000 ? QStringLiteral("dd/MM HH'h'") : QStringLiteral("HH:mm"));
  time->setRange(QDateTime::fromMSecsSinceEpoch(plan.fromMs),
                 QDateTime::fromMSecsSinceEpoch(plan.fromMs + plan.widthMs * std::max(1, plan.count)));
  time->setTickCount(7);
  auto* count = new QValueAxis;
  count->setLabelFormat(QStringLiteral("%d"));
  chart->addAxis(time, Qt::AlignBottom);
  chart->addAxis(count, Qt::AlignLeft);

  // Each group is a band between the running total below it and the total including it,
  // drawn as steps: a bucket's count holds over its whole width.
  std::vector<qint64> below(static_cast<size_t>(plan.count), 0);
  qint64 highest = 0;
  QLineSeries* lower = nullptr;
  for (const ChartSeries& s : series) {
    auto* upper = new QLineSeries;
    for (int i = 0; i < plan.count; ++i) {
      const qint64 top = below[static_cast<size_t>(i)] += s.counts[static_cast<size_t>(i)];
      highest = std::max(highest, top);
      const qreal start = static_cast<qreal>(plan.fromMs + plan.widthMs * i);
      upper->append(start, static_cast<qreal>(top));
      upper->append(start + static_cast<qreal>(plan.widthMs), static_cast<qreal>(top));
    }
    auto* band = new QAreaSeries(upper, lower);
    band->setName(s.group.isEmpty() ? QStringLiteral("(sans nom)") : s.group);
    const QString group = s.group;
    connect(band, &QAreaSeries::hovered, this, [this, group](const QPointF& point, bool inside) {
      if (!inside) return QToolTip::hideText();
      const int index = static_cast<int>((static_cast<qint64>(point.x()) - plan_.fromMs) / plan_.widthMs);
      lastHover_ = hoverText(group, index);
      QToolTip::showText(QCursor::pos(), lastHover_, this);
    });
    chart->addSeries(band);
    band->attachAxis(time);
    band->attachAxis(count);
    lower = upper;
  }
  count->setRange(0, static_cast<qreal>(std::max<qint64>(1, highest)));
  count->setTickType(QValueAxis::TicksDynamic);
  count->setTickAnchor(0);
  count->setTickInterval(std::max<qint64>(1, (highest + 4) / 5));
  chart->legend()->setVisible(series.size() > 1);
}

}  // namespace history
