// history_cli.cpp: where the command line finds the lock history, and its printing.
#include "monitor/cli/history_cli.h"

#include <QSettings>
#include <QTextStream>
#include <cstdio>

#include "history_output.h"
#include "monitor/history_settings.h"

namespace monitor::cli {
namespace {

// --historique, else the window's kept setting (read only then, so that naming a history
// leaves the user's settings alone).
HistorySettings historySettings(const CliOptions& options) {
    if (!options.historyLocation.isEmpty()) return {options.historyLocation};
    QSettings kept(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Brevantis"),
                   QStringLiteral("Brevantis"));
    return loadHistorySettings(kept);
}

history::OutputFormat historyFormat(OutputFormat format) {
    switch (format) {
        case OutputFormat::Csv: return history::OutputFormat::Csv;
        case OutputFormat::Json: return history::OutputFormat::Json;
        case OutputFormat::Table: break;
    }
    return history::OutputFormat::Table;
}

}  // namespace

int printHistory(const CliOptions& options) {
    QTextStream out(stdout), err(stderr);
    const HistorySettings settings = historySettings(options);
    QString error;
    const std::optional<history::Location> location =
        settings.location.isEmpty() ? history::defaultLocation()
                                    : history::parseLocation(settings.location, &error);
    if (!location) {
        err << QStringLiteral("brevantis-locks : %1\n").arg(error);
        return 2;
    }
    history::HistoryCommand command;
    command.location = *location;
    if (!options.since.isEmpty()) command.since = options.since;
    command.filter = options.filter;
    command.format = historyFormat(options.format);
    command.store.retention = std::chrono::days(settings.retentionDays);
    return history::runHistoryCommand(command, out, err);
}

std::unique_ptr<history::EpisodeStore> openFollowHistory(
    const CliOptions& options, const std::function<void(const QString&)>& messages) {
    const HistorySettings settings = historySettings(options);
    return openHistory(settings.location, settings.retentionDays, messages);
}

}  // namespace monitor::cli
