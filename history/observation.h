// What the lock history records: one refresh's observations and the episodes built from them.
//
// Layer: history sits beside data (QtCore + QtSql only); the monitor turns its snapshot into
// these plain structs, so the history never depends on the monitor.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <chrono>
#include <vector>

namespace history {

// One lock owner seen by one refresh. The lock is (dictionary, table, record); the owner is
// (userName, osLogin, application). Empty strings stand for values the server did not give.
struct Observation {
  QString dictionary;
  QString table;
  qint64 record = 0;
  QString rowId;        // the 18-character ROWID
  QString userName;
  QString osLogin;
  QString application;
  QString lockType;
};

// One successful refresh. Invariant: every observation's dictionary is in `dictionaries`;
// a dictionary watched with no lock at all is listed with no observation, so that the
// episodes it held are closed.
struct Refresh {
  QDateTime at;                                   // when the refresh was taken
  std::chrono::milliseconds interval{5000};       // the monitor's refresh interval
  QStringList dictionaries;                       // every dictionary this refresh looked at
  std::vector<Observation> observations;
};

// One lock held by one owner, from its first to its last sighting.
// Invariant: firstSeen <= lastSeen; `open` episodes are still held as far as the history knows.
struct Episode {
  qint64 id = 0;
  Observation lock;
  QDateTime firstSeen;
  QDateTime lastSeen;
  bool open = false;
  bool sinceAtLeast = false;  // seen first after a gap: it was held "depuis au moins" firstSeen
  qint64 durationMs() const { return firstSeen.msecsTo(lastSeen); }
};

}  // namespace history
