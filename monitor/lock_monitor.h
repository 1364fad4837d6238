// lock_monitor.h: one refresh of the watched dictionaries, from the collection to the
// tracked snapshot, and the hook that hands every snapshot to whoever records it.
#ifndef BREVANTIS_MONITOR_LOCK_MONITOR_H
#define BREVANTIS_MONITOR_LOCK_MONITOR_H

#include <atomic>
#include <memory>
#include <vector>

#include "monitor/lock_collector.h"
#include "monitor/lock_tracker.h"

namespace monitor {

// Receives each snapshot right after its refresh, on the thread that ran the refresh, with
// the dictionaries it read. `snapshot.at` is the time of the refresh. Must not throw.
class SnapshotObserver {
  public:
    virtual ~SnapshotObserver() = default;
    virtual void snapshotTaken(const TrackedSnapshot& snapshot,
                               const std::vector<WatchedDictionary>& watched) = 0;
};

// Not thread-safe: one thread refreshes (the connections belong to it).
class LockMonitor {
  public:
    explicit LockMonitor(Credentials credentials);
    ~LockMonitor();

    // The dictionaries the next refreshes read. A dictionary kept keeps its connection.
    void setDictionaries(const std::vector<WatchedDictionary>& dictionaries);

    // Reads every watched dictionary and returns the tracked snapshot; a dictionary that
    // fails is reported in the snapshot's failures, its connection dropped to be made again
    // at the next refresh. Throws CollectionCancelled when `cancel` (may be null) becomes
    // true; the tracker then stays as it was. Observers are told before this returns.
    std::shared_ptr<const TrackedSnapshot> refresh(const std::atomic<bool>* cancel = nullptr);

    // `observer` (not owned) is told of every later snapshot until removed.
    void addObserver(SnapshotObserver* observer);
    void removeObserver(SnapshotObserver* observer);

  private:
    Credentials credentials_;
    std::vector<std::unique_ptr<DictionaryCollector>> collectors_;
    std::vector<WatchedDictionary> watched_;  // the collectors' dictionaries, in order
    StringPool pool_;
    LockTracker tracker_;
    std::vector<SnapshotObserver*> observers_;
    size_t lastCount_ = 0;  // rows of the last snapshot, not released
};

}  // namespace monitor

#endif  // BREVANTIS_MONITOR_LOCK_MONITOR_H
