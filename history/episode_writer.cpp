// Turns a refresh into inserts and set-based updates of the episode table.
#include "episode_writer.h"

#include "sqlite_episode_insert.h"

#include <QSet>
#include <QUuid>
#include <QVariant>

namespace history {
namespace {

// Ids per UPDATE … WHERE id IN (…): one statement for most refreshes, short enough for any server.
constexpr size_t kIdsPerStatement = 5000;

const QString kOwnedLockColumns =
    QStringLiteral("dictionary, table_name, record_no, user_name, os_login, application");

// Rows per INSERT on a shared server: few round trips, their ids returned.
constexpr int kRowsPerInsert = 50;

// No merge clause: the writer knows every open episode when it inserts, and an open episode
// it did not know of fails the unique index, so the refresh is written again from what the
// history holds.
QString insertStatement(int rows) {
  QStringList tuples;
  tuples.reserve(rows);
  for (int i = 0; i < rows; ++i) tuples << QStringLiteral("(?,?,?,?,?,?,?,?,?,?,?,1)");
  return QStringLiteral(
             "INSERT INTO lock_episodes (dictionary, table_name, record_no, row_id, user_name, "
             "os_login, application, lock_type, first_seen, last_seen, since_at_least, is_open) "
             "VALUES %1 RETURNING id, %2")
      .arg(tuples.join(QLatin1Char(',')), kOwnedLockColumns);
}

QSqlQuery prepared(const QSqlDatabase& db, const QString& sql) {
  QSqlQuery query(db);
  query.prepare(sql);
  return query;
}

std::optional<QSqlError> run(QSqlQuery& query, const QVariantList& values) {
  for (int i = 0; i < values.size(); ++i) query.bindValue(i, values[i]);
  if (query.exec()) return std::nullopt;
  return query.lastError();
}

}  // namespace

EpisodeWriter::EpisodeWriter(const QSqlDatabase& db, const SqlDialect& dialect)
    : db_(db),
      dialect_(dialect),
      readMark_(prepared(db, QStringLiteral("SELECT value FROM history_meta WHERE name = 'writer'"))),
      writeMark_(prepared(db, QStringLiteral("INSERT INTO history_meta (name, value) VALUES ('writer', ?) "
                                             "ON CONFLICT (name) DO UPDATE SET value = excluded.value"))),
      lastRefresh_(prepared(db, QStringLiteral("SELECT last_refresh FROM lock_refreshes WHERE dictionary = ?"))),
      markRefresh_(prepared(db, QStringLiteral("INSERT INTO lock_refreshes (dictionary, last_refresh) VALUES (?, ?) "
                                               "ON CONFLICT (dictionary) DO UPDATE SET last_refresh = %1")
                                    .arg(dialect.greatest(QStringLiteral("lock_refreshes.last_refresh"),
                                                          QStringLiteral("excluded.last_refresh"))))),
      closeStale_(prepared(db, QStringLiteral("UPDATE lock_episodes SET is_open = 0 WHERE is_open = 1 AND "
                                              "dictionary = ? AND last_seen < ?"))),
      readOpen_(prepared(db, QStringLiteral("SELECT id, %1 FROM lock_episodes WHERE is_open = 1 AND dictionary = ?")
                                 .arg(kOwnedLockColumns))),
      insertBatch_(dialect.sqlite ? QSqlQuery(db) : prepared(db, insertStatement(kRowsPerInsert))) {
  for (QSqlQuery* query : {&readMark_, &lastRefresh_, &readOpen_}) query->setForwardOnly(true);
}

void EpisodeWriter::forget() {
  open_.forget();
  mark_.clear();
}

std::optional<QSqlError> EpisodeWriter::write(const Refresh& refresh) {
  const qint64 now = refresh.at.toMSecsSinceEpoch();
  const qint64 interval = refresh.interval.count();
  // Two intervals (a failed refresh, a quick restart), plus half of one for timer drift
  // and the time a refresh takes.
  const qint64 continuityLimit = now - (2 * interval + interval / 2);

  QStringList dictionaries = refresh.dictionaries;
  for (const Observation& o : refresh.observations)
    if (!dictionaries.contains(o.dictionary)) dictionaries << o.dictionary;

  // What this writer knows holds only while it was the last to write, and for refreshes in
  // time order.
  if (auto error = run(readMark_, {})) return error;
  const QString mark = readMark_.next() ? readMark_.value(0).toString() : QString();
  readMark_.finish();
  if (mark_.isEmpty() || mark != mark_ || now <= lastWrittenMs_) open_.forget();

  // Dictionaries watched after a gap: their open episodes ended, and their new ones began at
  // some unknown earlier time.
  QSet<QString> afterGap;
  for (const QString& dictionary : dictionaries) {
    if (auto error = run(lastRefresh_, {dictionary})) return error;
    const bool gap = !lastRefresh_.next() || lastRefresh_.value(0).toLongLong() < continuityLimit;
    lastRefresh_.finish();
    if (gap) afterGap << dictionary;
    if (!gap && open_.knows(dictionary)) continue;
    if (auto error = run(closeStale_, {dictionary, continuityLimit})) return error;
    if (auto error = learnOpenEpisodes(dictionary)) return error;
  }

  const RefreshDiff diff = open_.compare(refresh, dictionaries);
  // A row another writer saw later than this refresh keeps its later sighting, and stays open.
  const QString newer = QString::number(now);
  if (auto error = updateByIds(QStringLiteral("UPDATE lock_episodes SET is_open = 0 WHERE is_open = 1 AND "
                                              "last_seen < %1 AND id IN (%2)").arg(newer),
                               diff.released))
    return error;
  if (auto error = updateByIds(QStringLiteral("UPDATE lock_episodes SET last_seen = %1 WHERE is_open = 1 AND "
                                              "last_seen < %1 AND id IN (%2)").arg(newer),
                               diff.continuing))
    return error;
  open_.dropReleased(diff);
  if (auto error = insertOpened(diff.opened, now, afterGap)) return error;

  for (const QString& dictionary : dictionaries)
    if (auto error = run(markRefresh_, {dictionary, now})) return error;
  const QString newMark = QUuid::createUuid().toString(QUuid::WithoutBraces);
  if (auto error = run(writeMark_, {newMark})) return error;
  mark_ = newMark;
  lastWrittenMs_ = now;
  return std::nullopt;
}

std::optional<QSqlError> EpisodeWriter::learnOpenEpisodes(const QString& dictionary) {
  if (auto error = run(readOpen_, {dictionary})) return error;
  QHash<OwnedLock, qint64> episodes;
  while (readOpen_.next())
    episodes.insert({readOpen_.value(2).toString(), readOpen_.value(3).toLongLong(), readOpen_.value(4).toString(),
                     readOpen_.value(5).toString(), readOpen_.value(6).toString()},
                    readOpen_.value(0).toLongLong());
  readOpen_.finish();
  open_.set(dictionary, std::move(episodes));
  return std::nullopt;
}

std::optional<QSqlError> EpisodeWriter::updateByIds(const QString& statement, const std::vector<qint64>& ids) {
  QSqlQuery query(db_);
  for (size_t start = 0; start < ids.size(); start += kIdsPerStatement) {
    QStringList list;
    const size_t end = std::min(ids.size(), start + kIdsPerStatement);
    list.reserve(static_cast<qsizetype>(end - start));
    for (size_t i = start; i < end; ++i) list << QString::number(ids[i]);
    if (!query.exec(statement.arg(list.join(QLatin1Char(','))))) return query.lastError();
  }
  return std::nullopt;
}

std::optional<QSqlError> EpisodeWriter::insertOpened(const std::vector<const Observation*>& opened, qint64 now,
                                                     const QSet<QString>& afterGap) {
  // SQLite, in this process: the new rows' values are bound without the driver, one row a
  // statement, each id read back from the connection.
  if (dialect_.sqlite)
    return insertEpisodesIntoSqlite(
        db_, opened, now, [&](const QString& dictionary) { return afterGap.contains(dictionary); },
        [&](const Observation& o, qint64 id) { open_.add(o.dictionary, ownedLockOf(o), id); });
  const int batch = kRowsPerInsert;
  const QString* gapDictionary = nullptr;  // the dictionary `sinceAtLeast` was looked up for
  int sinceAtLeast = 0;
  for (size_t start = 0; start < opened.size(); start += static_cast<size_t>(batch)) {
    const int rows = static_cast<int>(std::min<size_t>(static_cast<size_t>(batch), opened.size() - start));
    QSqlQuery partial(db_);
    QSqlQuery& insert = rows == batch ? insertBatch_ : partial;
    if (rows != batch) insert.prepare(insertStatement(rows));
    int value = 0;
    for (int i = 0; i < rows; ++i) {
      const Observation& o = *opened[start + static_cast<size_t>(i)];
      if (!gapDictionary || o.dictionary != *gapDictionary) {
        gapDictionary = &o.dictionary;
        sinceAtLeast = afterGap.contains(o.dictionary) ? 1 : 0;
      }
      insert.bindValue(value++, o.dictionary);
      insert.bindValue(value++, o.table);
      insert.bindValue(value++, o.record);
      insert.bindValue(value++, o.rowId);
      insert.bindValue(value++, o.userName);
      insert.bindValue(value++, o.osLogin);
      insert.bindValue(value++, o.application);
      insert.bindValue(value++, o.lockType);
      insert.bindValue(value++, now);
      insert.bindValue(value++, now);
      insert.bindValue(value++, sinceAtLeast);
    }
    if (!insert.exec()) return insert.lastError();
    // The ids come back in no promised order: match them by lock and owner.
    while (insert.next())
      open_.add(insert.value(1).toString(),
                {insert.value(2).toString(), insert.value(3).toLongLong(), insert.value(4).toString(),
                 insert.value(5).toString(), insert.value(6).toString()},
                insert.value(0).toLongLong());
    insert.finish();
  }
  return std::nullopt;
}

}  // namespace history
