// Inserts new episodes into a SQLite history through SQLite's own interface: through the Qt
// driver, binding each value costs about as much as SQLite's whole insert of it.
#pragma once

#include "observation.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <functional>
#include <optional>
#include <vector>

namespace history {

// Inserts one open episode per observation of `opened`, first and last seen at `now`,
// "seen at least since" where `sinceAtLeast` says so, and calls `inserted` with each new id.
// REQUIRES: `db` is an open SQLite connection inside a write transaction.
// Returns the first error, its native code SQLite's extended result code, as the driver's.
std::optional<QSqlError> insertEpisodesIntoSqlite(const QSqlDatabase& db,
                                                  const std::vector<const Observation*>& opened, qint64 now,
                                                  const std::function<bool(const QString&)>& sinceAtLeast,
                                                  const std::function<void(const Observation&, qint64)>& inserted);

}  // namespace history
