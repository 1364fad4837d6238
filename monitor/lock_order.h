// lock_order.h: the order a snapshot's rows are shown in when sorted by one column, computed
// wherever it costs least (the refresh thread for a new snapshot, the window for a click).
#ifndef BREVANTIS_MONITOR_LOCK_ORDER_H
#define BREVANTIS_MONITOR_LOCK_ORDER_H

#include <Qt>
#include <vector>

#include "monitor/lock_row.h"

namespace monitor {

// A sort key: a column of lock_text.h's Column, or -1 for the collection order.
struct SortKey {
    int column = -1;
    Qt::SortOrder direction = Qt::AscendingOrder;
    bool operator==(const SortKey&) const = default;
};

// The indexes of `snapshot.locks` in the order `key` sorts them, ties in collection order
// (also when descending). Texts compare without regard to letter case; Enregistrement as a
// number; Vu depuis by first-seen time; Durée by how long held (seen earlier: held longer).
// A column without a value (out of range) keeps the collection order.
std::vector<int> sortedRows(const TrackedSnapshot& snapshot, SortKey key);

}  // namespace monitor

#endif  // BREVANTIS_MONITOR_LOCK_ORDER_H
