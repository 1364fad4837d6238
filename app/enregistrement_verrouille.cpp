// enregistrement_verrouille.cpp: BtnChercherRecordParRowIDClick and the context-menu item.
#include "app/enregistrement_verrouille.h"

#include <QPushButton>

#include "app/grille_locks.h"
#include "app/recherche_locks.h"
#include "data/adstable.h"
#include "dictionary/sql_quoting.h"
#include "tools/codec.h"
#include "ui/auto_size_label.h"
#include "ui/data_grid.h"
#include "ui/messages.h"

namespace app {

void BtnChercherRecordParRowIDClick(RechercheLocks& r) {
    TAdsQuery* q = r.QChercherRecordParRowID;
    TAdsTable* locks = r.UsersTableLocks;
    q->Close();
    q->SQL().Set(2,
                 dictionary::sqlName(locks->FieldByName(QStringLiteral("TableName"))->AsString()));
    q->SQL().Set(5, QStringLiteral(" '") +
                        Encode64(locks->FieldByName(QStringLiteral("LockedRecNo"))->AsInteger()) +
                        QStringLiteral("' "));
    q->Open();
    if (q->RecordCount() <= 0) {
        r.LabelDictionnaire->setText(QString());
        r.LabelTable->setText(QString());
        r.wwDBGrid2->setBackgroundColor(couleurFenetre());
        q->Close();
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
