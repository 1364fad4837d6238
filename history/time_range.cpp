// Computes the history's time ranges.
#include "time_range.h"

#include <QRegularExpression>

namespace history {

TimeRange presetRange(RangePreset preset, const QDateTime& now) {
  switch (preset) {
    case RangePreset::LastHour:
      return {now.addSecs(-3600), now};
    case RangePreset::Today:
      return {QDateTime(now.toLocalTime().date(), QTime(0, 0)), now};
    case RangePreset::SevenDays:
      break;
  }
  return {now.addDays(-7), now};
}

std::optional<TimeRange> parseSince(const QString& text, const QDateTime& now, QString* error) {
  static const QRegularExpression relative(QStringLiteral("^(\\d{1,6})([mhj])$"));
  const QString trimmed = text.trimmed();
  if (const auto match = relative.match(trimmed); match.hasMatch()) {
    const qint64 count = match.captured(1).toLongLong();
    const QChar unit = match.captured(2).at(0);
    const qint64 seconds = count * (unit == u'm' ? 60 : unit == u'h' ? 3600 : 86400);
    return TimeRange{now.addSecs(-seconds), now};
  }
  for (const QString& format : {QStringLiteral("yyyy-MM-dd"), QStringLiteral("dd/MM/yyyy")}) {
    const QDate date = QDate::fromString(trimmed, format);
    if (date.isValid()) return TimeRange{QDateTime(date, QTime(0, 0)), now};
  }
  if (error)
    *error = QStringLiteral("Valeur de --depuis invalide : « %1 » (attendu : 1h, 24h, 7j ou une "
                            "date AAAA-MM-JJ).").arg(text);
  return std::nullopt;
}

}  // namespace history
