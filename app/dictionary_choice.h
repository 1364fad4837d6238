// dictionary_choice.h: choosing a dictionary: the connection as its administrator and
// the table chooser filled with its tables whose files exist.
#ifndef BREVANTIS_APP_DICTIONARY_CHOICE_H
#define BREVANTIS_APP_DICTIONARY_CHOICE_H

namespace app {

struct LockSearchContext;

// A dictionary was clicked in RGPaths: disables the record lookup, disconnects (both grids
// empty), resets the lower grid's colour and the record labels, then RemplirComboBoxTables.
// A failure to disconnect is thrown.
void RGPathsClick(LockSearchContext& r);

// Connects ManagementConn to the alias that the selected RGPaths item stands for, sets
// DictionaryName, DictionaryPath and TrimmedPath, and fills ComboBoxTables with "Toutes les
// tables" and the dictionary's tables whose .adt file exists, sorted by the user's locale;
// enables the search and shows the table count. A failure of the data-access layer is shown
// as a plain message (class name, " Erreur trouvé.", CR LF, message) with the box emptied,
// the count "0" and the search disabled. REQUIRES: an item of RGPaths is selected.
void RemplirComboBoxTables(LockSearchContext& r);

}  // namespace app

#endif  // BREVANTIS_APP_DICTIONARY_CHOICE_H
