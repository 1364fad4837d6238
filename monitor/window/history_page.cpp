// history_page.cpp: recording the window's refreshes and showing the history's messages.
#include "monitor/window/history_page.h"

#include <QLabel>
#include <QSettings>

#include "history_tab.h"
#include "monitor/history_adapter.h"
#include "monitor/history_settings.h"

namespace monitor {

HistoryPage::HistoryPage(QSettings& settings) : message_(new QLabel) {
    message_->setObjectName(QStringLiteral("LabelHistorique"));
    message_->setStyleSheet(QStringLiteral("color: #b00000;"));
    message_->setWordWrap(true);
    message_->hide();
    const HistorySettings kept = loadHistorySettings(settings);
    // The store says each failure once; the line keeps the last one in view.
    store_ = openHistory(kept.location, kept.retentionDays, [label = message_](const QString& m) {
        if (!label) return;
        label->setText(m);
        label->show();
    });
    tab_ = new history::HistoryTab(store_.get());
    tab_->setObjectName(QStringLiteral("OngletHistorique"));
    // The chart and its controls must not make the whole window taller than the user set it.
    tab_->setMinimumSize(100, 60);
}

HistoryPage::~HistoryPage() {
    delete tab_.data();
}

void HistoryPage::record(const TrackedSnapshot& snapshot,
                         const std::vector<WatchedDictionary>& watched,
                         std::chrono::milliseconds interval) {
    store_->record(toHistoryRefresh(snapshot, watched, interval));
}

}  // namespace monitor
