// Formats the history's episodes for the command line.
#include "history_output.h"

#include "episode_query.h"
#include "episode_store.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <limits>

namespace history {
namespace {

QString localTime(const QDateTime& time) {
  return time.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

QString csvCell(const QString& value) {
  if (!value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('"')) &&
      !value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r')))
    return value;
  QString quoted = value;
  quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

void writeTable(const std::vector<Episode>& episodes, QTextStream& out) {
  const QStringList titles = episodeTitles();
  std::vector<QStringList> rows;
  std::vector<qsizetype> widths;
  for (const QString& title : titles) widths.push_back(title.size());
  for (const Episode& e : episodes) {
    rows.push_back(episodeCells(e));
    for (qsizetype i = 0; i < rows.back().size(); ++i)
      widths[static_cast<size_t>(i)] = std::max(widths[static_cast<size_t>(i)], rows.back()[i].size());
  }
  auto line = [&](const QStringList& cells) {
    QStringList padded;
    for (qsizetype i = 0; i < cells.size(); ++i)
      padded << (i + 1 < cells.size() ? cells[i].leftJustified(widths[static_cast<size_t>(i)]) : cells[i]);
    out << padded.join(QStringLiteral("  ")) << '\n';
  };
  line(titles);
  for (const QStringList& row : rows) line(row);
}

void writeCsv(const std::vector<Episode>& episodes, QTextStream& out) {
  auto line = [&](const QStringList& cells) {
    QStringList quoted;
    for (const QString& cell : cells) quoted << csvCell(cell);
    out << quoted.join(QLatin1Char(';')) << "\r\n";
  };
  line(episodeTitles());
  for (const Episode& e : episodes) line(episodeCells(e));
}

void writeJson(const std::vector<Episode>& episodes, QTextStream& out) {
  QJsonArray array;
  for (const Episode& e : episodes) {
    array.append(QJsonObject{
        {QStringLiteral("dictionnaire"), e.lock.dictionary},
        {QStringLiteral("table"), e.lock.table},
        {QStringLiteral("enregistrement"), e.lock.record},
        {QStringLiteral("rowid"), e.lock.rowId},
        {QStringLiteral("utilisateur"), e.lock.userName},
        {QStringLiteral("login_os"), e.lock.osLogin},
        {QStringLiteral("application"), e.lock.application},
        {QStringLiteral("type_lock"), e.lock.lockType},
        {QStringLiteral("vu_depuis"), e.firstSeen.toUTC().toString(Qt::ISODateWithMs)},
        {QStringLiteral("vu_jusqu_a"), e.lastSeen.toUTC().toString(Qt::ISODateWithMs)},
        {QStringLiteral("duree_ms"), e.durationMs()},
        {QStringLiteral("depuis_au_moins"), e.sinceAtLeast},
        {QStringLiteral("en_cours"), e.open},
    });
  }
  out << QJsonDocument(array).toJson(QJsonDocument::Indented);
}

}  // namespace

std::optional<OutputFormat> parseOutputFormat(const QString& text) {
  if (text == QLatin1String("table")) return OutputFormat::Table;
  if (text == QLatin1String("csv")) return OutputFormat::Csv;
  if (text == QLatin1String("json")) return OutputFormat::Json;
  return std::nullopt;
}

QString formatDuration(qint64 ms) {
  const qint64 total = std::max<qint64>(0, ms) / 1000;
  const qint64 days = total / 86400, hours = total / 3600 % 24, minutes = total / 60 % 60,
               seconds = total % 60;
  auto two = [](qint64 v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
  if (days > 0) return QStringLiteral("%1 j %2 h %3 min").arg(days).arg(two(hours), two(minutes));
  if (hours > 0) return QStringLiteral("%1 h %2 min %3 s").arg(hours).arg(two(minutes), two(seconds));
  if (minutes > 0) return QStringLiteral("%1 min %2 s").arg(minutes).arg(seconds);
  return QStringLiteral("%1 s").arg(seconds);
}

QStringList episodeTitles() {
  return {QStringLiteral("Dictionnaire"), QStringLiteral("Table"),       QStringLiteral("Enregistrement"),
          QStringLiteral("ROWID"),        QStringLiteral("Utilisateur"), QStringLiteral("Login OS"),
          QStringLiteral("Application"),  QStringLiteral("Type de lock"), QStringLiteral("Vu depuis"),
          QStringLiteral("Vu jusqu'à"),   QStringLiteral("Durée")};
}

QStringList episodeCells(const Episode& e) {
  const QString since = e.sinceAtLeast ? QStringLiteral("depuis au moins %1").arg(localTime(e.firstSeen))
                                       : localTime(e.firstSeen);
  return {e.lock.dictionary, e.lock.table,       QString::number(e.lock.record), e.lock.rowId,
          e.lock.userName,   e.lock.osLogin,     e.lock.application,             e.lock.lockType,
          since,             localTime(e.lastSeen), formatDuration(e.durationMs())};
}

void writeEpisodes(const std::vector<Episode>& episodes, OutputFormat format, QTextStream& out) {
  switch (format) {
    case OutputFormat::Table:
      return writeTable(episodes, out);
    case OutputFormat::Csv:
      return writeCsv(episodes, out);
    case OutputFormat::Json:
      return writeJson(episodes, out);
  }
}

int runHistoryCommand(const HistoryCommand& command, QTextStream& out, QTextStream& err,
                      const QDateTime& now) {
  QString error;
  const auto range = parseSince(command.since, now, &error);
  if (!range) {
    err << error << '\n';
    return 2;
  }
  EpisodeStore store([&](const QString& message) { err << message << '\n'; }, command.store);
  if (!store.open(command.location, now)) return 2;
  const auto page = queryEpisodes(store.database(),
                                  {*range, command.filter, std::numeric_limits<int>::max()}, &error);
  if (!page) {
    err << QStringLiteral("Lecture de l'historique des locks impossible : %1").arg(error) << '\n';
    return 2;
  }
  writeEpisodes(page->episodes, command.format, out);
  return page->episodes.empty() ? 1 : 0;
}

}  // namespace history
