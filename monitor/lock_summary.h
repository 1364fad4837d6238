// lock_summary.h: who holds the most locks, and the oldest of each: by user, by application.
#ifndef BREVANTIS_MONITOR_LOCK_SUMMARY_H
#define BREVANTIS_MONITOR_LOCK_SUMMARY_H

#include <QDateTime>
#include <QString>
#include <vector>

#include "monitor/lock_row.h"

namespace monitor {

struct SummaryLine {
    QString holder;    // the user name or the application
    int locks = 0;     // locks held (released ones are not counted)
    QDateTime oldest;  // the earliest first-seen of those locks
};

enum class SummaryBy { User, Application };

// One line per distinct holder among the current locks of `snapshot`, the most locks first,
// then the oldest first, then by holder.
std::vector<SummaryLine> summarize(const TrackedSnapshot& snapshot, SummaryBy by);

}  // namespace monitor

#endif  // BREVANTIS_MONITOR_LOCK_SUMMARY_H
