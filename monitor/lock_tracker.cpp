// lock_tracker.cpp: LockTracker.
#include "monitor/lock_tracker.h"

namespace monitor {
namespace {

struct LockKey {
    QString dictionary;
    QString table;
    int recNo;
    int connNumber;
    bool operator==(const LockKey&) const = default;
};

size_t qHash(const LockKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.dictionary, key.table, key.recNo, key.connNumber);
}

// Table names compare without regard to letter case, as the server compares them. Rows
// share a few table names: each is folded once per update.
class KeyMaker {
  public:
    LockKey operator()(const LockRow& row) {
        auto it = folded_.constFind(row.table);
        if (it == folded_.constEnd()) it = folded_.insert(row.table, row.table.toCaseFolded());
        return {row.dictionary, it.value(), row.recNo, row.connNumber};
    }

  private:
    QHash<QString, QString> folded_;
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

    // First the states, so that the snapshot's rows are allocated once, at their size: at
    // 100,000 locks a grown vector would hold twice the memory.
    std::vector<LockState> states(collection.rows.size(), LockState::Held);
    for (size_t i = 0; i < collection.rows.size(); ++i) {
        LockRow& row = collection.rows[i];
        auto it = before.find(keyOf(row));
        if (it != before.end()) {
            row.firstSeen = it.value()->firstSeen;
            before.erase(it);
        } else {
            row.firstSeen = at;
            if (baselined_.contains(row.dictionary)) {
                states[i] = LockState::New;
                ++snapshot->fresh;
            }
        }
    }
    // What is left of `before` is released, stale or no longer watched.
    snapshot->locks.reserve(collection.rows.size() + static_cast<size_t>(before.size()));
    for (size_t i = 0; i < collection.rows.size(); ++i)
        snapshot->locks.push_back({std::move(collection.rows[i]), states[i]});
    std::vector<LockRow>().swap(collection.rows);
    // Locks of a failed dictionary stay as they were last seen; they are neither held nor
    // released as far as anyone can tell.
    if (previous_) {
        for (const TrackedLock& lock : previous_->locks)
            if (lock.state != LockState::Released && failed.contains(lock.row.dictionary))
                snapshot->locks.push_back({lock.row, LockState::Stale});
    }
    snapshot->current = static_cast<int>(snapshot->locks.size());
    if (previous_) {
        for (const TrackedLock& lock : previous_->locks) {
            if (lock.state == LockState::Released || !answered.contains(lock.row.dictionary))
                continue;
            if (before.contains(keyOf(lock.row))) {
                snapshot->locks.push_back({lock.row, LockState::Released});
                ++snapshot->released;
            }
        }
    }
    baselined_.unite(answered);
    previous_ = snapshot;
    return snapshot;
}

}  // namespace monitor
