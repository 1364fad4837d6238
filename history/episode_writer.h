// Writes one refresh into the episode table: continuing holds in one set-based statement,
// released ones closed by id, new ones inserted (in batches on a shared server). It
// remembers which episodes are open between refreshes, so that a steady refresh neither
// reads nor rewrites them one by one.
#pragma once

#include "observation.h"
#include "open_episodes.h"
#include "sql_dialect.h"

#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <optional>

namespace history {

class EpisodeWriter {
 public:
  // REQUIRES: `db` is open on a history whose schema is ready; it outlives the writer.
  EpisodeWriter(const QSqlDatabase& db, const SqlDialect& dialect);

  // Writes `refresh` inside the write transaction the caller has begun: opens, continues and
  // closes episodes and marks the refresh. Returns the first error, after which the caller
  // rolls back and calls forget().
  std::optional<QSqlError> write(const Refresh& refresh);

  // Drops what the writer knows of the open episodes, so the next write reads them afresh.
  // Call it after a rollback and after deleting episodes.
  void forget();

 private:
  std::optional<QSqlError> learnOpenEpisodes(const QString& dictionary);
  std::optional<QSqlError> updateByIds(const QString& statement, const std::vector<qint64>& ids);
  std::optional<QSqlError> insertOpened(const std::vector<const Observation*>& opened, qint64 now,
                                        const QSet<QString>& afterGap);

  QSqlDatabase db_;
  SqlDialect dialect_;
  OpenEpisodes open_;
  // The mark this writer left in the history at its last write: another writer replaces it.
  QString mark_;
  qint64 lastWrittenMs_ = 0;
  QSqlQuery readMark_, writeMark_, lastRefresh_, markRefresh_, closeStale_, readOpen_, insertBatch_;
};

}  // namespace history
