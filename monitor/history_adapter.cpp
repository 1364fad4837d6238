// history_adapter.cpp: turning a tracked snapshot into the history's observations.
#include "monitor/history_adapter.h"

#include <algorithm>

namespace monitor {

history::Refresh toHistoryRefresh(const TrackedSnapshot& snapshot,
                                  const std::vector<WatchedDictionary>& watched,
                                  std::chrono::milliseconds interval) {
    history::Refresh refresh;
    refresh.at = snapshot.at;
    refresh.interval = interval;
    const auto failed = [&](const QString& name) {
        return std::any_of(snapshot.failures.begin(), snapshot.failures.end(),
                           [&](const DictionaryFailure& f) { return f.dictionary == name; });
    };
    for (const WatchedDictionary& d : watched)
        if (!failed(d.name)) refresh.dictionaries << d.name;
    refresh.observations.reserve(static_cast<size_t>(snapshot.current));
    for (const TrackedLock& lock : snapshot.locks) {
        if (lock.state != LockState::Held && lock.state != LockState::New) continue;
        const LockRow& r = lock.row;
        if (!refresh.dictionaries.contains(r.dictionary)) continue;
        refresh.observations.push_back({r.dictionary, r.table, r.recNo, r.rowId, r.userName,
                                        r.osLogin, r.application, r.lockType});
    }
    return refresh;
}

}  // namespace monitor
