// recherche_sans_fenetre.cpp: components, hidden controls and signals of a window-less search.
#include "app/recherche_sans_fenetre.h"

#include <QAction>
#include <QPushButton>

#include "dictionary/alias_config.h"
#include "ui/auto_size_label.h"
#include "ui/combo_box.h"
#include "ui/data_grid.h"
#include "ui/radio_group.h"

namespace app {
namespace {

template <class W>
W* nomme(W* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
}

}  // namespace

RechercheSansFenetre::RechercheSansFenetre() {
    locksearch::declareComponents(&fenetre_, *this);
    QWidget* f = &fenetre_;
    RGPaths = nomme(new ui::RadioGroup(f), "RGPaths");
    LabelNombreTables = nomme(new ui::AutoSizeLabel(QStringLiteral("0"), f), "LabelNombreTables");
    ComboBoxTables = nomme(new ui::ComboBox(f), "ComboBoxTables");
    BtnChercherLocksParDictionnaire = nomme(new QPushButton(f), "BtnChercherLocksParDictionnaire");
    BtnChercherLocksParDictionnaire->setEnabled(false);
    RGOrdre = nomme(new ui::RadioGroup(f), "RGOrdre");
    RGOrdre->addItem(QStringLiteral("UserName"));
    RGOrdre->addItem(QStringLiteral("OsUserLoginName"));
    BtnChercherRecordParRowID = nomme(new QPushButton(f), "BtnChercherRecordParRowID");
    BtnChercherRecordParRowID->setEnabled(false);
    rouverlenregistrementselectionn1 = nomme(new QAction(f), "rouverlenregistrementselectionn1");
    rouverlenregistrementselectionn1->setEnabled(false);
    LabelDictionnaire = nomme(new ui::AutoSizeLabel(f), "LabelDictionnaire");
    LabelTable = nomme(new ui::AutoSizeLabel(f), "LabelTable");
    wwDBGrid2 = nomme(new ui::DataGrid(f), "wwDBGrid2");
    connecterSignauxRecherche(*this, &fenetre_);
}

RechercheSansFenetre::~RechercheSansFenetre() = default;

void RechercheSansFenetre::ajouterAlias(const QString& name, const QString& value) {
    const int entry = ListAllPaths.add(name + u'=' + value);
    if (dictionary::isAliasOffered(name)) RGPaths->addItem(name, entry);
}

}  // namespace app
