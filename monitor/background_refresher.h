// background_refresher.h: refreshes in a thread of their own, so that a window stays
// responsive however many locks there are, and never two at once.
#ifndef BREVANTIS_MONITOR_BACKGROUND_REFRESHER_H
#define BREVANTIS_MONITOR_BACKGROUND_REFRESHER_H

#include <QObject>
#include <QThread>
#include <atomic>
#include <memory>
#include <vector>

#include "monitor/lock_monitor.h"

namespace monitor {

class BackgroundRefresher : public QObject {
    Q_OBJECT
  public:
    // Starts the thread; its LockMonitor connects with `credentials`. `observer` (may be
    // null, not owned, must outlive this) is told of every snapshot, on the refresh thread.
    explicit BackgroundRefresher(Credentials credentials, SnapshotObserver* observer = nullptr,
                                 QObject* parent = nullptr);
    // Cancels a running refresh and waits for the thread to end.
    ~BackgroundRefresher() override;

    // Starts a refresh of `dictionaries` unless one is running; returns whether it started.
    // refreshed() follows, on this object's thread.
    bool refresh(const std::vector<WatchedDictionary>& dictionaries);
    bool busy() const { return busy_; }

  signals:
    void refreshed(std::shared_ptr<const monitor::TrackedSnapshot> snapshot);

  private:
    QThread thread_;
    QObject* context_;  // lives in thread_; the monitor is used only from there
    std::unique_ptr<LockMonitor> monitor_;
    std::atomic<bool> cancel_{false};
    bool busy_ = false;
};

}  // namespace monitor

#endif  // BREVANTIS_MONITOR_BACKGROUND_REFRESHER_H
