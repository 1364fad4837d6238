// Tells a refresh apart into continuing, released and new holds against the open episodes
// this writer knows.
#include "open_episodes.h"

#include <QSet>

namespace history {

// Hashing every text of thousands of locks per refresh shows: the record, its table and its
// user tell locks apart well enough, equality checks the rest.
size_t qHash(const OwnedLock& lock, size_t seed) { return qHashMulti(seed, lock.record, lock.table, lock.userName); }

OwnedLock ownedLockOf(const Observation& o) {
  return {o.table, o.record, o.userName, o.osLogin, o.application};
}

void OpenEpisodes::set(const QString& dictionary, QHash<OwnedLock, qint64> episodes) {
  byDictionary_.insert(dictionary, std::move(episodes));
}

void OpenEpisodes::add(const QString& dictionary, const OwnedLock& lock, qint64 id) {
  byDictionary_[dictionary].insert(lock, id);
}

RefreshDiff OpenEpisodes::compare(const Refresh& refresh, const QStringList& dictionaries) const {
  RefreshDiff diff;
  QSet<qint64> seen;
  seen.reserve(static_cast<qsizetype>(refresh.observations.size()));
  QHash<QString, QSet<OwnedLock>> openedNow;
  // A refresh lists a dictionary's locks together: look each dictionary up once per run.
  const QString* dictionary = nullptr;
  const QHash<OwnedLock, qint64>* known = nullptr;
  QSet<OwnedLock>* opened = nullptr;
  for (const Observation& o : refresh.observations) {
    if (!dictionary || o.dictionary != *dictionary) {
      dictionary = &o.dictionary;
      const auto found = byDictionary_.constFind(o.dictionary);
      known = found == byDictionary_.cend() ? nullptr : &*found;
      opened = &openedNow[o.dictionary];
    }
    const OwnedLock lock = ownedLockOf(o);
    if (known) {
      if (const auto episode = known->constFind(lock); episode != known->cend()) {
        if (!seen.contains(*episode)) {
          seen.insert(*episode);
          diff.continuing.push_back(*episode);
        }
        continue;
      }
    }
    const qsizetype before = opened->size();
    opened->insert(lock);
    if (opened->size() != before) diff.opened.push_back(&o);
  }
  for (const QString& name : dictionaries) {
    const QHash<OwnedLock, qint64> episodes = byDictionary_.value(name);
    for (auto it = episodes.cbegin(); it != episodes.cend(); ++it) {
      if (seen.contains(it.value())) continue;
      diff.released.push_back(it.value());
      diff.releasedLocks.emplace_back(name, it.key());
    }
  }
  return diff;
}

void OpenEpisodes::dropReleased(const RefreshDiff& diff) {
  for (const auto& [dictionary, lock] : diff.releasedLocks) byDictionary_[dictionary].remove(lock);
}

}  // namespace history
