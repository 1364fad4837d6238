// dictionary_search.cpp: BtnChercherLocksParDictionnaireClick.
#include "app/dictionary_search.h"

#include <QAction>
#include <QPushButton>

#include "app/lock_grid.h"
#include "app/lock_search_context.h"
#include "app/search_progress.h"
#include "data/adstable.h"
#include "locksearch/result_table.h"
#include "locksearch/search.h"
#include "ui/combo_box.h"
#include "ui/messages.h"
#include "ui/radio_group.h"

namespace app {
namespace {

// Re-creates the result table, selects the order "UserName" and collects.
locksearch::SearchOutcome collect(LockSearchContext& r) {
    SearchProgress progress(r);
    locksearch::recreateResultTable(r);
    r.RGOrdre->setItemIndex(0);
    std::optional<QString> onlyTable;
    if (r.ComboBoxTables->itemIndex() != 0) onlyTable = r.ComboBoxTables->text();
    return locksearch::collectLocks(r, r, onlyTable, progress);
}

// The record lookup only makes sense on a row: after a cancel it follows what the grid holds.
void lookupFollowsGrid(LockSearchContext& r) {
    const bool rows = r.UsersTableLocks->Active() && r.UsersTableLocks->RecordCount() > 0;
    r.BtnChercherRecordParRowID->setEnabled(rows);
    r.rouverlenregistrementselectionn1->setEnabled(rows);
}

QString partialResultText(const locksearch::SearchOutcome& outcome) {
    if (outcome.tablesReached <= 0)
        return QStringLiteral("Recherche annulée : aucun lock n'est affiché.");
    return QStringLiteral(
               "Recherche annulée : seuls les locks des tables 1 à %1 sur %2 sont "
               "affichés.")
        .arg(outcome.tablesReached)
        .arg(outcome.tableCount);
}

}  // namespace

void BtnChercherLocksParDictionnaireClick(LockSearchContext& r) {
    if (r.RGPaths->itemIndex() < 0) {
        ui::messageDialog(ui::DialogKind::Warning,
                          QStringLiteral("Il faut chosir un dictionnaire!"));
        return;
    }
    const locksearch::SearchOutcome outcome = collect(r);
    if (outcome.cancelled) {
        lookupFollowsGrid(r);
        ui::plainMessage(partialResultText(outcome));
        return;
    }
    if (r.UsersTableLocks->RecordCount() <= 0) {
        r.BtnChercherRecordParRowID->setEnabled(false);
        r.rouverlenregistrementselectionn1->setEnabled(false);
        r.UsersTableLocks->Close();
        forgetShownRecord(r);
        ui::messageDialog(ui::DialogKind::Information,
                          QStringLiteral("Il n'y a pas de Locks en ce moment!"));
        return;
    }
    r.BtnChercherRecordParRowID->setEnabled(true);
    r.rouverlenregistrementselectionn1->setEnabled(true);
    r.UsersTableLocks->First();
    rememberCurrentRow(r);
    r.RGOrdre->setItemIndex(0);
}

}  // namespace app
