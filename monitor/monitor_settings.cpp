// monitor_settings.cpp: loading and saving MonitorSettings.
#include "monitor/monitor_settings.h"

#include <QSettings>

namespace monitor {
namespace {

const QString kGroup = QStringLiteral("SurveillanceLocks");

}  // namespace

MonitorSettings loadMonitorSettings(QSettings& store) {
    MonitorSettings s;
    store.beginGroup(kGroup);
    bool ok = false;
    const int interval = store.value(QStringLiteral("intervalle")).toInt(&ok);
    if (ok && kIntervals.contains(interval)) s.intervalSeconds = interval;
    const int threshold = store.value(QStringLiteral("seuil")).toInt(&ok);
    if (ok && threshold >= 1) s.thresholdSeconds = threshold;
    s.dictionaries = store.value(QStringLiteral("dictionnaires")).toStringList();
    for (const QVariant& w : store.value(QStringLiteral("largeursColonnes")).toList()) {
        const int width = w.toInt(&ok);
        if (!ok || width <= 0) {
            s.columnWidths.clear();
            break;
        }
        s.columnWidths << width;
    }
    s.geometry = store.value(QStringLiteral("geometrie")).toByteArray();
    store.endGroup();
    return s;
}

void saveMonitorSettings(QSettings& store, const MonitorSettings& s) {
    store.beginGroup(kGroup);
    store.setValue(QStringLiteral("intervalle"), s.intervalSeconds);
    store.setValue(QStringLiteral("seuil"), s.thresholdSeconds);
    store.setValue(QStringLiteral("dictionnaires"), s.dictionaries);
    QVariantList widths;
    for (int w : s.columnWidths) widths << w;
    store.setValue(QStringLiteral("largeursColonnes"), widths);
    store.setValue(QStringLiteral("geometrie"), s.geometry);
    store.endGroup();
}

}  // namespace monitor
