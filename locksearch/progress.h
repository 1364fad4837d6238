// progress.h: how a running lock search reports its progress and learns that the user
// cancelled it, without knowing who shows it (a window's progress dialog, a monitor, nothing).
#ifndef BREVANTIS_LOCKSEARCH_PROGRESS_H
#define BREVANTIS_LOCKSEARCH_PROGRESS_H

#include <QString>

namespace locksearch {

// Thrown by a Progress between two statements once the user has cancelled. It is no error
// of the data-access layer: the search ends on it where it was.
struct Cancelled {};

class Progress {
  public:
    virtual ~Progress() = default;
    // The search moves on to table `name`, the i-th of n (from 1). May throw Cancelled.
    virtual void table(int i, int n, const QString& name) = 0;
    // Between two statements of a table. May throw Cancelled.
    virtual void betweenStatements() = 0;
    // One more row was added to the result table.
    virtual void lockFound() = 0;
};

}  // namespace locksearch

#endif  // BREVANTIS_LOCKSEARCH_PROGRESS_H
