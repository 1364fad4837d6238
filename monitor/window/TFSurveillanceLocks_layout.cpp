// TFSurveillanceLocks_layout.cpp: the monitor window's controls and their places.
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "monitor/lock_text.h"
#include "monitor/window/TFSurveillanceLocks.h"
#include "monitor/window/lock_filter_proxy.h"
#include "monitor/window/lock_table_model.h"
#include "ui/layout.h"

namespace monitor {
namespace {

QTableWidget* summaryGrid(const char* name, const QString& holderTitle) {
    auto* grid = ui::named(new QTableWidget(0, 3), name);
    grid->setHorizontalHeaderLabels(
        {holderTitle, QStringLiteral("Locks"), QStringLiteral("Le plus ancien depuis")});
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

}  // namespace

void TFSurveillanceLocks::buildWindow() {
    setObjectName(QStringLiteral("FSurveillanceLocks"));
    setWindowTitle(QStringLiteral("Surveillance des locks"));
    setWindowFlag(Qt::Window);
    resize(1100, 700);

    ListeDictionnaires = ui::named(new QListWidget, "ListeDictionnaires");
    ListeDictionnaires->setMaximumHeight(72);
    ComboBoxIntervalle = ui::named(new QComboBox, "ComboBoxIntervalle");
    for (int seconds : kIntervals)
        ComboBoxIntervalle->addItem(QStringLiteral("%1 s").arg(seconds), seconds);
    SpinBoxSeuil = ui::named(new QSpinBox, "SpinBoxSeuil");
    SpinBoxSeuil->setRange(1, 24 * 3600);
    SpinBoxSeuil->setSuffix(QStringLiteral(" s"));
    BtnPause = ui::named(new QPushButton(QStringLiteral("Pause")), "BtnPause");
    BtnActualiser =
        ui::named(new QPushButton(QStringLiteral("Actualiser maintenant")), "BtnActualiser");
    BtnActualiser->setToolTip(QStringLiteral("F5"));
    BtnExporterCsv = ui::named(new QPushButton(QStringLiteral("Exporter en CSV…")), "BtnExporterCsv");
    EditFiltre = ui::named(new QLineEdit, "EditFiltre");
    EditFiltre->setPlaceholderText(QStringLiteral("Utilisateur, login OS, application ou table"));
    EditFiltre->setClearButtonEnabled(true);
    LabelCompteur = ui::named(new QLabel, "LabelCompteur");
    LabelActualisation = ui::named(new QLabel, "LabelActualisation");
    LabelErreur = ui::named(new QLabel, "LabelErreur");
    LabelErreur->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    LabelErreur->setWordWrap(true);
    LabelErreur->hide();

    ModeleLocks = new LockTableModel(this);
    FiltreLocks = new LockFilterProxy(ModeleLocks, this);
    GrilleLocks = ui::named(new QTableView, "GrilleLocks");
    GrilleLocks->setModel(FiltreLocks);
    GrilleLocks->setSortingEnabled(true);
    GrilleLocks->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    GrilleLocks->setSelectionBehavior(QAbstractItemView::SelectRows);
    GrilleLocks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GrilleLocks->verticalHeader()->hide();
    GrilleLocks->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    GrilleLocks->setWordWrap(false);

    LabelEnregistrement =
        ui::named(new QLabel(QStringLiteral("Double-cliquez sur un lock (ou Entrée) pour afficher "
                                        "l'enregistrement verrouillé.")),
              "LabelEnregistrement");
    GrilleEnregistrement = ui::named(new QTableWidget, "GrilleEnregistrement");
    GrilleEnregistrement->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GrilleEnregistrement->verticalHeader()->hide();
    auto* recordPage = new QWidget;
    auto* recordLayout = new QVBoxLayout(recordPage);
    recordLayout->addWidget(LabelEnregistrement);
    recordLayout->addWidget(GrilleEnregistrement);
    GrilleParUtilisateur = summaryGrid("GrilleParUtilisateur", QStringLiteral("Utilisateur"));
    GrilleParApplication = summaryGrid("GrilleParApplication", QStringLiteral("Application"));
    OngletsBas = ui::named(new QTabWidget, "OngletsBas");
    OngletsBas->addTab(recordPage, QStringLiteral("Enregistrement verrouillé"));
    OngletsBas->addTab(GrilleParUtilisateur, QStringLiteral("Par utilisateur"));
    OngletsBas->addTab(GrilleParApplication, QStringLiteral("Par application"));

    auto* settingsRow = new QHBoxLayout;
    settingsRow->addWidget(new QLabel(QStringLiteral("Dictionnaires :")));
    settingsRow->addWidget(ListeDictionnaires, 1);
    settingsRow->addWidget(new QLabel(QStringLiteral("Intervalle :")));
    settingsRow->addWidget(ComboBoxIntervalle);
    settingsRow->addWidget(new QLabel(QStringLiteral("Seuil :")));
    settingsRow->addWidget(SpinBoxSeuil);
    settingsRow->addWidget(BtnPause);
    settingsRow->addWidget(BtnActualiser);
    settingsRow->addWidget(BtnExporterCsv);

    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(new QLabel(QStringLiteral("Filtre :")));
    statusRow->addWidget(EditFiltre, 1);
    statusRow->addWidget(LabelCompteur);
    statusRow->addSpacing(16);
    statusRow->addWidget(LabelActualisation);

    auto* partage = new QSplitter(Qt::Vertical);
    partage->addWidget(GrilleLocks);
    partage->addWidget(OngletsBas);
    partage->setStretchFactor(0, 3);
    partage->setStretchFactor(1, 1);

    auto* page = new QVBoxLayout(this);
    page->addLayout(settingsRow);
    page->addLayout(statusRow);
    page->addWidget(LabelErreur);
    page->addWidget(partage, 1);

    TimerActualisation = new QTimer(this);
    TimerActualisation->setSingleShot(true);

    setTabOrder(ListeDictionnaires, ComboBoxIntervalle);
    setTabOrder(ComboBoxIntervalle, SpinBoxSeuil);
    setTabOrder(SpinBoxSeuil, BtnPause);
    setTabOrder(BtnPause, BtnActualiser);
    setTabOrder(BtnActualiser, BtnExporterCsv);
    setTabOrder(BtnExporterCsv, EditFiltre);
    setTabOrder(EditFiltre, GrilleLocks);
    setTabOrder(GrilleLocks, OngletsBas);
}

}  // namespace monitor
