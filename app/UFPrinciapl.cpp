// UFPrinciapl.cpp: the main window's creation, closing, identification hook and menus.
#include "app/UFPrinciapl.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "app/identification/identification_gate.h"
#include "app/secondary_window.h"
#include "data/adscnnct.h"
#include "data/adstable.h"
#include "dictionary/alias_config.h"
#include "dictionary/exe_folder.h"
#include "monitor/window/TFSurveillanceLocks.h"
#include "rtl/file_exists.h"
#include "tools/UFConverter.h"
#include "tools/UFPrincipal2.h"
#include "ui/auto_size_label.h"
#include "ui/combo_box.h"
#include "ui/data_grid.h"
#include "ui/messages.h"
#include "ui/panel.h"
#include "ui/radio_group.h"

TFPrincipal* FPrincipal = nullptr;

namespace {

// The converter while it is shown from the menu.
TFConverter* FConverter = nullptr;

}  // namespace

TFPrincipal::TFPrincipal(QWidget* parent) : QMainWindow(parent) {
    buildWindow();
    locksearch::declareComponents(this, *this);
    linkGrids();
    connectSignals();
    ui::guarded([this] { FormCreate(); });
}

TFPrincipal::~TFPrincipal() = default;

void TFPrincipal::FormCreate() {
    DemanderMotDePasse();
    PathToExe = dictionary::executableFolder();
    ListAllPaths.clear();
    if (rtl::fileExists(PathToExe + QStringLiteral("ads.ini"))) {
        for (const dictionary::OfferedAlias& alias :
             dictionary::loadAliases(PathToExe, ListAllPaths))
            RGPaths->addItem(alias.name, alias.entry);
        orderTabs();
        return;
    }
    ui::messageDialog(ui::DialogKind::Error, dictionary::kAdsIniMissing);
    for (QWidget* w :
         std::initializer_list<QWidget*>{RGPaths, Panel3, Label3, LabelNombreTables, ComboBoxTables,
                                         BtnChercherLocksParDictionnaire, wwDBGrid1, Label1,
                                         LabelDictionnaire, Label2, LabelTable, wwDBGrid2})
        w->setEnabled(false);
    Chercherparenregistrementspcifique->setEnabled(false);
    Convertisseur->setEnabled(false);
    SurveillerLesLocks->setEnabled(false);
}

// The datasets close and ManagementConn disconnects here once they exist.
void TFPrincipal::FormClose() {
    QTrouverLockedRecNumbers->Close();
    QTrouverUsersQuiBloquent->Close();
    QDropingTempTable->Close();
    QCreerTab_UsersTableLocks->Close();
    QChercherRecordParRowID->Close();
    // Also closes UsersTableLocks; the server then discards #UsersTableLocks.
    ManagementConn->Disconnect();
    ListAllPaths.clear();
}

void TFPrincipal::closeEvent(QCloseEvent* event) {
    ui::guarded([this] { FormClose(); });
    QMainWindow::closeEvent(event);
}

void TFPrincipal::DemanderMotDePasse() {
    const bool identified =
        identification::runIdentification() == identification::Outcome::Identified;
    for (QWidget* w : std::initializer_list<QWidget*>{Panel3, Panel1, Panel2, RGPaths})
        w->setVisible(identified);
    BtnSIdentifier->setVisible(!identified);
}

void TFPrincipal::BtnSIdentifierClick() {
    DemanderMotDePasse();
}

void TFPrincipal::ConvertisseurClick() {
    app::openSecondaryWindow(this, FConverter);
}

void TFPrincipal::ChercherparenregistrementspcifiqueClick() {
    app::openSecondaryWindow(this, FUnLockDUnRecordSpecifique);
}

void TFPrincipal::SurveillerLesLocksClick() {
    if (!FSurveillanceLocks) {
        FSurveillanceLocks = new monitor::TFSurveillanceLocks(this);
        FSurveillanceLocks->setAttribute(Qt::WA_DeleteOnClose);
    }
    FSurveillanceLocks->show();
    FSurveillanceLocks->raise();
    FSurveillanceLocks->activateWindow();
}

void TFPrincipal::buildMenus() {
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    Outils = MainMenu1->addMenu(QStringLiteral("Menu Outils"));
    Outils->setObjectName(QStringLiteral("Outils"));
    Chercherparenregistrementspcifique =
        Outils->addAction(QStringLiteral("Chercher par enregistrement spécifique"));
    Chercherparenregistrementspcifique->setObjectName(
        QStringLiteral("Chercherparenregistrementspcifique"));
    Convertisseur = Outils->addAction(QStringLiteral("Convertisseur"));
    Convertisseur->setObjectName(QStringLiteral("Convertisseur"));
    Outils->addSeparator();
    SurveillerLesLocks = Outils->addAction(QStringLiteral("Surveiller les locks"));
    SurveillerLesLocks->setObjectName(QStringLiteral("SurveillerLesLocks"));

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    rouverlenregistrementselectionn1 =
        PopupMenu1->addAction(QStringLiteral("Trouver l'enregistrement selectionné"));
    rouverlenregistrementselectionn1->setObjectName(
        QStringLiteral("rouverlenregistrementselectionn1"));
    rouverlenregistrementselectionn1->setEnabled(false);
    wwDBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
}
