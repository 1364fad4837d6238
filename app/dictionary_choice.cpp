// dictionary_choice.cpp: RGPathsClick and RemplirComboBoxTables.
#include "app/dictionary_choice.h"

#include <QAction>
#include <QPushButton>

#include "app/lock_grid.h"
#include "app/lock_search_context.h"
#include "data/adscnnct.h"
#include "dictionary/alias_config.h"
#include "dictionary/table_list.h"
#include "rtl/exception.h"
#include "ui/auto_size_label.h"
#include "ui/combo_box.h"
#include "ui/data_grid.h"
#include "ui/messages.h"
#include "ui/radio_group.h"

namespace app {

void RGPathsClick(LockSearchContext& r) {
    r.BtnChercherRecordParRowID->setEnabled(false);
    r.rouverlenregistrementselectionn1->setEnabled(false);
    // Disconnecting closes both grids' datasets.
    r.ManagementConn->Disconnect();
    forgetShownRecord(r);
    RemplirComboBoxTables(r);
}

void RemplirComboBoxTables(LockSearchContext& r) {
    r.ManagementConn->Disconnect();
    try {
        const int item = r.RGPaths->itemIndex();
        const QString value = dictionary::aliasEntryValue(r.ListAllPaths, r.RGPaths->itemTag(item));
        const QStringList tables =
            dictionary::connectAndList(*r.ManagementConn, value, r.DictionaryPath, r.TrimmedPath);
        r.DictionaryName = r.RGPaths->itemText(item);
        r.ComboBoxTables->clearItems();
        r.ComboBoxTables->setText(QString());
        r.ComboBoxTables->addItem(QStringLiteral("Toutes les tables"));
        r.ComboBoxTables->addItems(tables);
        r.ComboBoxTables->selectItem(0);
        r.BtnChercherLocksParDictionnaire->setEnabled(true);
        r.LabelNombreTables->setText(QString::number(r.ComboBoxTables->count() - 1));
    } catch (const rtl::Exception& e) {
        r.ComboBoxTables->setText(QString());
        r.ComboBoxTables->clearItems();
        r.LabelNombreTables->setText(QStringLiteral("0"));
        r.BtnChercherLocksParDictionnaire->setEnabled(false);
        ui::plainMessage(dictionary::errorFoundText(e));
    }
}

}  // namespace app
