// collection.h: the locks of one table, asked of the server's lock procedures and added to
// the result table, one row per locked record.
#ifndef BREVANTIS_LOCKSEARCH_COLLECTION_H
#define BREVANTIS_LOCKSEARCH_COLLECTION_H

#include <QString>

namespace locksearch {

struct Components;
struct ChosenDictionary;
class Progress;

// Runs sp_mgGetAllLocks for the file TrimmedPath + tableName + ".adt", then
// sp_mgGetLockOwner for each locked record, and appends to UsersTableLocks the record's
// first owner unless a row for (tableName, record) is there already. `tableName` may be any
// text the user typed: it goes into the statements as a quoted value only. `progress` may be
// null. REQUIRES: ManagementConn connected to `d`; UsersTableLocks open. Throws the
// data-access layer's errors (rows posted before stay), and Cancelled from `progress`.
void TrouverLocksParTable(const Components& c, const ChosenDictionary& d, const QString& tableName,
                          Progress* progress);

}  // namespace locksearch

#endif  // BREVANTIS_LOCKSEARCH_COLLECTION_H
