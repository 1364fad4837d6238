// background_refresher.cpp: BackgroundRefresher.
#include "monitor/background_refresher.h"

namespace monitor {

BackgroundRefresher::BackgroundRefresher(Credentials credentials, SnapshotObserver* observer,
                                         QObject* parent)
    : QObject(parent),
      context_(new QObject),
      monitor_(std::make_unique<LockMonitor>(std::move(credentials))) {
    if (observer) monitor_->addObserver(observer);
    context_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, context_, &QObject::deleteLater);
    thread_.start();
}

BackgroundRefresher::~BackgroundRefresher() {
    cancel_ = true;
    // The connections were made on the refresh thread: they close there too.
    QMetaObject::invokeMethod(
        context_,
        [this] {
            monitor_.reset();
            adopted_.clear();
        },
        Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

void BackgroundRefresher::adoptObserver(std::unique_ptr<SnapshotObserver> observer) {
    QMetaObject::invokeMethod(
        context_,
        [this, &observer] {
            monitor_->addObserver(observer.get());
            adopted_.push_back(std::move(observer));
        },
        Qt::BlockingQueuedConnection);
}

bool BackgroundRefresher::refresh(const std::vector<WatchedDictionary>& dictionaries,
                                  SortKey sortBy) {
    if (busy_) return false;
    busy_ = true;
    QMetaObject::invokeMethod(context_, [this, dictionaries, sortBy] {
        auto result = std::make_shared<SortedSnapshot>();
        try {
            monitor_->setDictionaries(dictionaries);
            result->snapshot = monitor_->refresh(&cancel_);
        } catch (const CollectionCancelled&) {
            return;  // only when this object is going away
        }
        result->sortedBy = sortBy;
        result->rows = sortedRows(*result->snapshot, sortBy);
        QMetaObject::invokeMethod(this, [this, result] {
            busy_ = false;
            emit refreshed(result);
        });
    });
    return true;
}

void BackgroundRefresher::release(std::shared_ptr<const TrackedSnapshot> snapshot) {
    QMetaObject::invokeMethod(context_, [snapshot = std::move(snapshot)]() mutable {
        snapshot.reset();
    });
}

}  // namespace monitor
