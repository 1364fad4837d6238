// locked_record.h: the content of a locked record, read as the main window's record button
// reads it, for a monitor row.
#ifndef BREVANTIS_MONITOR_LOCKED_RECORD_H
#define BREVANTIS_MONITOR_LOCKED_RECORD_H

#include <QObject>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>

#include "locksearch/components.h"
#include "monitor/lock_collector.h"

namespace monitor {

// The record's columns by name (its ROWID last) and their values as text.
struct LockedRecord {
    QStringList columns;
    QStringList values;
};

// Keeps one connection per dictionary it has read from, made on first use. Not
// thread-safe: use it from one thread.
class LockedRecordReader {
  public:
    explicit LockedRecordReader(Credentials credentials);
    ~LockedRecordReader();

    // The record `recNo` of `table` in `dictionary`, found by the end of its ROWID; nothing
    // when the table has no such record. Throws the data-access layer's errors, after
    // dropping that dictionary's connection so that the next read connects again.
    std::optional<LockedRecord> read(const WatchedDictionary& dictionary, const QString& table,
                                     int recNo);

  private:
    struct Session {
        QObject owner;  // owns the components
        locksearch::Components components;
    };
    Session& sessionFor(const WatchedDictionary& dictionary);

    Credentials credentials_;
    std::map<QString, std::unique_ptr<Session>> sessions_;  // by dictionary path
};

}  // namespace monitor

#endif  // BREVANTIS_MONITOR_LOCKED_RECORD_H
