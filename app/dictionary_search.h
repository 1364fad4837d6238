// dictionary_search.h: "Chercher des locks / Rafraîchir": the locks of the chosen table,
// or of every table of the dictionary, collected afresh.
#ifndef BREVANTIS_APP_DICTIONARY_SEARCH_H
#define BREVANTIS_APP_DICTIONARY_SEARCH_H

namespace app {

struct LockSearchContext;

// Warns "Il faut chosir un dictionnaire!" when no dictionary is chosen. Otherwise re-creates
// the result table, selects the order "UserName" and collects the locks of the table named
// by ComboBoxTables' text when its item index is not 0, else of every table of the
// dictionary whose file exists now. Then either reports "Il n'y a pas de Locks en ce moment!"
// with the grids emptied and the lookup disabled, or enables the lookup and makes the first
// row current. Shows the wait cursor, and the progress display after the delay. An error, or
// "Annuler", ends the search where it was: rows found so far stay, the lookup keeps its state;
// errors are thrown, a cancelled search ends silently.
void BtnChercherLocksParDictionnaireClick(LockSearchContext& r);

}  // namespace app

#endif  // BREVANTIS_APP_DICTIONARY_SEARCH_H
