// result_table.h: the result table #UsersTableLocks, dropped and created afresh at the start
// of every search so that it holds the last search's locks only.
#ifndef BREVANTIS_LOCKSEARCH_RESULT_TABLE_H
#define BREVANTIS_LOCKSEARCH_RESULT_TABLE_H

namespace locksearch {

struct Components;

// Leaves UsersTableLocks open on an empty #UsersTableLocks with its two indexes. Probes the
// table by opening it, then drops and creates it; when any of that fails (on a connection's
// first search the table does not exist yet) the failure is dropped without a word and the
// table is created directly. A failure of that creation is thrown.
// REQUIRES: ManagementConn connected.
void recreateResultTable(const Components& c);

}  // namespace locksearch

#endif  // BREVANTIS_LOCKSEARCH_RESULT_TABLE_H
