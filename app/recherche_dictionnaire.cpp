// recherche_dictionnaire.cpp: BtnChercherLocksParDictionnaireClick.
#include "app/recherche_dictionnaire.h"

#include <QAction>
#include <QPushButton>

#include "app/collecte_locks.h"
#include "app/grille_locks.h"
#include "app/progression_recherche.h"
#include "app/recherche_locks.h"
#include "app/table_resultats.h"
#include "data/adscnnct.h"
#include "data/adstable.h"
#include "dictionary/table_list.h"
#include "ui/auto_size_label.h"
#include "ui/combo_box.h"
#include "ui/data_grid.h"
#include "ui/messages.h"
#include "ui/radio_group.h"

namespace app {
namespace {

// Re-creates the result table and collects; returns false when the user cancelled.
bool collecter(RechercheLocks& r) {
    ProgressionRecherche progression(r);
    try {
        recreerTableResultats(r);
        r.RGOrdre->setItemIndex(0);
        if (r.ComboBoxTables->itemIndex() != 0) {
            const QString table = r.ComboBoxTables->text();
            progression.table(1, 1, table);
            TrouverLocksParTable(r, table);
            return true;
        }
        rtl::StringList ListAllTablesAndViews;
        r.ManagementConn->GetTableNames(&ListAllTablesAndViews, r.DictionaryPath);
        ListAllTablesAndViews.sort();
        const int n = ListAllTablesAndViews.count();
        for (int i = 0; i < n; ++i) {
            const QString& name = ListAllTablesAndViews.at(i);
            progression.table(i + 1, n, name);
            if (dictionary::tableAvecFichier(r.TrimmedPath, name)) TrouverLocksParTable(r, name);
        }
        return true;
    } catch (const RechercheAnnulee&) {
        return false;
    }
}

}  // namespace

void BtnChercherLocksParDictionnaireClick(RechercheLocks& r) {
    if (r.RGPaths->itemIndex() < 0) {
        ui::messageDialog(ui::DialogKind::Warning,
                          QStringLiteral("Il faut chosir un dictionnaire!"));
        return;
    }
    if (!collecter(r)) return;
    if (r.UsersTableLocks->RecordCount() <= 0) {
        r.BtnChercherRecordParRowID->setEnabled(false);
        r.rouverlenregistrementselectionn1->setEnabled(false);
        r.UsersTableLocks->Close();
        r.LabelDictionnaire->setText(QString());
        r.LabelTable->setText(QString());
        r.QChercherRecordParRowID->Close();
        r.wwDBGrid2->setBackgroundColor(couleurFenetre());
        ui::messageDialog(ui::DialogKind::Information,
                          QStringLiteral("Il n'y a pas de Locks en ce moment!"));
        return;
    }
    r.BtnChercherRecordParRowID->setEnabled(true);
    r.rouverlenregistrementselectionn1->setEnabled(true);
    r.UsersTableLocks->First();
    retenirLigneCourante(r);
    r.RGOrdre->setItemIndex(0);
}

}  // namespace app
