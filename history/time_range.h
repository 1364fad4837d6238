// The time ranges the history is looked at over: the view's presets and the command line's
// "--depuis" values.
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace history {

// [from, to], both inclusive, in absolute time.
struct TimeRange {
  QDateTime from;
  QDateTime to;
};

enum class RangePreset { LastHour, Today, SevenDays };

// The preset's range ending at `now`; "today" starts at local midnight.
TimeRange presetRange(RangePreset preset, const QDateTime& now);

// Reads "1h", "24h", "7j" (any count of m, h or j) or a local date "AAAA-MM-JJ" or
// "JJ/MM/AAAA" (from its midnight), giving the range from then to `now`.
// Returns nullopt with a French message in *error for anything else.
std::optional<TimeRange> parseSince(const QString& text, const QDateTime& now, QString* error);

}  // namespace history
