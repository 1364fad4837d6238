// monitor_settings.h: what the monitor window keeps between runs.
#ifndef BREVANTIS_MONITOR_MONITOR_SETTINGS_H
#define BREVANTIS_MONITOR_MONITOR_SETTINGS_H

#include <QByteArray>
#include <QList>
#include <QStringList>

class QSettings;

namespace monitor {

// The refresh intervals offered, in seconds.
inline const QList<int> kIntervals = {2, 5, 10, 30, 60};

struct MonitorSettings {
    int intervalSeconds = 5;    // one of kIntervals
    int thresholdSeconds = 60;  // held longer than this reads in red; at least 1
    QStringList dictionaries;   // alias names watched; empty: none chosen yet (watch all)
    QList<int> columnWidths;    // in column order; empty: the defaults
    QByteArray geometry;        // QWidget::saveGeometry; empty: the default place

    bool operator==(const MonitorSettings&) const = default;
};

// Reads the settings from their group in `store`; a missing or unusable value gives its
// default (an interval not offered gives 5, a threshold below 1 gives 60).
MonitorSettings loadMonitorSettings(QSettings& store);

// Writes every setting to its group in `store`.
void saveMonitorSettings(QSettings& store, const MonitorSettings& settings);

}  // namespace monitor

#endif  // BREVANTIS_MONITOR_MONITOR_SETTINGS_H
