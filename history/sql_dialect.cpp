// Builds the backend-specific statements of the lock history.
#include "sql_dialect.h"

namespace history {

QStringList SqlDialect::createSchema() const {
  const QString id = sqlite ? QStringLiteral("INTEGER PRIMARY KEY") : QStringLiteral("BIGSERIAL PRIMARY KEY");
  return {
      QStringLiteral("CREATE TABLE IF NOT EXISTS history_meta (name TEXT PRIMARY KEY, value TEXT NOT NULL)"),
      // One row per episode, never one per refresh. Times are milliseconds since the epoch, UTC.
      QStringLiteral("CREATE TABLE IF NOT EXISTS lock_episodes (id %1, dictionary TEXT NOT NULL, "
                     "table_name TEXT NOT NULL, record_no BIGINT NOT NULL, row_id TEXT NOT NULL, "
                     "user_name TEXT NOT NULL, os_login TEXT NOT NULL, application TEXT NOT NULL, "
                     "lock_type TEXT NOT NULL, first_seen BIGINT NOT NULL, last_seen BIGINT NOT NULL, "
                     "is_open SMALLINT NOT NULL, since_at_least SMALLINT NOT NULL)").arg(id),
      // At most one open episode per lock and owner, whichever writer saw it: the upsert's key.
      QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS lock_episodes_open ON lock_episodes "
                     "(dictionary, table_name, record_no, user_name, os_login, application) "
                     "WHERE is_open = 1"),
      // Retention, the time ranges and the chart: the chart's counts come from this index alone.
      QStringLiteral("CREATE INDEX IF NOT EXISTS lock_episodes_seen ON lock_episodes "
                     "(last_seen, first_seen, user_name, application)"),
      QStringLiteral("DROP INDEX IF EXISTS lock_episodes_last_seen"),
      // The last refresh of each dictionary, to tell a continuing watch from one after a gap.
      QStringLiteral("CREATE TABLE IF NOT EXISTS lock_refreshes (dictionary TEXT PRIMARY KEY, "
                     "last_refresh BIGINT NOT NULL)"),
  };
}

QStringList SqlDialect::beginWrite() const {
  if (sqlite) return {QStringLiteral("BEGIN IMMEDIATE")};
  // Writers from several machines take turns, as SQLite's single writer does.
  return {QStringLiteral("BEGIN"), QStringLiteral("SELECT pg_advisory_xact_lock(4202512025)")};
}

QString SqlDialect::greatest(const QString& a, const QString& b) const {
  return QStringLiteral("%1(%2, %3)").arg(sqlite ? QStringLiteral("max") : QStringLiteral("GREATEST"), a, b);
}

QString SqlDialect::least(const QString& a, const QString& b) const {
  return QStringLiteral("%1(%2, %3)").arg(sqlite ? QStringLiteral("min") : QStringLiteral("LEAST"), a, b);
}

}  // namespace history
