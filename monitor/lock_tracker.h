// lock_tracker.h: comparing each refresh with the one before: which locks are new, which
// were released, and since when each has been seen.
#ifndef BREVANTIS_MONITOR_LOCK_TRACKER_H
#define BREVANTIS_MONITOR_LOCK_TRACKER_H

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <memory>
#include <vector>

#include "monitor/lock_row.h"

namespace monitor {

// What one refresh read: the rows of the dictionaries that answered, and those that failed.
// The rows are collected as tracked locks, so that the snapshot is made in them.
struct Collection {
    std::vector<TrackedLock> rows;
    QStringList answered;  // the dictionaries read whole, with or without locks
    std::vector<DictionaryFailure> failures;
};

// A lock is one owner (connection number) of one record of one table of one dictionary.
// The first refresh that reads a dictionary sets its baseline: its locks are not marked New.
// A dictionary that fails keeps its last rows as Stale, first-seen times untouched, and none
// of them counts as released until it answers again. The locks of a dictionary no longer
// watched are dropped without being reported as released.
class LockTracker {
  public:
    // The snapshot of `collection` read at `at`. Rows keep the firstSeen of the same lock in
    // the previous snapshot, else get `at`. `elapsedMs` is left at 0 for the caller.
    std::shared_ptr<TrackedSnapshot> update(Collection collection, const QDateTime& at);

  private:
    std::shared_ptr<const TrackedSnapshot> previous_;
    QSet<QString> baselined_;  // dictionaries read successfully at least once
};

}  // namespace monitor

#endif  // BREVANTIS_MONITOR_LOCK_TRACKER_H
