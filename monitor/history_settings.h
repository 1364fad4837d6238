// history_settings.h: where the monitor keeps its lock history and for how long, as kept
// in the user's settings, and the opening of that history.
#ifndef BREVANTIS_MONITOR_HISTORY_SETTINGS_H
#define BREVANTIS_MONITOR_HISTORY_SETTINGS_H

#include <QString>
#include <memory>

#include "episode_store.h"

class QSettings;

namespace monitor {

struct HistorySettings {
    QString location;        // a file path or a postgresql:// address; empty: the local file
    int retentionDays = 30;  // at least 1
};

// Reads the settings from their group in `store`; a missing or unusable value gives its
// default. Writes the defaults back when missing, so that the user finds them to edit.
HistorySettings loadHistorySettings(QSettings& store);

// A store opened at `location` (empty: the local file in the user's data folder) keeping
// `retentionDays`. Never null; when it cannot record, `messages` has been told why in French
// and the store stays not ready, so the monitoring goes on without it.
// REQUIRES: a QCoreApplication whose names are set.
std::unique_ptr<history::EpisodeStore> openHistory(const QString& location, int retentionDays,
                                                   history::EpisodeStore::MessageSink messages);

}  // namespace monitor

#endif  // BREVANTIS_MONITOR_HISTORY_SETTINGS_H
