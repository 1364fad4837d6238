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
#include "monitor/lock_order.h"

namespace monitor {

// A refreshed snapshot with its rows in the order of the key the refresh was asked for.
struct SortedSnapshot {
    std::shared_ptr<const TrackedSnapshot> snapshot;
    SortKey sortedBy;
    std::vector<int> rows;  // indexes of snapshot->locks, in order
};

class BackgroundRefresher : public QObject {
    Q_OBJECT
  public:
    // Starts the thread; its LockMonitor connects with `credentials`. `observer` (may be
    // null, not owned, must outlive this) is told of every snapshot, on the refresh thread.
    explicit BackgroundRefresher(Credentials credentials, SnapshotObserver* observer = nullptr,
                                 QObject* parent = nullptr);
    // Cancels a running refresh and waits for the thread to end; the adopted observers go
    // with it, on the refresh thread.
    ~BackgroundRefresher() override;

    // Tells `observer` of every later snapshot, on the refresh thread, where it is also
    // destroyed: what it opens there (a database connection) stays on that one thread.
    void adoptObserver(std::unique_ptr<SnapshotObserver> observer);

    // Starts a refresh of `dictionaries` unless one is running; returns whether it started.
    // refreshed() follows, on this object's thread, with the rows sorted by `sortBy`.
    bool refresh(const std::vector<WatchedDictionary>& dictionaries, SortKey sortBy = {});
    bool busy() const { return busy_; }

    // Lets go of `snapshot` on the refresh thread, so that freeing 100,000 rows costs the
    // caller's thread nothing.
    void release(std::shared_ptr<const TrackedSnapshot> snapshot);

  signals:
    void refreshed(std::shared_ptr<const monitor::SortedSnapshot> result);

  private:
    QThread thread_;
    QObject* context_;  // lives in thread_; the monitor is used only from there
    std::unique_ptr<LockMonitor> monitor_;
    std::vector<std::unique_ptr<SnapshotObserver>> adopted_;  // used on thread_ only
    std::atomic<bool> cancel_{false};
    bool busy_ = false;
};

}  // namespace monitor

#endif  // BREVANTIS_MONITOR_BACKGROUND_REFRESHER_H
