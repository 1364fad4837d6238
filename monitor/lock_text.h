// lock_text.h: how a lock reads, the same in the window, the exports and the command line.
#ifndef BREVANTIS_MONITOR_LOCK_TEXT_H
#define BREVANTIS_MONITOR_LOCK_TEXT_H

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "monitor/lock_row.h"

namespace monitor {

// The columns, in display order.
enum Column {
    kDictionary,
    kTable,
    kRecord,
    kRowId,
    kUser,
    kOsLogin,
    kApplication,
    kLockType,
    kFirstSeen,
    kDuration,
    kColumnCount
};

// The column titles, in Column order.
const QStringList& columnTitles();

// A duration in whole seconds: "45 s", "2 min 15 s", "1 h 0 min 5 s". Negative reads as 0.
QString durationText(qint64 seconds);

// A moment as the monitor shows it, in local time: "11/12/2026 14:05:09".
QString timeText(const QDateTime& at);

// The cell of `column` for `row` at `at` (Durée is now minus first seen).
QString cellText(const LockRow& row, int column, const QDateTime& at);

// The cells of `row` at `at` (Durée is now minus first seen), in Column order.
QStringList cellTexts(const LockRow& row, const QDateTime& at);

// "N locks, n nouveaux, m libérés".
QString counterText(const TrackedSnapshot& snapshot);

}  // namespace monitor

#endif  // BREVANTIS_MONITOR_LOCK_TEXT_H
