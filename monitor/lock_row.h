// lock_row.h: what one refresh of the lock monitor finds and what it keeps of it.
//
// A snapshot is a plain value: rows held in the monitor's own memory (never in a server-side
// table), so that the window, the command line and any recorder can read it without the
// data-access layer.
#ifndef BREVANTIS_MONITOR_LOCK_ROW_H
#define BREVANTIS_MONITOR_LOCK_ROW_H

#include <QDateTime>
#include <QString>
#include <vector>

namespace monitor {

// One owner of one locked record. A record locked by several connections gives one row per
// owner. Text values are as the owner procedure answers them.
struct LockRow {
    QString dictionary;   // the name the dictionary is watched under (alias or path)
    QString table;        // table name, as the dictionary lists it
    int recNo = 0;        // the locked record's number
    QString rowId;        // the six-character form of recNo that ends the record's ROWID
    QString userName;     // UserName (the workstation)
    QString osLogin;      // OSUserLoginName
    QString application;  // ApplicationID
    QString lockType;     // LockType
    int connNumber = 0;   // ConnNumber: tells two owners of the same record apart
    QDateTime firstSeen;  // when this monitor first saw this owner hold this record (UTC)
};

// How a row stands against the previous refresh.
enum class LockState {
    Held,      // seen at the previous refresh too
    New,       // first seen at this refresh
    Released,  // gone since the previous refresh; shown this once
    Stale,     // its dictionary could not be read this time: the last known row
};

struct TrackedLock {
    LockRow row;
    LockState state = LockState::Held;
};

// A dictionary that could not be read at a refresh, with the message to show.
struct DictionaryFailure {
    QString dictionary;
    QString message;
};

// The result of one refresh. `locks` holds the current rows (Held, New, Stale) followed by
// the released ones; within each, the collection order (dictionary, table, record, owner).
struct TrackedSnapshot {
    QDateTime at;          // when the refresh started
    qint64 elapsedMs = 0;  // how long it took
    std::vector<TrackedLock> locks;
    int current = 0;   // rows not released
    int fresh = 0;     // rows New
    int released = 0;  // rows Released
    std::vector<DictionaryFailure> failures;
};

// Seconds the lock has been held as far as this monitor knows, at `at`.
inline qint64 heldSeconds(const LockRow& row, const QDateTime& at) {
    return row.firstSeen.secsTo(at);
}

}  // namespace monitor

#endif  // BREVANTIS_MONITOR_LOCK_ROW_H
