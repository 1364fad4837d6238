// windowless_search.cpp: components, hidden controls and signals of a window-less search.
#include "app/windowless_search.h"

#include <QAction>
#include <QPushButton>

#include "dictionary/alias_config.h"
#include "ui/auto_size_label.h"
#include "ui/combo_box.h"
#include "ui/data_grid.h"
#include "ui/layout.h"
#include "ui/radio_group.h"

namespace app {

WindowlessSearch::WindowlessSearch() {
    locksearch::declareComponents(&window_, *this);
    QWidget* f = &window_;
    RGPaths = ui::named(new ui::RadioGroup(f), "RGPaths");
    LabelNombreTables =
        ui::named(new ui::AutoSizeLabel(QStringLiteral("0"), f), "LabelNombreTables");
    ComboBoxTables = ui::named(new ui::ComboBox(f), "ComboBoxTables");
    BtnChercherLocksParDictionnaire =
        ui::named(new QPushButton(f), "BtnChercherLocksParDictionnaire");
    BtnChercherLocksParDictionnaire->setEnabled(false);
    RGOrdre = ui::named(new ui::RadioGroup(f), "RGOrdre");
    RGOrdre->addItem(QStringLiteral("UserName"));
    RGOrdre->addItem(QStringLiteral("OsUserLoginName"));
    BtnChercherRecordParRowID = ui::named(new QPushButton(f), "BtnChercherRecordParRowID");
    BtnChercherRecordParRowID->setEnabled(false);
    rouverlenregistrementselectionn1 =
        ui::named(new QAction(f), "rouverlenregistrementselectionn1");
    rouverlenregistrementselectionn1->setEnabled(false);
    LabelDictionnaire = ui::named(new ui::AutoSizeLabel(f), "LabelDictionnaire");
    LabelTable = ui::named(new ui::AutoSizeLabel(f), "LabelTable");
    wwDBGrid2 = ui::named(new ui::DataGrid(f), "wwDBGrid2");
    connectSearchSignals(*this, &window_);
}

WindowlessSearch::~WindowlessSearch() = default;

void WindowlessSearch::addAlias(const QString& name, const QString& value) {
    const int entry = ListAllPaths.add(name + u'=' + value);
    if (dictionary::isAliasOffered(name)) RGPaths->addItem(name, entry);
}

}  // namespace app
