// main_window_test.cpp: the main window's creation (gate, then ads.ini), its layout in the
// design state, anchors on resize, the identification button and the tool windows.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>

#include "app/UFPrinciapl.h"
#include "app/secondary_window.h"
#include "data/adscnnct.h"
#include "data/adstable.h"
#include "db/field.h"
#include "dictionary/exe_folder.h"
#include "tests/app/modal_script.h"
#include "tests/ui/qt_print.h"
#include "ui/auto_size_label.h"
#include "ui/combo_box.h"
#include "ui/data_grid.h"
#include "ui/messages.h"
#include "ui/panel.h"
#include "ui/radio_group.h"

namespace {

using Shown = ui::ShownMessage;

class MainWindowTest : public ::testing::Test {
  protected:
    void writeAdsIni(const QByteArray& text) {
        QFile f(dir.filePath("ads.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    std::unique_ptr<TFPrincipal> create() {
        auto w = std::make_unique<TFPrincipal>();
        EXPECT_TRUE(script.done());
        return w;
    }
    static bool visibleTo(QWidget* w, QWidget* window) { return w->isVisibleTo(window); }

    QTemporaryDir dir;
    dictionary::ExecutableFolderOverride folder{dir.path()};
    ui::MessageRecorder messages;
    ModalScript script;
};

const QByteArray kAdsIni =
    "[Databases]\nARCHIVE_X_1=/base/a/Archive.add;A\nCompta=/base/Compta.add;A\n"
    "Paie=/base/paie/Paie.add;D\n";

TEST_F(MainWindowTest, MissingAdsIniComesAfterTheGateAndDisablesTheListedControls) {
    size_t messagesDuringGate = 99;
    script.expect("FMotDePasse", [&](QDialog* gate) {
        messagesDuringGate = messages.messages().size();
        typePassword(gate, "qv73");
    });
    auto w = create();
    EXPECT_EQ(messagesDuringGate, 0u);
    ASSERT_EQ(messages.messages().size(), 1u);
    const Shown& m = messages.messages()[0];
    EXPECT_EQ(m.form, Shown::Form::Dialog);
    EXPECT_EQ(m.caption, "Erreur");
    EXPECT_EQ(m.text,
              "Le fichier «ads.ini» est introuvable, veuillez placer cette application au même "
              "niveau que l'exécutable.!");
    for (QWidget* c : {(QWidget*)w->RGPaths, (QWidget*)w->Panel3, (QWidget*)w->Label3,
                       (QWidget*)w->LabelNombreTables, (QWidget*)w->ComboBoxTables,
                       (QWidget*)w->BtnChercherLocksParDictionnaire, (QWidget*)w->wwDBGrid1,
                       (QWidget*)w->Label1, (QWidget*)w->LabelDictionnaire, (QWidget*)w->Label2,
                       (QWidget*)w->LabelTable, (QWidget*)w->wwDBGrid2})
        EXPECT_FALSE(c->isEnabled()) << c->objectName().toStdString();
    EXPECT_FALSE(w->Chercherparenregistrementspcifique->isEnabled());
    EXPECT_FALSE(w->Convertisseur->isEnabled());
    EXPECT_FALSE(w->SurveillerLesLocks->isEnabled());
    for (QWidget* c : {(QWidget*)w->Panel1, (QWidget*)w->Panel2, (QWidget*)w->Panel4,
                       (QWidget*)w->BtnSIdentifier})
        EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
    EXPECT_TRUE(w->Outils->isEnabled());
    // The working area is shown: the gate ran first and was passed.
    EXPECT_TRUE(visibleTo(w->Panel1, w.get()));
}

TEST_F(MainWindowTest, AdsIniFillsTheDictionaryListEachItemWithItsOwnEntry) {
    writeAdsIni(kAdsIni);
    script.expect("FMotDePasse", password("qv73"));
    auto w = create();
    EXPECT_TRUE(messages.messages().empty());
    ASSERT_EQ(w->RGPaths->count(), 2);
    EXPECT_EQ(w->RGPaths->itemText(0), "Compta");
    EXPECT_EQ(w->RGPaths->itemText(1), "Paie");
    EXPECT_EQ(w->RGPaths->itemIndex(), -1);
    EXPECT_EQ(w->ListAllPaths.count(), 3);
    EXPECT_EQ(w->ListAllPaths.valueFromIndex(w->RGPaths->itemTag(1)), "/base/paie/Paie.add;D");
    EXPECT_EQ(w->PathToExe, dir.path() + "/");
    EXPECT_TRUE(w->RGPaths->isEnabled());
    EXPECT_TRUE(w->Convertisseur->isEnabled());

    // The keyboard starts on the dictionaries, which are made last, and Tab goes round.
    QWidget* first = w->focusWidget();
    ASSERT_TRUE(first != nullptr);
    QStringList tabs;
    QWidget* at = first;
    do {
        const bool comboEdit = qobject_cast<QComboBox*>(at->parentWidget()) != nullptr;
        if ((at->focusPolicy() & Qt::TabFocus) && !comboEdit) {
            auto* item = qobject_cast<QRadioButton*>(at);
            tabs << (item ? item->text() : at->objectName());
        }
        at = at->nextInFocusChain();
    } while (at != first);
    EXPECT_EQ(tabs,
              (QStringList{"Compta", "Paie", "ComboBoxTables", "BtnChercherLocksParDictionnaire",
                           "UserName", "OsUserLoginName", "wwDBGrid1", "BtnChercherRecordParRowID",
                           "wwDBGrid2", "BtnSIdentifier"}));
}

TEST_F(MainWindowTest, LayoutInTheDesignState) {
    writeAdsIni(kAdsIni);
    script.expect("FMotDePasse", password("qv73"));
    auto w = create();
    EXPECT_EQ(w->windowTitle(), "Des Locks par table");
    EXPECT_EQ(w->centralWidget()->size(), QSize(1089, 643));
    struct Place {
        const char* name;
        QRect rect;
    } places[] = {
        {"RGPaths", {6, 6, 185, 603}},
        {"Panel3", {197, 13, 883, 61}},
        {"ComboBoxTables", {240, 20, 189, 22}},
        {"BtnChercherLocksParDictionnaire", {454, 19, 190, 24}},
        {"RGOrdre", {696, 2, 165, 54}},
        {"Panel1", {197, 80, 883, 435}},
        {"Panel4", {8, 7, 864, 29}},
        {"wwDBGrid1", {10, 42, 864, 353}},
        {"BtnChercherRecordParRowID", {314, 401, 255, 24}},
        {"Panel2", {197, 521, 883, 114}},
        {"wwDBGrid2", {10, 33, 864, 70}},
        {"BtnSIdentifier", {893, 599, 123, 25}},
    };
    for (const Place& p : places) {
        auto* c = w->findChild<QWidget*>(p.name);
        ASSERT_NE(c, nullptr) << p.name;
        EXPECT_EQ(c->geometry(), p.rect) << p.name;
    }
    struct Text {
        const char* name;
        QString text;
        QPoint at;
    } texts[] = {
        {"Label3", "Nombre de tables :", {44, 23}},
        {"LabelNombreTables", "0", {170, 23}},
        {"Label1", "Dictionnaire :", {45, 11}},
        {"LabelDictionnaire", "NomDictionnaire", {140, 11}},
        {"Label2", "Table :", {321, 11}},
        {"LabelTable", "NomTable", {374, 11}},
        {"Label4", "Version : 29-Sept-2020", {29, 621}},
    };
    for (const Text& t : texts) {
        auto* l = w->findChild<QLabel*>(t.name);
        ASSERT_NE(l, nullptr) << t.name;
        EXPECT_EQ(l->text(), t.text);
        EXPECT_EQ(l->pos(), t.at) << t.name;
    }
    EXPECT_EQ(w->LabelNombreTables->palette().color(QPalette::WindowText), QColor(160, 160, 164));
    EXPECT_TRUE(w->LabelNombreTables->font().italic());
    EXPECT_EQ(w->LabelNombreTables->font().pixelSize(), 13);
    EXPECT_EQ(w->Panel4->caption(), "Locks");
    EXPECT_EQ(w->Panel4->font().pixelSize(), 24);
    EXPECT_EQ(w->RGPaths->title(), "Dictionnaires :");
    EXPECT_EQ(w->RGOrdre->title(), "Ordre d'affichage");
    EXPECT_EQ(w->RGOrdre->itemText(1), "OsUserLoginName");
    EXPECT_EQ(w->RGOrdre->itemIndex(), -1);
    EXPECT_EQ(w->BtnChercherLocksParDictionnaire->text(), "Chercher des locks / Rafraîchir");
    EXPECT_FALSE(w->BtnChercherLocksParDictionnaire->isEnabled());
    EXPECT_FALSE(w->BtnChercherRecordParRowID->isEnabled());
    EXPECT_EQ(w->BtnChercherRecordParRowID->text(), "Trouver l'enregistrement du Lock selectionné");
    EXPECT_EQ(w->ComboBoxTables->maxVisibleItems(), 25);
    EXPECT_EQ(w->ComboBoxTables->itemIndex(), -1);
    EXPECT_EQ(w->Outils->title(), "Menu Outils");
    EXPECT_EQ(w->Chercherparenregistrementspcifique->text(),
              "Chercher par enregistrement spécifique");
    EXPECT_EQ(w->Convertisseur->text(), "Convertisseur");
    EXPECT_EQ(w->rouverlenregistrementselectionn1->text(), "Trouver l'enregistrement selectionné");
    EXPECT_FALSE(w->rouverlenregistrementselectionn1->isEnabled());
    EXPECT_EQ(w->wwDBGrid1->contextMenuPolicy(), Qt::CustomContextMenu);
    EXPECT_TRUE(w->wwDBGrid2->font().bold());
    EXPECT_EQ(w->RecNoGlobal, 0);
    EXPECT_TRUE(w->DictionaryPath.isEmpty());
    EXPECT_TRUE(w->TrimmedPath.isEmpty());
}

TEST_F(MainWindowTest, ControlsFollowTheirAnchorsWhenTheWindowGrows) {
    writeAdsIni(kAdsIni);
    script.expect("FMotDePasse", password("qv73"));
    auto w = create();
    w->show();
    const QSize client = w->centralWidget()->size();
    w->resize(w->width() + 100, w->height() + 50);
    QCoreApplication::processEvents();
    ASSERT_EQ(w->centralWidget()->size(), client + QSize(100, 50));
    // The dictionary list keeps its width; the panels and both grids grow to the right.
    EXPECT_EQ(w->RGPaths->geometry(), QRect(6, 6, 185, 603));           // left, top
    EXPECT_EQ(w->Panel3->geometry(), QRect(197, 13, 983, 61));          // left, top, right
    EXPECT_EQ(w->ComboBoxTables->geometry(), QRect(240, 20, 189, 22));  // left, top
    EXPECT_EQ(w->Panel1->geometry(), QRect(197, 80, 983, 485));         // all four
    EXPECT_EQ(w->wwDBGrid1->geometry(), QRect(10, 42, 964, 403));       // all four
    EXPECT_EQ(w->BtnChercherRecordParRowID->pos(), QPoint(364, 451));   // bottom only: centred
    EXPECT_EQ(w->Panel2->geometry(), QRect(197, 571, 983, 114));        // left, right, bottom
    EXPECT_EQ(w->wwDBGrid2->geometry(), QRect(10, 33, 964, 70));        // all four
    EXPECT_EQ(w->BtnSIdentifier->pos(), QPoint(893, 599));              // left, top
}

TEST_F(MainWindowTest, TheWindowDoesNotShrinkBelowItsDesignSize) {
    writeAdsIni(kAdsIni);
    script.expect("FMotDePasse", password("qv73"));
    auto w = create();
    w->show();
    const QSize client = w->centralWidget()->size();
    w->resize(850, 520);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->centralWidget()->size(), client) << "every control stays in view";
    EXPECT_TRUE(w->RGOrdre->isVisible());
}

TEST_F(MainWindowTest, CancelHidesTheWorkingAreaAndSIdentifierBringsItBack) {
    writeAdsIni(kAdsIni);
    script.expect("FMotDePasse", password("QV73"));
    script.expect("FMotDePasse", escape());
    auto w = create();
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text, "Mot de passe invalide");
    QWidget* area[] = {w->Panel3, w->Panel1, w->Panel2, w->RGPaths};
    for (QWidget* c : area) EXPECT_FALSE(visibleTo(c, w.get())) << c->objectName().toStdString();
    EXPECT_TRUE(visibleTo(w->BtnSIdentifier, w.get()));
    EXPECT_TRUE(visibleTo(w->Label4, w.get()));
    EXPECT_TRUE(w->Convertisseur->isEnabled());

