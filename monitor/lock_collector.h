// lock_collector.h: reading every lock owner of one dictionary through the two management
// procedures, on a connection of the collector's own.
#ifndef BREVANTIS_MONITOR_LOCK_COLLECTOR_H
#define BREVANTIS_MONITOR_LOCK_COLLECTOR_H

#include <QSet>
#include <QString>
#include <atomic>
#include <memory>
#include <vector>

#include "monitor/lock_row.h"

class TAdsConnection;
class TAdsQuery;

namespace monitor {

// The account the monitor connects with.
struct Credentials {
    QString user;
    QString password;
};

// A dictionary to watch: the name its rows carry and the path of its .add file.
struct WatchedDictionary {
    QString name;
    QString path;
    bool operator==(const WatchedDictionary&) const = default;
};

// Thrown by collect() when the cancel flag was raised meanwhile.
struct CollectionCancelled {};

// Keeps one copy of each distinct text, so that 100,000 rows naming a few users and tables
// hold a few strings.
class StringPool {
  public:
    QString intern(const QString& text);

  private:
    QSet<QString> texts_;
};

class DictionaryCollector {
  public:
    DictionaryCollector(WatchedDictionary dictionary, Credentials credentials);
    ~DictionaryCollector();
    DictionaryCollector(const DictionaryCollector&) = delete;
    DictionaryCollector& operator=(const DictionaryCollector&) = delete;

    const WatchedDictionary& dictionary() const { return dictionary_; }

    // Appends one row per owner of every locked record of every table whose .adt file lies
    // in the dictionary's folder; firstSeen and the state are left for the tracker. Connects first when needed.
    // Throws the data-access layer's errors, after dropping the connection so that the next
    // call connects again (rows appended before stay); throws CollectionCancelled when
    // `cancel` becomes true. `cancel` may be null.
    void collect(std::vector<TrackedLock>& out, StringPool& pool, const std::atomic<bool>* cancel);

  private:
    void connect();
    void collectTable(const QString& table, std::vector<TrackedLock>& out, StringPool& pool,
                      const std::atomic<bool>* cancel);

    WatchedDictionary dictionary_;
    Credentials credentials_;
    std::unique_ptr<TAdsConnection> connection_;
    std::unique_ptr<TAdsQuery> lockedRecords_;
    std::unique_ptr<TAdsQuery> owners_;
};

}  // namespace monitor

#endif  // BREVANTIS_MONITOR_LOCK_COLLECTOR_H
