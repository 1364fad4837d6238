// lock_search_context.h: what the lock-search handlers work on: the main window's connection and
// datasets, the controls they read and set, and the window's module variables.
//
// The main window is built on LockSearchContext; the handlers (dictionary_choice.h,
// dictionary_search.h, locked_record.h, lock_grid.h) take it as their only
// argument, so that tests and the benchmark run the collection and the search against the real
// engine with controls that no window shows (windowless_search.h). The search itself, without
// widgets, is in locksearch/.
#ifndef BREVANTIS_APP_LOCK_SEARCH_CONTEXT_H
#define BREVANTIS_APP_LOCK_SEARCH_CONTEXT_H

#include <QString>

#include "locksearch/components.h"
#include "rtl/string_list.h"

class QAction;
class QObject;
class QPushButton;

namespace ui {
class AutoSizeLabel;
class ComboBox;
class DataGrid;
class RadioGroup;
}  // namespace ui

namespace app {

class SearchProgress;

// The controls the handlers read and set, named as their object names.
struct SearchControls {
    ui::RadioGroup* RGPaths = nullptr;
    ui::AutoSizeLabel* LabelNombreTables = nullptr;
    ui::ComboBox* ComboBoxTables = nullptr;
    QPushButton* BtnChercherLocksParDictionnaire = nullptr;
    ui::RadioGroup* RGOrdre = nullptr;
    QPushButton* BtnChercherRecordParRowID = nullptr;
    QAction* rouverlenregistrementselectionn1 = nullptr;
    ui::AutoSizeLabel* LabelDictionnaire = nullptr;
    ui::AutoSizeLabel* LabelTable = nullptr;
    ui::DataGrid* wwDBGrid2 = nullptr;
};

// The module variables of the main window.
struct SearchVariables {
    rtl::StringList ListAllPaths;  // every "name=value" line of the Databases section
    qint32 RecNoGlobal = 0;        // identity of the current lock row
    QString DictionaryNameGlobal;
    QString TableNameGlobal;
};

// Everything a lock-search handler works on.
struct LockSearchContext : locksearch::Components,
                           locksearch::ChosenDictionary,
                           SearchControls,
                           SearchVariables {
    // The running search's wait cursor and progress display; null outside a search, which
    // is how the window's other handlers know not to run meanwhile.
    SearchProgress* progress = nullptr;
    // How long a search runs before its progress display appears.
    int progressDelayMs = 1000;
};

// Connects the signals of the lock-search controls to their handlers, each run inside
// ui::guarded; those a user starts are ignored while a search runs. `context` ends the
// connections when it is destroyed.
void connectSearchSignals(LockSearchContext& r, QObject* context);

}  // namespace app

#endif  // BREVANTIS_APP_LOCK_SEARCH_CONTEXT_H