    w->show();
    script.expect("FMotDePasse", password("qv73"));
    QTest::mouseClick(w->BtnSIdentifier, Qt::LeftButton);
    EXPECT_TRUE(script.done());
    for (QWidget* c : area) EXPECT_TRUE(visibleTo(c, w.get())) << c->objectName().toStdString();
    EXPECT_FALSE(visibleTo(w->BtnSIdentifier, w.get()));
}

TEST_F(MainWindowTest, ToolWindowsOpenWhileTheMainWindowIsHiddenAndLeaveItAsItWas) {
    writeAdsIni(kAdsIni);
    script.expect("FMotDePasse", password("qv73"));
    auto w = create();
    w->show();
    w->RGPaths->setItemIndex(1);
    messages.clear();  // that dictionary's connection, refused: no server here
    w->LabelTable->setText("Clients");
    const struct {
        QAction* item;
        const char* window;
    } tools[] = {{w->Convertisseur, "FConverter"},
                 {w->Chercherparenregistrementspcifique, "FUnLockDUnRecordSpecifique"}};
    for (const auto& tool : tools) {
        SCOPED_TRACE(tool.window);
        bool mainHiddenMeanwhile = false;
        QString toolParent = "?";
        script.expect(tool.window, [&](QDialog* window) {
            mainHiddenMeanwhile = !w->isVisible();
            toolParent = window->parent() == nullptr ? "none" : "some";
            window->close();
        });
        tool.item->trigger();
        EXPECT_TRUE(script.done());
        EXPECT_TRUE(mainHiddenMeanwhile);
        EXPECT_EQ(toolParent, "none");
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->RGPaths->itemIndex(), 1);
        EXPECT_EQ(w->LabelTable->text(), "Clients");
        for (QWidget* top : QApplication::topLevelWidgets())
            EXPECT_NE(top->objectName(), tool.window);  // destroyed after closing
    }
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(MainWindowTest, TheLockMonitorOpensBesideTheMainWindowAndLeavesItAsItWas) {
    writeAdsIni(kAdsIni);
    script.expect("FMotDePasse", password("qv73"));
    auto w = create();
    w->show();
    w->LabelTable->setText("Clients");
    const QList<QAction*> items = w->Outils->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_EQ(items[3], w->SurveillerLesLocks);
    EXPECT_EQ(w->SurveillerLesLocks->text(), "Surveiller les locks");
    EXPECT_TRUE(w->SurveillerLesLocks->isEnabled());

    // The monitor keeps its settings: here, in the test's folder.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    w->SurveillerLesLocks->trigger();
    QPointer<QWidget> monitor = w->FSurveillanceLocks;
    ASSERT_TRUE(monitor);
    EXPECT_EQ(monitor->windowTitle(), "Surveillance des locks");
    EXPECT_TRUE(monitor->isVisible());
    EXPECT_TRUE(monitor->isWindow());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->LabelTable->text(), "Clients");
    w->SurveillerLesLocks->trigger();
    EXPECT_EQ(w->FSurveillanceLocks, monitor) << "one monitor at a time";
    monitor->close();
    QTest::qWait(0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(monitor);
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(MainWindowTest, NonVisualMembersAreBuiltClosedOnTheirConnection) {
    writeAdsIni(kAdsIni);
    script.expect("FMotDePasse", password("qv73"));
    auto w = create();

    EXPECT_EQ(w->ManagementConn->objectName(), "ManagementConn");
    EXPECT_EQ(w->ManagementConn->AdsServerTypes, TAdsServerTypes{stADS_REMOTE});
    EXPECT_EQ(w->ManagementConn->Username, "adssys");
    EXPECT_EQ(w->ManagementConn->Password, "kor5382");
    EXPECT_FALSE(w->ManagementConn->IsConnected());

    struct {
        TAdsDataSet* dataSet;
        const char* name;
        int lines;  // -1 for the table
        bool respectsWhenCounting;
    } const dataSets[] = {
        {w->QTrouverLockedRecNumbers, "QTrouverLockedRecNumbers", 1, true},
        {w->QTrouverUsersQuiBloquent, "QTrouverUsersQuiBloquent", 1, true},
        {w->QCreerTab_UsersTableLocks, "QCreerTab_UsersTableLocks", 12, true},
        {w->QDropingTempTable, "QDropingTempTable", 3, false},
        {w->UsersTableLocks, "UsersTableLocks", -1, true},
        {w->QChercherRecordParRowID, "QChercherRecordParRowID", 6, true},
    };
    EXPECT_EQ(w->ManagementConn->GetDataSetCount(), 6);
    for (const auto& d : dataSets) {
        SCOPED_TRACE(d.name);
        EXPECT_EQ(d.dataSet->objectName(), d.name);
        EXPECT_FALSE(d.dataSet->Active());
        EXPECT_EQ(d.dataSet->AdsConnection(), w->ManagementConn);
        EXPECT_EQ(d.dataSet->AdsTableOptions().AdsFilterOptions ==
                      TAdsFilterOptions::RESPECT_WHEN_COUNTING,
                  d.respectsWhenCounting);
        if (auto* query = dynamic_cast<TAdsQuery*>(d.dataSet)) {
            EXPECT_EQ(query->SQL().Lines().size(), d.lines);
        }
    }
    EXPECT_EQ(w->QCreerTab_UsersTableLocks->SQL().Lines().at(2), "\t  DictionaryPath CIChar(100),");
    EXPECT_EQ(w->QCreerTab_UsersTableLocks->SQL().Lines().at(9), "");
    EXPECT_EQ(w->UsersTableLocks->TableName(), "#UsersTableLocks");

    // The result table's fields in their declared order, with what the grid shows.
    struct {
        const char* name;
        int size, width;
        const char* label;
        bool visible;
    } const fields[] = {
        {"UserName", 50, 30, "UserName", true},
        {"OsUserLoginName", 50, 30, "OsUserLoginName", true},
        {"LockedRecNo", 0, 16, "LockedRecNo", true},
        {"TableName", 25, 29, "Table", true},
        {"ApplicationID", 70, 29, "ApplicationID", true},
        {"DictionaryName", 25, 21, "Dictionnaire", false},
        {"DictionaryPath", 100, 100, "DictionaryPath", false},
        {"TablePath", 100, 100, "TablePath", false},
    };
    ASSERT_EQ(w->UsersTableLocks->FieldCount(), 8);
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(fields[i].name);
        TField* f = w->UsersTableLocks->Fields(i);
        EXPECT_EQ(f->FieldName(), fields[i].name);
        EXPECT_EQ(f->objectName(), QString("UsersTableLocks") + fields[i].name);
        if (fields[i].size) {
            EXPECT_EQ(f->Size(), fields[i].size);
        }
        EXPECT_EQ(f->DisplayWidth(), fields[i].width);
        EXPECT_EQ(f->DisplayLabel(), QString::fromUtf8(fields[i].label));
        EXPECT_EQ(f->Visible(), fields[i].visible);
    }
}

TEST_F(MainWindowTest, ClosingWithoutAnyDictionaryEndsQuietly) {
    writeAdsIni(kAdsIni);
    script.expect("FMotDePasse", password("qv73"));
    auto w = create();
    w->show();
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_EQ(w->ListAllPaths.count(), 0);
}

}  // namespace

namespace {

// A tool window whose modal showing fails.
class FailingDialog : public QDialog {
  public:
    explicit FailingDialog(QWidget* owner) : QDialog(owner) { ++alive; }
    ~FailingDialog() override { --alive; }
    int exec() override { throw std::runtime_error("échec"); }
    static inline int alive = 0;
};

TEST(SecondaryWindow, AFailingWindowIsStillReleasedAndTheMainWindowComesBack) {
    QWidget main;
    main.show();
    FailingDialog* moduleVariable = nullptr;
    EXPECT_THROW(app::openSecondaryWindow(&main, moduleVariable), std::runtime_error);
    EXPECT_EQ(moduleVariable, nullptr);
    EXPECT_EQ(FailingDialog::alive, 0);
    EXPECT_TRUE(main.isVisible());
}

}  // namespace
