// lock_summary.cpp: summarize.
#include "monitor/lock_summary.h"

#include <QHash>
#include <algorithm>

namespace monitor {

std::vector<SummaryLine> summarize(const TrackedSnapshot& snapshot, SummaryBy by) {
    QHash<QString, size_t> index;
    std::vector<SummaryLine> lines;
    for (const TrackedLock& lock : snapshot.locks) {
        if (lock.state == LockState::Released) continue;
        const QString& holder = by == SummaryBy::User ? lock.row.userName : lock.row.application;
        auto it = index.find(holder);
        if (it == index.end()) {
            it = index.insert(holder, lines.size());
            lines.push_back({holder, 0, lock.row.firstSeen});
        }
        SummaryLine& line = lines[it.value()];
        ++line.locks;
        line.oldest = std::min(line.oldest, lock.row.firstSeen);
    }
    std::sort(lines.begin(), lines.end(), [](const SummaryLine& a, const SummaryLine& b) {
        if (a.locks != b.locks) return a.locks > b.locks;
        if (a.oldest != b.oldest) return a.oldest < b.oldest;
        return a.holder < b.holder;
    });
    return lines;
}

}  // namespace monitor
