// Reads the episodes of a time range for the history view and the command line: filtered
// as the live view, longest holds first.
#pragma once

#include "observation.h"
#include "time_range.h"

#include <QSqlDatabase>
#include <optional>

namespace history {

struct EpisodeFilter {
  TimeRange range;      // episodes held at some moment of it
  QString text;         // matches user, OS login, application or table, letter case aside
  int limit = 1000;     // longest first; the rest is only counted
};

struct EpisodePage {
  std::vector<Episode> episodes;  // sorted by duration, longest first
  qint64 total = 0;               // all the episodes that match, shown or not
};

// REQUIRES: an open history database. Returns nullopt with the driver's text in *error.
std::optional<EpisodePage> queryEpisodes(const QSqlDatabase& db, const EpisodeFilter& filter,
                                         QString* error);

// The WHERE clause shared by the view and the chart, and its values in order:
// episodes overlapping [from, to] whose owner or table matches the text.
struct EpisodeCondition {
  QString sql;
  QVariantList values;
};
EpisodeCondition episodeCondition(qint64 fromMs, qint64 toMs, const QString& text);

}  // namespace history
