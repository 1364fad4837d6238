// history_cli.h: brevantis-locks and the lock history: the `historique` command, and the
// history that --suivre records in.
#ifndef BREVANTIS_MONITOR_CLI_HISTORY_CLI_H
#define BREVANTIS_MONITOR_CLI_HISTORY_CLI_H

#include <functional>
#include <memory>

#include "episode_store.h"
#include "monitor/cli/cli_options.h"

namespace monitor::cli {

// Prints the episodes `options` asks for on the standard output. Returns 0 when there were
// some, 1 when none, 2 on an error (its French message on the error output).
// REQUIRES: options.showHistory.
int printHistory(const CliOptions& options);

// The history --suivre records in: --historique, else the one kept for the window.
// Never null; one that cannot record has told `messages` why, and stays not ready.
std::unique_ptr<history::EpisodeStore> openFollowHistory(
    const CliOptions& options, const std::function<void(const QString&)>& messages);

}  // namespace monitor::cli

#endif  // BREVANTIS_MONITOR_CLI_HISTORY_CLI_H
