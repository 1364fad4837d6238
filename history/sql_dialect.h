// The few statements that differ between the two history backends (SQLite and PostgreSQL).
#pragma once

#include <QString>
#include <QStringList>

namespace history {

struct SqlDialect {
  bool sqlite = true;

  // The statements that create the schema when missing; the same columns on both backends.
  QStringList createSchema() const;
  // Starts one write transaction; writers after it wait for the first to end.
  QStringList beginWrite() const;
  QString greatest(const QString& a, const QString& b) const;
  QString least(const QString& a, const QString& b) const;
};

// The schema version this program writes; a database of a higher version is refused.
inline constexpr int kSchemaVersion = 1;

}  // namespace history
