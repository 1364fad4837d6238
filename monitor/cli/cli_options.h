// cli_options.h: what brevantis-locks is asked to do, read from its arguments and
// environment, and the dictionaries it names resolved to paths.
#ifndef BREVANTIS_MONITOR_CLI_CLI_OPTIONS_H
#define BREVANTIS_MONITOR_CLI_CLI_OPTIONS_H

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "monitor/lock_collector.h"

namespace monitor::cli {

enum class OutputFormat { Table, Csv, Json };

struct CliOptions {
    bool help = false;
    OutputFormat format = OutputFormat::Table;
    QString iniFile;           // empty: ads.ini beside the program
    bool follow = false;       // --suivre
    int intervalSeconds = 5;   // --intervalle, for --suivre
    Credentials credentials;   // the administrator's unless given
    QStringList dictionaries;  // aliases or dictionary paths; empty: every alias offered
    bool showHistory = false;     // the `historique` command: print the lock history
    QString since;                // --depuis, for `historique`; empty: its default
    QString filter;               // --filtre, for `historique`: as the window's filter
    bool recordHistory = true;    // --suivre records in the lock history unless --sans-historique
    QString historyLocation;      // --historique; empty: the kept setting
};

// The environment variables that give the credentials when the options do not.
inline const char* const kUserVariable = "BREVANTIS_UTILISATEUR";
inline const char* const kPasswordVariable = "BREVANTIS_MOT_DE_PASSE";

// Reads `arguments` (without the program's name). A first name "historique" is the command
// that prints the lock history, not a dictionary. `environment` answers a variable's value,
// empty when unset. Returns the options, or nothing with `error` set to a French message.
std::optional<CliOptions> parseArguments(const QStringList& arguments,
                                         const std::function<QString(const char*)>& environment,
                                         QString& error);

// The --help text.
QString helpText();

// The dictionaries of `options` as the monitor watches them: a name that is a key of the
// "Databases" section of the ini file (compared without regard to letter case) gives its
// value less its last two characters and keeps the name; any other name must be an existing
// file and is used as the path. With no name, every offered alias of the file. Returns
// nothing with `error` set when a name is neither, or when nothing is left to watch.
std::optional<std::vector<WatchedDictionary>> resolveDictionaries(const CliOptions& options,
                                                                  const QString& iniFile,
                                                                  QString& error);

}  // namespace monitor::cli

#endif  // BREVANTIS_MONITOR_CLI_CLI_OPTIONS_H
