// Queries the history's episodes.
#include "episode_query.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace history {
namespace {

// A LIKE pattern that finds `text` anywhere, its own % and _ taken literally.
QString containsPattern(const QString& text) {
  QString escaped = text;
  escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
  escaped.replace(QLatin1Char('%'), QStringLiteral("\\%"));
  escaped.replace(QLatin1Char('_'), QStringLiteral("\\_"));
  return QLatin1Char('%') + escaped + QLatin1Char('%');
}

// `column` in small letters as far as `lowered` needs: SQLite's lower() changes ASCII letters
// only ("ÉLÈVE" gives "ÉlÈve"), so each accented letter of the text is also turned small in
// the column. Letters are all this puts in the statement.
QString foldedColumn(const QString& column, const QString& lowered) {
  QString expression = QStringLiteral("lower(%1)").arg(column);
  QString folded;
  for (const QChar letter : lowered) {
    const QChar capital = letter.toUpper();
    if (letter.unicode() < 0x80 || capital == letter || folded.contains(letter)) continue;
    folded += letter;
    expression = QStringLiteral("replace(%1, '%2', '%3')").arg(expression, capital, letter);
  }
  return expression;
}

QDateTime fromMs(qint64 ms) { return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC); }

}  // namespace

EpisodeCondition episodeCondition(qint64 fromMs, qint64 toMs, const QString& text) {
  EpisodeCondition condition{QStringLiteral("last_seen >= ? AND first_seen <= ?"), {fromMs, toMs}};
  const QString wanted = text.trimmed().toLower();
  if (!wanted.isEmpty()) {
    QStringList matches;
    for (const char* column : {"user_name", "os_login", "application", "table_name"}) {
      matches << QStringLiteral("%1 LIKE ? ESCAPE '\\'").arg(foldedColumn(QLatin1String(column), wanted));
      condition.values << containsPattern(wanted);
    }
    condition.sql += QStringLiteral(" AND (%1)").arg(matches.join(QStringLiteral(" OR ")));
  }
  return condition;
}

std::optional<EpisodePage> queryEpisodes(const QSqlDatabase& db, const EpisodeFilter& filter,
                                         QString* error) {
  const EpisodeCondition condition = episodeCondition(filter.range.from.toMSecsSinceEpoch(),
                                                      filter.range.to.toMSecsSinceEpoch(), filter.text);
  auto run = [&](QSqlQuery& query, const QString& sql) {
    query.setForwardOnly(true);
    query.prepare(sql);
    for (const QVariant& value : condition.values) query.addBindValue(value);
    if (query.exec()) return true;
    if (error) *error = query.lastError().text();
    return false;
  };
  EpisodePage page;
  QSqlQuery count(db);
  if (!run(count, QStringLiteral("SELECT COUNT(*) FROM lock_episodes WHERE ") + condition.sql) ||
      !count.next())
    return std::nullopt;
  page.total = count.value(0).toLongLong();

  QSqlQuery rows(db);
  const QString sql = QStringLiteral(
                          "SELECT id, dictionary, table_name, record_no, row_id, user_name, os_login, "
                          "application, lock_type, first_seen, last_seen, is_open, since_at_least "
                          "FROM lock_episodes WHERE %1 ORDER BY last_seen - first_seen DESC, "
                          "first_seen ASC, id ASC LIMIT %2")
                          .arg(condition.sql)
                          .arg(std::max(0, filter.limit));
  if (!run(rows, sql)) return std::nullopt;
  while (rows.next()) {
    Episode e;
    e.id = rows.value(0).toLongLong();
    e.lock = {rows.value(1).toString(), rows.value(2).toString(), rows.value(3).toLongLong(),
              rows.value(4).toString(), rows.value(5).toString(), rows.value(6).toString(),
              rows.value(7).toString(), rows.value(8).toString()};
    e.firstSeen = fromMs(rows.value(9).toLongLong());
    e.lastSeen = fromMs(rows.value(10).toLongLong());
    e.open = rows.value(11).toInt() != 0;
    e.sinceAtLeast = rows.value(12).toInt() != 0;
    page.episodes.push_back(std::move(e));
  }
  return page;
}

}  // namespace history
