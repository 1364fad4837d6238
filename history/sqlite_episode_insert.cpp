// Binds the new episodes' values straight to a SQLite statement on the Qt connection's handle.
#include "sqlite_episode_insert.h"

#include <QByteArray>
#include <QSqlDriver>
#include <QVariant>
#include <memory>
#include <sqlite3.h>

namespace history {
namespace {

QSqlError sqliteError(sqlite3* handle) {
  return QSqlError(QStringLiteral("Impossible d'insérer les épisodes"), QString::fromUtf8(sqlite3_errmsg(handle)),
                   QSqlError::StatementError, QString::number(sqlite3_extended_errcode(handle)));
}

struct StatementDeleter {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

}  // namespace

std::optional<QSqlError> insertEpisodesIntoSqlite(const QSqlDatabase& db,
                                                  const std::vector<const Observation*>& opened, qint64 now,
                                                  const std::function<bool(const QString&)>& sinceAtLeast,
                                                  const std::function<void(const Observation&, qint64)>& inserted) {
  const QVariant handleVariant = db.driver()->handle();
  if (qstrcmp(handleVariant.typeName(), "sqlite3*") != 0 || !handleVariant.data())
    return QSqlError(QStringLiteral("Impossible d'insérer les épisodes"),
                     QStringLiteral("la connexion n'est pas une base SQLite"), QSqlError::ConnectionError);
  sqlite3* handle = *static_cast<sqlite3* const*>(handleVariant.constData());
  if (opened.empty()) return std::nullopt;

  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(handle,
                         "INSERT INTO lock_episodes (dictionary, table_name, record_no, row_id, user_name, os_login, "
                         "application, lock_type, first_seen, last_seen, since_at_least, is_open) "
                         "VALUES (?,?,?,?,?,?,?,?,?,?,?,1)",
                         -1, &raw, nullptr) != SQLITE_OK)
    return sqliteError(handle);
  const std::unique_ptr<sqlite3_stmt, StatementDeleter> statement(raw);
  sqlite3_bind_int64(raw, 9, now);
  sqlite3_bind_int64(raw, 10, now);
  for (const Observation* observation : opened) {
    const Observation& o = *observation;
    // SQLite copies each text: the UTF-8 buffers need not outlive the step.
    int column = 1;
    for (const QString* text : {&o.dictionary, &o.table}) {
      const QByteArray utf8 = text->toUtf8();
      sqlite3_bind_text(raw, column++, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    }
    sqlite3_bind_int64(raw, column++, o.record);
    for (const QString* text : {&o.rowId, &o.userName, &o.osLogin, &o.application, &o.lockType}) {
      const QByteArray utf8 = text->toUtf8();
      sqlite3_bind_text(raw, column++, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    }
    sqlite3_bind_int(raw, 11, sinceAtLeast(o.dictionary) ? 1 : 0);
    if (sqlite3_step(raw) != SQLITE_DONE) return sqliteError(handle);
    sqlite3_reset(raw);
    inserted(o, sqlite3_last_insert_rowid(handle));
  }
  return std::nullopt;
}

}  // namespace history
