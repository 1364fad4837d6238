// lock_tracker.cpp: LockTracker. The snapshot is built in the collection's own rows, and the
// previous locks are looked up by small integer keys, so that a refresh of 100,000 locks
// holds no second copy of them.
#include "monitor/lock_tracker.h"

#include <utility>

namespace monitor {
namespace {

// A lock: its place (dictionary and table) numbered by KeyMaker, its record and its owner.
struct LockKey {
    int place;
    int recNo;
    int connNumber;
    bool operator==(const LockKey&) const = default;
};

size_t qHash(const LockKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.place, key.recNo, key.connNumber);
}

// Table names compare without regard to letter case, as the server compares them. Rows
// share a few dictionaries and tables: each table name is folded once per update.
class KeyMaker {
  public:
    LockKey operator()(const LockRow& row) {
        QHash<QString, int>& tables = byDictionary_[row.dictionary];
        auto it = tables.constFind(row.table);
        if (it == tables.constEnd())
            it = tables.insert(row.table, placeOf({row.dictionary, row.table.toCaseFolded()}));
        return {it.value(), row.recNo, row.connNumber};
    }

  private:
    int placeOf(const std::pair<QString, QString>& dictionaryAndTable) {
        auto it = places_.constFind(dictionaryAndTable);
        if (it == places_.constEnd())
            it = places_.insert(dictionaryAndTable, static_cast<int>(places_.size()));
        return it.value();
    }

    QHash<QString, QHash<QString, int>> byDictionary_;  // names as the rows carry them
    QHash<std::pair<QString, QString>, int> places_;     // table names folded
};

}  // namespace

std::shared_ptr<TrackedSnapshot> LockTracker::update(Collection collection, const QDateTime& at) {
    QSet<QString> failed;
    for (const DictionaryFailure& f : collection.failures) failed.insert(f.dictionary);
    const QSet<QString> answered(collection.answered.begin(), collection.answered.end());

    KeyMaker keyOf;
    // The previous current locks, by key.
    QHash<LockKey, const LockRow*> before;
    if (previous_) {
        before.reserve(previous_->current);
        for (const TrackedLock& lock : previous_->locks)
            if (lock.state != LockState::Released) before.insert(keyOf(lock.row), &lock.row);
    }

    auto snapshot = std::make_shared<TrackedSnapshot>();
    snapshot->at = at;
    snapshot->failures = std::move(collection.failures);
    std::vector<TrackedLock>& locks = snapshot->locks;
    locks = std::move(collection.rows);
    for (TrackedLock& lock : locks) {
        LockRow& row = lock.row;
        lock.state = LockState::Held;
        auto it = before.find(keyOf(row));
        if (it != before.end()) {
            row.firstSeen = it.value()->firstSeen;
            row.rowId = it.value()->rowId;  // one copy of the text while the lock is held
            before.erase(it);
        } else {
            row.firstSeen = at;
            if (baselined_.contains(row.dictionary)) {
                lock.state = LockState::New;
                ++snapshot->fresh;
            }
        }
    }
    // What is left of `before` is released, stale or no longer watched. Locks of a failed
    // dictionary stay as they were last seen; they are neither held nor released as far as
    // anyone can tell. Room for them is made once: a grown vector would hold twice the rows.
    const auto isStale = [&](const TrackedLock& lock) {
        return lock.state != LockState::Released && failed.contains(lock.row.dictionary);
    };
    const auto isReleased = [&](const TrackedLock& lock) {
        return lock.state != LockState::Released && answered.contains(lock.row.dictionary) &&
               before.contains(keyOf(lock.row));
    };
    if (previous_) {
        size_t stale = 0, released = 0;
        for (const TrackedLock& lock : previous_->locks) {
            stale += isStale(lock);
            released += isReleased(lock);
        }
        locks.reserve(locks.size() + stale + released);
        for (const TrackedLock& lock : previous_->locks)
            if (isStale(lock)) locks.push_back({lock.row, LockState::Stale});
    }
    snapshot->current = static_cast<int>(locks.size());
    if (previous_) {
        for (const TrackedLock& lock : previous_->locks)
            if (isReleased(lock)) locks.push_back({lock.row, LockState::Released});
        snapshot->released = static_cast<int>(locks.size()) - snapshot->current;
    }
    baselined_.unite(answered);
    previous_ = snapshot;
    return snapshot;
}

}  // namespace monitor
