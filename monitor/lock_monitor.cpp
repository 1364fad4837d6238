// lock_monitor.cpp: LockMonitor.
#include "monitor/lock_monitor.h"

#include <QElapsedTimer>
#include <algorithm>

#include "rtl/exception.h"

namespace monitor {

LockMonitor::LockMonitor(Credentials credentials) : credentials_(std::move(credentials)) {}

LockMonitor::~LockMonitor() = default;

void LockMonitor::setDictionaries(const std::vector<WatchedDictionary>& dictionaries) {
    std::vector<std::unique_ptr<DictionaryCollector>> next;
    for (const WatchedDictionary& d : dictionaries) {
        auto same = std::find_if(collectors_.begin(), collectors_.end(),
                                 [&](const auto& c) { return c && c->dictionary() == d; });
        next.push_back(same != collectors_.end()
                           ? std::move(*same)
                           : std::make_unique<DictionaryCollector>(d, credentials_));
    }
    collectors_ = std::move(next);
    watched_ = dictionaries;
}

std::shared_ptr<const TrackedSnapshot> LockMonitor::refresh(const std::atomic<bool>* cancel) {
    // UTC: durations over 100,000 rows cost no time-zone conversion.
    const QDateTime at = QDateTime::currentDateTimeUtc();
    QElapsedTimer clock;
    clock.start();
    Collection collection;
    // The usual case: about as many as last time, and a few released to add.
    collection.rows.reserve(lastCount_ + lastCount_ / 8);
    for (const auto& collector : collectors_) {
        const QString& name = collector->dictionary().name;
        const size_t before = collection.rows.size();
        try {
            collector->collect(collection.rows, pool_, cancel);
            collection.answered << name;
        } catch (const rtl::Exception& error) {
            // Half a dictionary would read as releases: keep none of it.
            collection.rows.resize(before);
            collection.failures.push_back({name, error.message()});
        }
    }
    std::shared_ptr<TrackedSnapshot> snapshot = tracker_.update(std::move(collection), at);
    snapshot->elapsedMs = clock.elapsed();
    lastCount_ = static_cast<size_t>(snapshot->current);
    for (SnapshotObserver* observer : observers_) observer->snapshotTaken(*snapshot, watched_);
    return snapshot;
}

void LockMonitor::addObserver(SnapshotObserver* observer) {
    observers_.push_back(observer);
}

void LockMonitor::removeObserver(SnapshotObserver* observer) {
    std::erase(observers_, observer);
}

}  // namespace monitor
