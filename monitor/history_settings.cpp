// history_settings.cpp: the history's kept settings and its opening.
#include "monitor/history_settings.h"

#include <QSettings>
#include <algorithm>

namespace monitor {
namespace {

const QString kLocation = QStringLiteral("Historique/Emplacement");
const QString kRetention = QStringLiteral("Historique/RetentionJours");

}  // namespace

HistorySettings loadHistorySettings(QSettings& store) {
    HistorySettings s;
    s.location = store.value(kLocation).toString().trimmed();
    bool ok = false;
    const int days = store.value(kRetention).toInt(&ok);
    if (ok && days >= 1) s.retentionDays = days;
    if (!store.contains(kLocation)) store.setValue(kLocation, s.location);
    if (!store.contains(kRetention)) store.setValue(kRetention, s.retentionDays);
    return s;
}

std::unique_ptr<history::EpisodeStore> openHistory(const QString& location, int retentionDays,
                                                   history::EpisodeStore::MessageSink messages) {
    history::StoreOptions options;
    options.retention = std::chrono::days(std::max(1, retentionDays));
    auto store = std::make_unique<history::EpisodeStore>(messages, options);
    QString error;
    const std::optional<history::Location> where =
        location.isEmpty() ? history::defaultLocation() : history::parseLocation(location, &error);
    if (!where) {
        if (messages)
            messages(error + QStringLiteral(" La surveillance continue sans historique."));
        return store;
    }
    store->open(*where);
    return store;
}

}  // namespace monitor
