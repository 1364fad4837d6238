// The `historique` subcommand of the command-line lock tool: prints the episodes of a
// range as a table, CSV or JSON.
#pragma once

#include "episode_store.h"
#include "history_location.h"
#include "observation.h"

#include <QString>
#include <QTextStream>
#include <optional>
#include <vector>

namespace history {

enum class OutputFormat { Table, Csv, Json };

// "table", "csv" or "json"; nullopt for anything else.
std::optional<OutputFormat> parseOutputFormat(const QString& text);

// A hold's length in French, e.g. "45 s", "2 min 15 s", "1 h 05 min 00 s", "2 j 03 h 10 min".
QString formatDuration(qint64 ms);

// The column titles, the same as the history view's.
QStringList episodeTitles();
// One episode's cells under those titles, times in local time; "Vu depuis" reads
// "depuis au moins …" when the episode began before it was first seen.
QStringList episodeCells(const Episode& episode);

// Writes the episodes: an aligned table, CSV (';', quoted where needed) or a JSON array.
void writeEpisodes(const std::vector<Episode>& episodes, OutputFormat format, QTextStream& out);

struct HistoryCommand {
  Location location;
  QString since = QStringLiteral("24h");
  OutputFormat format = OutputFormat::Table;
  QString filter;
  StoreOptions store;  // the user's retention: opening prunes with it
};

// Runs `historique`: 0 when episodes were printed, 1 when there were none, 2 on an error
// (its French message on `err`). Opening the history prunes it, as any start does.
int runHistoryCommand(const HistoryCommand& command, QTextStream& out, QTextStream& err,
                      const QDateTime& now = QDateTime::currentDateTimeUtc());

}  // namespace history
