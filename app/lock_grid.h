// lock_grid.h: the lock grid wwDBGrid1: its display order, the light-blue row of the
// current lock, what follows a move to another row, and a change of the table choice.
#ifndef BREVANTIS_APP_LOCK_GRID_H
#define BREVANTIS_APP_LOCK_GRID_H

#include <QColor>

class TField;

namespace ui {
struct CellStyle;
}

namespace app {

struct LockSearchContext;

// The light blue of the current lock row and of a found record (RGB 216, 228, 248).
inline const QColor kHighlight(216, 228, 248);

// The system's window colour, the lower grid's background when it shows no record.
QColor windowColor();

// Orders the open UsersTableLocks by the index of the RGOrdre item selected ("UserName" or
// "OsUserLoginName"); nothing while it is closed or with no item selected.
void RGOrdreClick(LockSearchContext& r);

// For a cell of the row UsersTableLocks is positioned on: light blue with black text when the
// row's LockedRecNo, TableName and DictionaryName equal RecNoGlobal, TableNameGlobal and
// DictionaryNameGlobal (texts compared exactly); otherwise `style` stays as it is.
void wwDBGrid1CalcCellColors(LockSearchContext& r, TField* field, ui::CellStyle& style);

// Closes the found record (the lower grid empties), resets the lower grid's colour and
// empties the record labels: how the lower half looks while it shows no record.
void forgetShownRecord(LockSearchContext& r);

// Remembers the current row's DictionaryName, TableName and LockedRecNo as the current lock.
void rememberCurrentRow(LockSearchContext& r);

// The current row moved: remembers it, closes the found record (the lower grid empties),
// resets the lower grid's colour and empties the record labels.
void wwDBGrid1RowChanged(LockSearchContext& r);

// The table choice's text changed: disables the record lookup, closes UsersTableLocks and the
// found record, resets the lower grid's colour and empties the record labels.
void ComboBoxTablesChange(LockSearchContext& r);

}  // namespace app

#endif  // BREVANTIS_APP_LOCK_GRID_H
