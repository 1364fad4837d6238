// enregistrement_verrouille.cpp: BtnChercherRecordParRowIDClick and the context-menu item.
#include "app/enregistrement_verrouille.h"

#include <QPushButton>

#include "app/grille_locks.h"
#include "app/recherche_locks.h"
#include "data/adstable.h"
#include "locksearch/record_lookup.h"
#include "ui/auto_size_label.h"
#include "ui/data_grid.h"
#include "ui/messages.h"

namespace app {

void BtnChercherRecordParRowIDClick(RechercheLocks& r) {
    TAdsTable* locks = r.UsersTableLocks;
    const bool found = locksearch::lookUpLockedRecord(
        *r.QChercherRecordParRowID, locks->FieldByName(QStringLiteral("TableName"))->AsString(),
        locks->FieldByName(QStringLiteral("LockedRecNo"))->AsInteger());
    if (!found) {
        forgetShownRecord(r);
        ui::plainMessage(QStringLiteral("L'enregistrement n'a pas été trouvé!"));
        return;
    }
    r.LabelDictionnaire->setText(locks->FieldByName(QStringLiteral("DictionaryName"))->AsString());
    r.LabelTable->setText(locks->FieldByName(QStringLiteral("TableName"))->AsString());
    r.wwDBGrid2->setBackgroundColor(kSurbrillance);
}

void rouverlenregistrementselectionn1Click(RechercheLocks& r) {
    r.BtnChercherRecordParRowID->click();
}

}  // namespace app
