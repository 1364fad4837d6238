// history_page.h: the monitor window's lock history: the store the "Historique" tab reads,
// the recorder of each refresh, and the line that says once why it cannot record.
#ifndef BREVANTIS_MONITOR_WINDOW_HISTORY_PAGE_H
#define BREVANTIS_MONITOR_WINDOW_HISTORY_PAGE_H

#include <QPointer>
#include <chrono>
#include <memory>
#include <vector>

#include "episode_store.h"
#include "monitor/lock_collector.h"
#include "monitor/history_settings.h"
#include "monitor/lock_row.h"

class QLabel;
class QSettings;

namespace history {
class HistoryTab;
}

namespace monitor {

class HistoryRecorder;

class HistoryPage {
  public:
    // Opens the history named by the settings in `settings`. The tab and the message line are
    // made without a parent, for the window to place.
    explicit HistoryPage(QSettings& settings);
    // Deletes the tab first: it reads the store until then.
    ~HistoryPage();
    HistoryPage(const HistoryPage&) = delete;
    HistoryPage& operator=(const HistoryPage&) = delete;

    // A recorder of every refresh into the same history, for the refresh thread. A store
    // that cannot write says so once in the message line; the monitoring goes on.
    std::unique_ptr<HistoryRecorder> recorder() const;

    history::HistoryTab* tab() const { return tab_; }
    QLabel* messageLine() const { return message_; }
    history::EpisodeStore& store() const { return *store_; }

  private:
    void say(const QString& message) const;

    HistorySettings kept_;
    QPointer<QLabel> message_;
    std::unique_ptr<history::EpisodeStore> store_;
    QPointer<history::HistoryTab> tab_;
};

}  // namespace monitor

#endif  // BREVANTIS_MONITOR_WINDOW_HISTORY_PAGE_H
