// lock_grid.cpp: RGOrdreClick, wwDBGrid1CalcCellColors, wwDBGrid1RowChanged and
// ComboBoxTablesChange.
#include "app/lock_grid.h"

#include <QAction>
#include <QGuiApplication>
#include <QPalette>
#include <QPushButton>

#include "app/lock_search_context.h"
#include "data/adstable.h"
#include "ui/auto_size_label.h"
#include "ui/data_grid.h"
#include "ui/radio_group.h"

namespace app {
namespace {

TField* lockField(LockSearchContext& r, const char* name) {
    return r.UsersTableLocks->FieldByName(QLatin1String(name));
}

}  // namespace

void forgetShownRecord(LockSearchContext& r) {
    r.QChercherRecordParRowID->Close();
    r.wwDBGrid2->setBackgroundColor(windowColor());
    r.LabelDictionnaire->setText(QString());
    r.LabelTable->setText(QString());
}

QColor windowColor() {
    return QGuiApplication::palette().color(QPalette::Base);
}

void RGOrdreClick(LockSearchContext& r) {
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

void wwDBGrid1CalcCellColors(LockSearchContext& r, TField*, ui::CellStyle& style) {
    if (lockField(r, "LockedRecNo")->AsInteger() != r.RecNoGlobal) return;
    if (lockField(r, "TableName")->AsString() != r.TableNameGlobal) return;
    if (lockField(r, "DictionaryName")->AsString() != r.DictionaryNameGlobal) return;
    style.background = kHighlight;
    style.foreground = Qt::black;
}

void rememberCurrentRow(LockSearchContext& r) {
    r.DictionaryNameGlobal = lockField(r, "DictionaryName")->AsString();
    r.TableNameGlobal = lockField(r, "TableName")->AsString();
    r.RecNoGlobal = lockField(r, "LockedRecNo")->AsInteger();
}

void wwDBGrid1RowChanged(LockSearchContext& r) {
    rememberCurrentRow(r);
    forgetShownRecord(r);
}

void ComboBoxTablesChange(LockSearchContext& r) {
    r.BtnChercherRecordParRowID->setEnabled(false);
    r.rouverlenregistrementselectionn1->setEnabled(false);
    r.UsersTableLocks->Close();
    forgetShownRecord(r);
}

}  // namespace app
