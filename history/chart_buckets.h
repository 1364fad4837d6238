// The lock chart's figures: how many locks were held in each time bucket of a range, in
// total or stacked by user or by application.
#pragma once

#include "time_range.h"

#include <QSqlDatabase>
#include <QString>
#include <optional>
#include <vector>

namespace history {

enum class StackBy { Total, User, Application };

// Buckets [from + i*width, from + (i+1)*width) for i in [0, count).
struct BucketPlan {
  qint64 fromMs = 0;
  qint64 widthMs = 60000;
  int count = 0;
};

// A round bucket width (1 min … 1 day) that cuts the range into at most `maxBuckets`.
// REQUIRES: maxBuckets > 0.
BucketPlan planBuckets(const TimeRange& range, int maxBuckets = 180);

// Episodes of one group whose holds run from bucket `first` to bucket `last`.
struct SpanCount {
  int first = 0;
  int last = 0;
  QString group;
  qint64 episodes = 0;
};

// One layer of the stacked chart. The Total chart has one series named "Total".
struct ChartSeries {
  QString group;
  std::vector<qint64> counts;  // one per bucket
};

// Adds each span to every bucket it covers (clamped to [0, bucketCount)). Series come
// largest first; past `maxSeries`, the smaller groups are summed into one "Autres" series.
std::vector<ChartSeries> stackBuckets(const std::vector<SpanCount>& spans, int bucketCount,
                                      int maxSeries = 8);

// Reads the spans of the episodes matching `text` (as the view's filter) from the history,
// then stacks them. Returns nullopt with the driver's text in *error.
std::optional<std::vector<ChartSeries>> chartSeries(const QSqlDatabase& db, bool sqlite,
                                                    const BucketPlan& plan, const QString& text,
                                                    StackBy stackBy, QString* error);

}  // namespace history
