// history_adapter.h: a monitor snapshot as the lock history's refresh, the one place where
// the monitor's rows meet the history's plain observations.
#ifndef BREVANTIS_MONITOR_HISTORY_ADAPTER_H
#define BREVANTIS_MONITOR_HISTORY_ADAPTER_H

#include <chrono>
#include <vector>

#include "monitor/lock_collector.h"
#include "monitor/lock_row.h"
#include "observation.h"

namespace monitor {

// The refresh to record for `snapshot`, taken over `watched` every `interval`. Only the rows
// read this time are observed: released rows are not held any more, and a dictionary that
// failed is left out of the refresh, so that its episodes are neither closed nor extended.
history::Refresh toHistoryRefresh(const TrackedSnapshot& snapshot,
                                  const std::vector<WatchedDictionary>& watched,
                                  std::chrono::milliseconds interval);

}  // namespace monitor

#endif  // BREVANTIS_MONITOR_HISTORY_ADAPTER_H
