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
        context_, [this] { monitor_.reset(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

bool BackgroundRefresher::refresh(const std::vector<WatchedDictionary>& dictionaries) {
    if (busy_) return false;
    busy_ = true;
    QMetaObject::invokeMethod(context_, [this, dictionaries] {
        std::shared_ptr<const TrackedSnapshot> snapshot;
        try {
            monitor_->setDictionaries(dictionaries);
            snapshot = monitor_->refresh(&cancel_);
        } catch (const CollectionCancelled&) {
            return;  // only when this object is going away
        }
        QMetaObject::invokeMethod(this, [this, snapshot] {
            busy_ = false;
            emit refreshed(snapshot);
        });
    });
    return true;
}

}  // namespace monitor
