// cli_output.h: what brevantis-locks prints for a snapshot, once or while following.
#ifndef BREVANTIS_MONITOR_CLI_CLI_OUTPUT_H
#define BREVANTIS_MONITOR_CLI_CLI_OUTPUT_H

#include <QByteArray>

#include "monitor/cli/cli_options.h"
#include "monitor/lock_row.h"

namespace monitor::cli {

// The current locks of `snapshot` in `format` (UTF-8): the window's columns.
QByteArray renderLocks(const TrackedSnapshot& snapshot, OutputFormat format);

// While following: one line per lock that appeared ("pris"; every current lock when
// `first`) and per lock released ("libéré", with how long it was held), UTF-8.
QByteArray followLines(const TrackedSnapshot& snapshot, bool first);

// One line per dictionary that failed, UTF-8, for the error output.
QByteArray failureLines(const TrackedSnapshot& snapshot);

}  // namespace monitor::cli

#endif  // BREVANTIS_MONITOR_CLI_CLI_OUTPUT_H
