// What one history writer knows of the open episodes: which lock and owner each open episode
// row stands for, so that a refresh can be told apart into continuing, released and new holds
// without reading or rewriting every row.
#pragma once

#include "observation.h"

#include <QHash>
#include <QString>
#include <vector>

namespace history {

// One lock held by one owner, within a dictionary: the identity of an open episode.
struct OwnedLock {
  QString table;
  qint64 record = 0;
  QString userName;
  QString osLogin;
  QString application;
  friend bool operator==(const OwnedLock&, const OwnedLock&) = default;
};
size_t qHash(const OwnedLock& lock, size_t seed = 0);
OwnedLock ownedLockOf(const Observation& observation);

// How one refresh of some dictionaries compares with the open episodes known before it.
struct RefreshDiff {
  std::vector<qint64> continuing;                      // ids of open episodes seen again
  std::vector<qint64> released;                        // ids of open episodes no longer seen
  std::vector<std::pair<QString, OwnedLock>> releasedLocks;  // the same, by dictionary and lock
  std::vector<const Observation*> opened;              // holds with no open episode, each once
};

// The open episodes of the dictionaries this writer has read or written, by row id.
// Invariant: a known dictionary's map holds exactly the open rows of that dictionary as long
// as no other writer has written since; the caller forgets everything when one may have.
class OpenEpisodes {
 public:
  bool knows(const QString& dictionary) const { return byDictionary_.contains(dictionary); }
  // Records that `dictionary`'s open episodes are `episodes` (possibly none).
  void set(const QString& dictionary, QHash<OwnedLock, qint64> episodes);
  void add(const QString& dictionary, const OwnedLock& lock, qint64 id);
  void forget() { byDictionary_.clear(); }

  // Compares `refresh`, which looked at `dictionaries`, with the known episodes. REQUIRES:
  // every one of `dictionaries` is known. An observation listed twice counts once.
  RefreshDiff compare(const Refresh& refresh, const QStringList& dictionaries) const;
  // Forgets the episodes a written diff released; the opened ones are add()ed with their ids.
  void dropReleased(const RefreshDiff& diff);

 private:
  QHash<QString, QHash<OwnedLock, qint64>> byDictionary_;
};

}  // namespace history
