// Counts locks per time bucket for the history chart.
#include "chart_buckets.h"

#include "episode_query.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <array>

namespace history {

BucketPlan planBuckets(const TimeRange& range, int maxBuckets) {
  static constexpr std::array<qint64, 11> kWidthsMs = {
      60'000, 300'000, 900'000, 1'800'000, 3'600'000, 7'200'000, 10'800'000, 21'600'000,
      43'200'000, 86'400'000, 7 * 86'400'000LL};
  const qint64 from = range.from.toMSecsSinceEpoch();
  const qint64 span = std::max<qint64>(1, range.to.toMSecsSinceEpoch() - from + 1);
  qint64 width = kWidthsMs.back();
  for (qint64 candidate : kWidthsMs) {
    if ((span + candidate - 1) / candidate <= maxBuckets) {
      width = candidate;
      break;
    }
  }
  return {from, width, static_cast<int>((span + width - 1) / width)};
}

std::vector<ChartSeries> stackBuckets(const std::vector<SpanCount>& spans, int bucketCount,
                                      int maxSeries) {
  // Difference arrays: +n where a span starts, -n after it ends, then running sums.
  QHash<QString, std::vector<qint64>> deltas;
  for (const SpanCount& span : spans) {
    const int first = std::max(0, span.first);
    const int last = std::min(bucketCount - 1, span.last);
    if (first > last || span.episodes == 0) continue;
    std::vector<qint64>& delta = deltas[span.group];
    if (delta.empty()) delta.assign(static_cast<size_t>(bucketCount) + 1, 0);
    delta[static_cast<size_t>(first)] += span.episodes;
    delta[static_cast<size_t>(last) + 1] -= span.episodes;
  }
  std::vector<ChartSeries> series;
  std::vector<qint64> totals;
  for (auto it = deltas.cbegin(); it != deltas.cend(); ++it) {
    ChartSeries s{it.key(), std::vector<qint64>(static_cast<size_t>(bucketCount), 0)};
    qint64 running = 0;
    for (int i = 0; i < bucketCount; ++i) s.counts[static_cast<size_t>(i)] = running += it.value()[static_cast<size_t>(i)];
    series.push_back(std::move(s));
  }
  auto weight = [](const ChartSeries& s) {
    qint64 sum = 0;
    for (qint64 c : s.counts) sum += c;
    return sum;
  };
  std::sort(series.begin(), series.end(), [&](const ChartSeries& a, const ChartSeries& b) {
    const qint64 wa = weight(a), wb = weight(b);
    return wa != wb ? wa > wb : a.group < b.group;
  });
  if (maxSeries > 0 && static_cast<int>(series.size()) > maxSeries) {
    ChartSeries others{QStringLiteral("Autres"), std::vector<qint64>(static_cast<size_t>(bucketCount), 0)};
    for (size_t i = static_cast<size_t>(maxSeries) - 1; i < series.size(); ++i)
      for (int b = 0; b < bucketCount; ++b) others.counts[static_cast<size_t>(b)] += series[i].counts[static_cast<size_t>(b)];
    series.resize(static_cast<size_t>(maxSeries) - 1);
    series.push_back(std::move(others));
  }
  return series;
}

std::optional<std::vector<ChartSeries>> chartSeries(const QSqlDatabase& db, bool sqlite,
                                                    const BucketPlan& plan, const QString& text,
                                                    StackBy stackBy, QString* error) {
  const qint64 lastMs = plan.fromMs + plan.widthMs * plan.count - 1;
  const QString greatest = sqlite ? QStringLiteral("max") : QStringLiteral("GREATEST");
  const QString group = stackBy == StackBy::User          ? QStringLiteral("user_name")
                        : stackBy == StackBy::Application ? QStringLiteral("application")
                                                          : QStringLiteral("''");
  // One query per bucket an episode was last seen in, over a range of the episodes' index:
  // the database groups a bucket's episodes by first bucket and group, many small sorts in
  // place of one of a million rows, and the rows returned stay few however many episodes
  // there are. The bucket's start is the range's only lower bound, so that the index is
  // read from there and not from the chart's start at every bucket.
  QSqlQuery query(db);
  query.setForwardOnly(true);
  const QString sql = QStringLiteral("SELECT (%1(first_seen, %2) - %2) / %3 AS first_bucket, %4 AS grp, COUNT(*) "
                                     "FROM lock_episodes WHERE %5 AND last_seen <= ? GROUP BY first_bucket, grp");
  query.prepare(sql.arg(greatest)
                    .arg(plan.fromMs)
                    .arg(plan.widthMs)
                    .arg(group, episodeCondition(plan.fromMs, lastMs, text).sql));
  std::vector<SpanCount> spans;
  const QString total = QStringLiteral("Total");
  for (int last = 0; last < plan.count; ++last) {
    const qint64 start = plan.fromMs + plan.widthMs * last;
    QVariantList values = episodeCondition(start, lastMs, text).values;
    values << std::min(lastMs, start + plan.widthMs - 1);
    for (int i = 0; i < values.size(); ++i) query.bindValue(i, values[i]);
    if (!query.exec()) {
      if (error) *error = query.lastError().text();
      return std::nullopt;
    }
    while (query.next())
      spans.push_back({query.value(0).toInt(), last, stackBy == StackBy::Total ? total : query.value(1).toString(),
                       query.value(2).toLongLong()});
  }
  return stackBuckets(spans, plan.count);
}

}  // namespace history
