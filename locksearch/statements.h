// statements.h: the two management-procedure statements the lock search sends, built in one
// place so that every caller (the main window, the live monitor, the benchmarks) sends the
// same bytes.
#ifndef BREVANTIS_LOCKSEARCH_STATEMENTS_H
#define BREVANTIS_LOCKSEARCH_STATEMENTS_H

#include <QString>

namespace locksearch {

// The statement listing the locked records of the table file `tablePath` (sp_mgGetAllLocks).
// `tablePath` may hold any text: it is sent as a quoted literal.
QString allLocksStatement(const QString& tablePath);

// The statement listing the owners of record `recNo` of `tablePath` (sp_mgGetLockOwner).
QString lockOwnerStatement(const QString& tablePath, int recNo);

}  // namespace locksearch

#endif  // BREVANTIS_LOCKSEARCH_STATEMENTS_H
