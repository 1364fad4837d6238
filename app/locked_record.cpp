// locked_record.cpp: BtnChercherRecordParRowIDClick and the context-menu item.
#include "app/locked_record.h"

#include <QFontMetrics>
#include <QPushButton>
#include <algorithm>

#include "app/lock_grid.h"
#include "app/lock_search_context.h"
#include "data/adstable.h"
#include "locksearch/record_lookup.h"
#include "ui/auto_size_label.h"
#include "ui/data_grid.h"
#include "ui/messages.h"

namespace app {
namespace {

// A ROWID's letters and digits are wider than the font's average character: its column,
// the last of the record, is sized to the whole text.
void fitRowIdColumn(LockSearchContext& r) {
    TAdsQuery* q = r.QChercherRecordParRowID;
    TField* rowId = q->Fields(q->FieldCount() - 1);
    const QFontMetrics metrics = r.wwDBGrid2->fontMetrics();
    const int average = std::max(1, metrics.averageCharWidth());
    const int chars = (metrics.horizontalAdvance(rowId->AsString()) + average - 1) / average + 1;
    if (chars > rowId->DisplayWidth()) rowId->SetDisplayWidth(chars);
}

}  // namespace

void BtnChercherRecordParRowIDClick(LockSearchContext& r) {
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
    r.wwDBGrid2->setBackgroundColor(kHighlight);
    fitRowIdColumn(r);
}

void rouverlenregistrementselectionn1Click(LockSearchContext& r) {
    r.BtnChercherRecordParRowID->click();
}

}  // namespace app
