// lock_search.h: the lock search as the tool runs it, through the data-access layer, for
// the benchmarks: the tool's own two procedure queries and result table (locksearch/), put on
// the benchmark's connection, with the collection's steps taken apart so that each can be
// timed.
#ifndef BREVANTIS_BENCH_DATA_LOCK_SEARCH_H
#define BREVANTIS_BENCH_DATA_LOCK_SEARCH_H

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "data/adscnnct.h"
#include "data/adstable.h"
#include "locksearch/components.h"

namespace bench {

// The round trips the client library the layer loaded has made (its EngineGetRoundTrips);
// 0 before the layer's first engine call.
uint64_t libraryRoundTrips();

// Connects `c` to `dictionaryPath` as the administrator, remote server only, without a login
// prompt.
void connectAsAdmin(TAdsConnection& c, const QString& dictionaryPath);

// Runs `sql` (lines) once on `connection`.
void execute(TAdsConnection& connection, const QStringList& sql);

// The queries of the lock search: sp_mgGetAllLocks for a table, then sp_mgGetLockOwner for
// each locked record, with the persistent fields the main window declares.
class LockQueries {
  public:
    explicit LockQueries(TAdsConnection& connection);
    // Opens the locked records of table file `path`; false when there are none.
    bool openLocked(const QString& path);
    // Opens the owners of record `recNo` of `path`; false when there are none.
    bool openOwners(const QString& path, int recNo);

  private:
    QObject owner_;
    locksearch::Components tool_;

  public:
    TAdsQuery& locked;
    TAdsQuery& owners;
    TField* lockedRecNo = nullptr;
    TField* userName = nullptr;
    TField* osLogin = nullptr;
    TField* application = nullptr;
};

// #UsersTableLocks, created, opened and ordered by UserName as the tool does.
class ResultTable {
  public:
    explicit ResultTable(TAdsConnection& connection);
    // The tool's step for one owner row: Locate on (TableName, LockedRecNo), and when the
    // row is not there, Append, the seven column writes and Post. True when appended.
    bool collect(const QString& dictionaryPath, const QString& tableName, const QString& tablePath,
                 int recNo, const QByteArray& user, const QByteArray& osLogin,
                 const QByteArray& application);
    int rows() { return table_.RecordCount(); }

  private:
    QObject owner_;
    locksearch::Components tool_;
    TAdsTable& table_;
    TField* fields_[7] = {};
};

}  // namespace bench

#endif  // BREVANTIS_BENCH_DATA_LOCK_SEARCH_H
