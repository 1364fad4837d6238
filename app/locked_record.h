// locked_record.h: the locked record of the current lock row, found by the last
// six characters of its ROWID and shown in the lower grid.
#ifndef BREVANTIS_APP_LOCKED_RECORD_H
#define BREVANTIS_APP_LOCKED_RECORD_H

namespace app {

struct LockSearchContext;

// Selects the record of the current lock row's table whose ROWID ends in the six-character
// form of its LockedRecNo. Found: the lower grid shows it in light blue and the labels name
// the row's dictionary and table. Not found: "L'enregistrement n'a pas été trouvé!" with the
// labels emptied and the grid's colour reset. Errors are thrown with the query closed.
// REQUIRES: UsersTableLocks open on a row.
void BtnChercherRecordParRowIDClick(LockSearchContext& r);

// The context-menu item: a click of BtnChercherRecordParRowID.
void rouverlenregistrementselectionn1Click(LockSearchContext& r);

}  // namespace app

#endif  // BREVANTIS_APP_LOCKED_RECORD_H
