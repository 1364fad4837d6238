// collecte_locks.h: the locks of one table, asked of the server's lock procedures and added
// to the result table, one row per locked record.
#ifndef BREVANTIS_APP_COLLECTE_LOCKS_H
#define BREVANTIS_APP_COLLECTE_LOCKS_H

#include <QString>

namespace app {

struct RechercheLocks;

// Runs sp_mgGetAllLocks for the file TrimmedPath + NomDeLaTable + ".adt", then
// sp_mgGetLockOwner for each locked record, and appends to UsersTableLocks the record's
// first owner unless a row for (NomDeLaTable, record) is there already. NomDeLaTable may be
// any text the user typed: it goes into the statements as a quoted value only.
// REQUIRES: ManagementConn connected to the dictionary of DictionaryPath and TrimmedPath;
// UsersTableLocks open. Throws the data-access layer's errors (rows posted before stay),
// and RechercheAnnulee when the user cancels the running search.
void TrouverLocksParTable(RechercheLocks& r, const QString& NomDeLaTable);

}  // namespace app

#endif  // BREVANTIS_APP_COLLECTE_LOCKS_H
