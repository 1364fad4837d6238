// grille_locks.cpp: RGOrdreClick, wwDBGrid1CalcCellColors, wwDBGrid1RowChanged and
// ComboBoxTablesChange.
#include "app/grille_locks.h"

#include <QAction>
#include <QGuiApplication>
#include <QPalette>
#include <QPushButton>

#include "app/recherche_locks.h"
#include "data/adstable.h"
#include "ui/auto_size_label.h"
#include "ui/data_grid.h"
#include "ui/radio_group.h"

namespace app {
namespace {

TField* champ(RechercheLocks& r, const char* name) {
    return r.UsersTableLocks->FieldByName(QLatin1String(name));
}

}  // namespace

void forgetShownRecord(RechercheLocks& r) {
    r.QChercherRecordParRowID->Close();
    r.wwDBGrid2->setBackgroundColor(couleurFenetre());
    r.LabelDictionnaire->setText(QString());
    r.LabelTable->setText(QString());
}

QColor couleurFenetre() {
    return QGuiApplication::palette().color(QPalette::Base);
}

void RGOrdreClick(RechercheLocks& r) {
    if (!r.UsersTableLocks->Active()) return;
    switch (r.RGOrdre->itemIndex()) {
        case 0:
            r.UsersTableLocks->SetIndexName(QStringLiteral("UserName"));
            break;
        case 1:
            r.UsersTableLocks->SetIndexName(QStringLiteral("OsUserLoginName"));
            break;
        default:
            break;
    }
}

void wwDBGrid1CalcCellColors(RechercheLocks& r, TField*, ui::CellStyle& style) {
    if (champ(r, "LockedRecNo")->AsInteger() != r.RecNoGlobal) return;
    if (champ(r, "TableName")->AsString() != r.TableNameGlobal) return;
    if (champ(r, "DictionaryName")->AsString() != r.DictionaryNameGlobal) return;
    style.background = kSurbrillance;
    style.foreground = Qt::black;
}

void retenirLigneCourante(RechercheLocks& r) {
    r.DictionaryNameGlobal = champ(r, "DictionaryName")->AsString();
    r.TableNameGlobal = champ(r, "TableName")->AsString();
    r.RecNoGlobal = champ(r, "LockedRecNo")->AsInteger();
}

void wwDBGrid1RowChanged(RechercheLocks& r) {
    retenirLigneCourante(r);
    forgetShownRecord(r);
}

void ComboBoxTablesChange(RechercheLocks& r) {
    r.BtnChercherRecordParRowID->setEnabled(false);
    r.rouverlenregistrementselectionn1->setEnabled(false);
    r.UsersTableLocks->Close();
    forgetShownRecord(r);
}

}  // namespace app
