// record_window_test.cpp: the specific-record window end to end: a real enginesrv, a lock
// holder in another process, the window offscreen driven by clicks and keys, every message
// recorded.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <memory>
#include <tuple>

#include "data/adscnnct.h"
#include "data/adstable.h"
#include "db/field.h"
#include "dictionary/alias_config.h"
#include "dictionary/exe_folder.h"
#include "engine/core/dictionary.h"
#include "tests/data/engine_fixture.h"
#include "tests/support/lock_holder.h"
#include "tests/ui/qt_print.h"
#include "tools/UFPrincipal2.h"
#include "tools/record_input.h"
#include "ui/combo_box.h"
#include "ui/data_grid.h"
#include "ui/messages.h"
#include "ui/panel.h"
#include "ui/radio_group.h"

namespace {

using Form = ui::ShownMessage::Form;

const QString kRowIdNotFound = QStringLiteral(
    "Row_ID Introuvable.\n\r\n\rVerifiez si l'enregistrement existe vraiment dans la table "
    "selectionée");

const QStringList kTemplateRowId = {
    "select rowid from",      "                 //nom de la table",
    " \t              where", " \t              //colonne à chercher",
    " \t              =",     "               //Valeur de la colonne à chercher",
};

// The owners' statement with its two replaced lines.
QStringList ownersStatement(const QString& tableLine, const QString& recNoLine) {
    return {"Select Principal.UserName, Principal.OsUserLoginName, Principal.ApplicationID",
            "From",
            "(",
            "EXECUTE PROCEDURE sp_mgGetLockOwner(",
            tableLine,
            "\t\t\t\t\t\t\t\t\t                    ,",
            recNoLine,
            "\t\t\t\t\t\t\t\t\t                 )",
            ")as Principal;"};
}

// Runs `sql` on the dictionary `path` as its administrator.
void runSql(const QString& path, const QStringList& sql) {
    TAdsConnection conn(nullptr);
    e2e::connectAsAdmin(conn, path);
    TAdsQuery q(nullptr);
    q.SetAdsConnection(&conn);
    q.SQL().Assign(sql);
    q.ExecSQL();
}

class RecordWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        engine_ = new e2e::Engine();
        ASSERT_TRUE(engine_->start()) << engine_->error();
        test_ = engine_->dictionary;
        runSql(
            test_,
            {"CREATE TABLE Clients (Code Char(8), Nom CIChar(40), N Integer);",
             "INSERT INTO Clients (Code, Nom, N) VALUES ('K1', 'Martin', 1), ('K2', 'Dupont', 2),",
             "  ('K2', 'Durand', 3), ('K3', 'Lefèvre', 4), ('O''Neil', 'Roux', 5);",
             "CREATE TABLE Articles (Num Integer, Libelle CIChar(20));",
             "INSERT INTO Articles (Num, Libelle) VALUES (10, 'Vis'), (-3, 'Clou');"});
        // Another dictionary, in a folder of its own.
        QDir().mkpath(engine_->folder.filePath("autre"));
        autre_ = engine_->folder.filePath("autre/Autre.add");
        engine::Dictionary autre = engine::Dictionary::empty(autre_.toStdString());
        ASSERT_EQ(autre.addUser("adssys", "kor5382", true).code, 0u);
        ASSERT_EQ(autre.save().code, 0u);
        runSql(autre_, {"CREATE TABLE Produits (Reference Char(10));"});
        // A dictionary whose folder, table and first field hold a quote.
        QDir().mkpath(engine_->folder.filePath("l'atelier"));
        atelier_ = engine_->folder.filePath("l'atelier/Atelier.add");
        engine::Dictionary atelier = engine::Dictionary::empty(atelier_.toStdString());
        ASSERT_EQ(atelier.addUser("adssys", "kor5382", true).code, 0u);
        ASSERT_EQ(atelier.save().code, 0u);
        runSql(
            atelier_,
            {"CREATE TABLE [Zone's VIP] ([Vu l'an] Logical, Nom CIChar(10));",
             "INSERT INTO [Zone's VIP] ([Vu l'an], Nom) VALUES (TRUE, 'Roux'), (FALSE, 'Blanc');",
             "CREATE TABLE Stock (Ref Char(5));", "INSERT INTO Stock (Ref) VALUES ('S1');"});
        // Another process holds record 1 of Clients (code K1) and record 2 of Articles (-3).
        for (const auto& [dict, table, record] : {std::tuple{test_, "Clients", "1"},
                                                  {test_, "Articles", "2"},
                                                  {atelier_, "Zone's VIP", "1"}}) {
            auto* holder = new testsupport::LockHolder(
                engine_->server.address(), dict.toStdString(), table, record,
                {"PC-TEST", "mmartin", "Facturation.exe"},
                // --seconds: gone by itself should this test be killed.
                {"--seconds", "600"});
            holders_.push_back(holder);
            ASSERT_TRUE(holder->waitReady(5000)) << table << " not locked";
        }
    }
    static void TearDownTestSuite() {
        for (testsupport::LockHolder* holder : holders_) delete holder;
        holders_.clear();
        delete engine_;
    }

    void SetUp() override {
        ASSERT_TRUE(engine_ && engine_->server.running());
        writeAdsIni(QStringLiteral("[Databases]\nARCHIVE_X_1=/nulle/part/Archive.add;A\n"
                                   "Test=%1;A\nAutre=%2;A\nPerdu=/nulle/part/Perdu.add;A\n"
                                   "Atelier=%3;A\n")
                        .arg(test_, autre_, atelier_));
    }

    void writeAdsIni(const QString& text) {
        QFile f(exe_.filePath("ads.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
    }

    TFUnLockDUnRecordSpecifique& open() {
        window_ = std::make_unique<TFUnLockDUnRecordSpecifique>();
        window_->show();
        window_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        return *window_;
    }
    TFUnLockDUnRecordSpecifique& w() { return *window_; }

    void chooseDictionary(const QString& name) {
        for (QRadioButton* b : w().RGPaths->findChildren<QRadioButton*>()) {
            // On the round indicator: the rest of the item's width is no button.
            if (b->text() == name)
                return QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
        }
        ADD_FAILURE() << "no dictionary " << name.toStdString();
    }
    // Opens the table list and clicks `name`, as a user would.
    void chooseTable(const QString& name) {
        ui::ComboBox* box = w().ComboBoxTables;
        const int row = box->findText(name);
        ASSERT_GE(row, 0) << name.toStdString();
        box->showPopup();
        QAbstractItemView* view = box->view();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(row, 0)).center());
        QCoreApplication::processEvents();
    }
    static void retype(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        for (const QChar c : text) {
            // QTest knows keys for ASCII only; other characters arrive as plain key text.
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
    void typeValue(const QString& text) { retype(w().EditValueColumn, text); }
    void typeField(const QString& text) { retype(w().ComboBoxFields->lineEdit(), text); }
    void search() { QTest::mouseClick(w().BtnChercherUsagerQuiBloque, Qt::LeftButton); }
    // Dictionary Test, table Clients, value typed, "Chercher!".
    void searchClients(const QString& value) {
        chooseDictionary("Test");
        chooseTable("Clients");
        typeValue(value);
        search();
    }

    // The rows the grid shows, one "user|login|application" per row.
    QStringList owners() {
        QCoreApplication::processEvents();  // the grid follows its dataset when events run
        const QAbstractItemModel* m = w().wwDBGrid1->model();
        QStringList rows;
        for (int r = 0; m && r < m->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < m->columnCount(); ++c) cells << m->data(m->index(r, c)).toString();
            rows << cells.join(u'|');
        }
        return rows;
    }
    bool blinking() { return w().Timer1->isActive(); }
    // Lets events run until "Pas de Lock trouvé" is shown (or hidden); false after 5 s.
    bool labelBecomes(bool visible) {
        for (int i = 0; i < 200 && w().LabelLockNonTrouve->isVisible() != visible; ++i)
            QTest::qWait(25);
        return w().LabelLockNonTrouve->isVisible() == visible;
    }
    // Messages recorded, as "form:text".
    QStringList shown() {
        QStringList texts;
        for (const ui::ShownMessage& m : messages_.messages()) {
            const char* form = m.form == Form::Plain    ? "plain"
                               : m.form == Form::Dialog ? "dialog"
                                                        : "error";
            texts << QString::fromLatin1(form) + u':' + m.text;
        }
        messages_.clear();
        return texts;
    }

    static e2e::Engine* engine_;
    static QString test_;
    static QString autre_;
    static QString atelier_;
    static std::vector<testsupport::LockHolder*> holders_;
    QTemporaryDir exe_;
    dictionary::ExecutableFolderOverride folder_{exe_.path()};
    ui::MessageRecorder messages_;
    std::unique_ptr<TFUnLockDUnRecordSpecifique> window_;
};

e2e::Engine* RecordWindowTest::engine_ = nullptr;
QString RecordWindowTest::test_;
QString RecordWindowTest::autre_;
QString RecordWindowTest::atelier_;
std::vector<testsupport::LockHolder*> RecordWindowTest::holders_;

TEST_F(RecordWindowTest, LayoutTextsAndDesignState) {
    open();
    EXPECT_EQ(w().windowTitle(), "Trouver le lock d'un enregistrement spécifique");
    EXPECT_EQ(w().size(), QSize(977, 382));
    EXPECT_EQ(w().font().family(), "Tahoma");
    EXPECT_EQ(w().font().pixelSize(), 11);
    EXPECT_EQ(w().parentWidget(), nullptr);
    const struct {
        const char* name;
        const char* parent;
        QRect place;
        const char* caption;
    } controls[] = {
        {"RGPaths", "FUnLockDUnRecordSpecifique", {5, 8, 185, 369}, nullptr},
        {"Panel1", "FUnLockDUnRecordSpecifique", {197, 15, 776, 138}, nullptr},
        {"LabelTable", "Panel1", {31, 11, 46, 16}, "Table : "},
        {"ComboBoxTables", "Panel1", {102, 10, 163, 21}, nullptr},
        {"Label1", "Panel1", {31, 37, 56, 16}, "Champ : "},
        {"ComboBoxFields", "Panel1", {102, 36, 163, 21}, nullptr},
        {"Label2", "Panel1", {278, 23, 23, 46}, "="},
        {"Label3", "Panel1", {349, 15, 106, 16}, "Valeur du champ"},
        {"EditValueColumn", "Panel1", {320, 36, 163, 21}, nullptr},
        {"LabelLockNonTrouve", "Panel1", {575, 12, 107, 16}, "Pas de Lock trouvé"},
        {"BtnChercherUsagerQuiBloque", "Panel1", {550, 35, 153, 24}, "Chercher!"},
        {"wwDBGrid1", "Panel1", {16, 66, 737, 62}, nullptr},
        {"Panel2", "FUnLockDUnRecordSpecifique", {197, 160, 777, 215}, nullptr},
    };
    for (const auto& c : controls) {
        SCOPED_TRACE(c.name);
        auto* control = w().findChild<QWidget*>(c.name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->parentWidget()->objectName(), c.parent);
        EXPECT_EQ(control->pos(), c.place.topLeft());
        EXPECT_EQ(control->height(), c.place.height());
        EXPECT_GE(control->width(), c.place.width());
        if (auto* label = qobject_cast<QLabel*>(control)) {
            EXPECT_EQ(label->text(), c.caption);
        }
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            EXPECT_EQ(button->text(), c.caption);
        }
    }
    EXPECT_EQ(w().RGPaths->title(), "Dictionnaires :");
    for (QLabel* l : {w().LabelTable, w().Label1, w().Label3}) {
        EXPECT_EQ(l->font().family(), "Arial");
        EXPECT_EQ(l->font().pixelSize(), 13);
        EXPECT_TRUE(l->font().bold() && l->font().italic());
    }
    EXPECT_EQ(w().Label2->font().pixelSize(), 40);
    EXPECT_EQ(w().LabelLockNonTrouve->font().family(), "Tahoma");
    EXPECT_EQ(w().LabelLockNonTrouve->font().pixelSize(), 13);
    EXPECT_EQ(w().LabelLockNonTrouve->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(w().ComboBoxTables->maxVisibleItems(), 25);
    EXPECT_EQ(w().ComboBoxFields->maxVisibleItems(), 8);
    EXPECT_EQ(w().wwDBGrid1->font().pixelSize(), 12);
    EXPECT_TRUE(w().wwDBGrid1->font().bold());
    EXPECT_EQ(w().wwDBGrid1->horizontalHeader()->font().pixelSize(), 11);

    const char* instructions[] = {
        "1- Sélectionnez un dictionnaire",
        "2.- Sélectionnez une table",
        "3.- Lors de la sélection de la table, le premier champ sera affiché dans \"Champ\"",
        "4.a- Lors de la saisie de la valeur du champ, s'il s'agit d'un champ de type STRING, la "
        "valeur doit être placée entre guillemets.",
        "4.b- Lors de la saisie de la valeur du champ, s'il s'agit d'un champ de type INTEGER, la "
        "valeur doit être SANS guillemets.",
        "5.- Appuyez sur le bouton CHERCHER!, s'il y a un LOCK, il sera affiché dans la grille"};
    QLabel* lines[] = {w().Label4, w().Label5, w().Label6, w().Label7, w().Label8, w().Label9};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(lines[i]->text(), QString::fromUtf8(instructions[i]));
        EXPECT_EQ(lines[i]->parentWidget(), w().Panel2);
        EXPECT_EQ(lines[i]->pos(), QPoint(24, 29 + 19 * i));
        EXPECT_EQ(lines[i]->palette().color(QPalette::WindowText), QColor(0, 128, 0));
        EXPECT_LE(lines[i]->x() + lines[i]->width(), w().Panel2->width()) << "fits its panel";
    }

    // Opened state.
    EXPECT_FALSE(w().LabelLockNonTrouve->isVisible());
    EXPECT_FALSE(w().BtnChercherUsagerQuiBloque->isEnabled());
    EXPECT_EQ(w().ComboBoxTables->count(), 0);
    EXPECT_EQ(w().ComboBoxFields->count(), 0);
    EXPECT_FALSE(blinking());
    EXPECT_EQ(w().Timer1->interval(), 500);
    EXPECT_FALSE(w().ManagementConn->IsConnected());
    EXPECT_FALSE(w().ManagementConn->LoginPrompt);
    EXPECT_EQ(w().ManagementConn->AdsServerTypes, (TAdsServerTypes{stADS_REMOTE, stADS_LOCAL}));
    EXPECT_EQ(w().QTrouverRowID->SQL().Lines(), kTemplateRowId);
    EXPECT_EQ(w().QTrouverRowIDrowid->Size(), 18);
    EXPECT_EQ(w().QTrouverUserQuiBloqueRecord->FieldCount(), 0);
    EXPECT_EQ(w().QTrouverUserQuiBloqueRecord->SQL().Lines().mid(5),
              ownersStatement(
                  "", "                                      //RecNumber trouver par son RowID")
                  .mid(5));
    for (TAdsDataSet* ds : std::initializer_list<TAdsDataSet*>{w().TableATrouver, w().QTrouverRowID,
                                                               w().QTrouverUserQuiBloqueRecord})
        EXPECT_FALSE(ds->Active());
    EXPECT_TRUE(shown().isEmpty());
}

TEST_F(RecordWindowTest, TabOrderFollowsTheInstructions) {
    open();
    chooseDictionary("Test");  // the clicked item has the focus
    const std::vector<QWidget*> expected = {w().ComboBoxTables, w().ComboBoxFields,
                                            w().EditValueColumn, w().BtnChercherUsagerQuiBloque};
    for (QWidget* next : expected) {
        QWidget* from = QApplication::focusWidget();
        ASSERT_NE(from, nullptr);
        // A table chosen with the keys enables "Chercher!", which then takes its turn.
        if (next == w().ComboBoxFields) QTest::keyClick(from, Qt::Key_Down);
        QTest::keyClick(from, Qt::Key_Tab);
        QWidget* to = QApplication::focusWidget();
        EXPECT_TRUE(to == next || next->isAncestorOf(to))
            << next->objectName().toStdString() << " / "
            << (to ? to->objectName().toStdString() : "none");
    }
}

TEST_F(RecordWindowTest, MissingAdsIniShowsTheErrorOnlyAndDisablesNothing) {
    QFile::remove(exe_.filePath("ads.ini"));
    open();
    ASSERT_EQ(messages_.messages().size(), 1u);
    EXPECT_EQ(messages_.messages()[0].form, Form::Dialog);
    EXPECT_EQ(messages_.messages()[0].kind, ui::DialogKind::Error);
    EXPECT_EQ(messages_.messages()[0].text, dictionary::kAdsIniMissing);
    EXPECT_EQ(w().RGPaths->count(), 0);
    for (QWidget* c : w().findChildren<QWidget*>())
        EXPECT_TRUE(c->isEnabled() || c == w().BtnChercherUsagerQuiBloque)
            << c->objectName().toStdString();
}

TEST_F(RecordWindowTest, ChoosingADictionaryConnectsToTheEntryItShowsAndListsItsTables) {
    open();
    // ARCHIVE_X_1 comes first in the file and is not offered.
    ASSERT_EQ(w().RGPaths->count(), 4);
    EXPECT_EQ(w().RGPaths->itemText(0), "Test");
    chooseDictionary("Test");
    EXPECT_TRUE(w().ManagementConn->IsConnected());
    EXPECT_EQ(w().ManagementConn->ConnectPath(), test_);
    EXPECT_EQ(w().TrimmedPath, engine_->folder.path() + u'/');
    QStringList items;
    for (int i = 0; i < w().ComboBoxTables->count(); ++i) items << w().ComboBoxTables->itemText(i);
    EXPECT_EQ(items, (QStringList{"Sélectionner une table", "Articles", "Clients"}));
    EXPECT_EQ(w().ComboBoxTables->text(), "Sélectionner une table");
    EXPECT_FALSE(w().BtnChercherUsagerQuiBloque->isEnabled());

    // Choosing the first item again leaves the button disabled and no field.
    chooseTable("Sélectionner une table");
    EXPECT_FALSE(w().BtnChercherUsagerQuiBloque->isEnabled());
    EXPECT_EQ(w().ComboBoxFields->count(), 0);

    chooseTable("Clients");
    EXPECT_TRUE(w().BtnChercherUsagerQuiBloque->isEnabled());
    EXPECT_EQ(w().ComboBoxFields->count(), 1);
    EXPECT_EQ(w().ComboBoxFields->text(), "Code");
    EXPECT_EQ(w().ComboBoxFields->itemIndex(), 0);
    EXPECT_EQ(w().TableATrouver->TableName(), "Clients");

    // A dictionary that cannot be reached: the error's class and message, an empty list.
    chooseDictionary("Perdu");
    const QStringList s = shown();
    ASSERT_EQ(s.size(), 1);
    EXPECT_TRUE(s[0].startsWith("plain:EADSDatabaseError Erreur trouvé.\r\n"))
        << s[0].toStdString();
    EXPECT_GT(s[0].size(), QString("plain:EADSDatabaseError Erreur trouvé.\r\n").size());
    EXPECT_EQ(w().ComboBoxTables->count(), 0);
    EXPECT_EQ(w().ComboBoxTables->text(), "");
    EXPECT_FALSE(w().BtnChercherUsagerQuiBloque->isEnabled());
}

TEST_F(RecordWindowTest, ALockedRecordShowsItsOwnerThroughBothStatements) {
    open();
    chooseDictionary("Test");
    chooseTable("Clients");
    typeValue("'K1'");
    QTest::keyClick(w().EditValueColumn, Qt::Key_Return);  // presses "Chercher!"
    EXPECT_TRUE(shown().isEmpty());
    EXPECT_EQ(owners(), QStringList{"PC-TEST|mmartin|Facturation.exe"});
    EXPECT_FALSE(blinking());
    EXPECT_FALSE(w().LabelLockNonTrouve->isVisible());

    QStringList rowIdStatement = kTemplateRowId;
    rowIdStatement[1] = "Clients";
    rowIdStatement[3] = "Code";
    rowIdStatement[5] = "'K1'";
    EXPECT_EQ(w().QTrouverRowID->SQL().Lines(), rowIdStatement);
    EXPECT_EQ(w().QTrouverUserQuiBloqueRecord->SQL().Lines(),
              ownersStatement(u'\'' + engine_->folder.filePath("Clients.adt") + u'\'', "1"));
    // The grid's three columns, titled by the procedure's names, 30, 30 and 45 characters.
    const ui::DataGrid* grid = w().wwDBGrid1;
    ASSERT_EQ(grid->model()->columnCount(), 3);
    const char* titles[] = {"UserName", "OsUserLoginName", "ApplicationID"};
    const int chars[] = {30, 30, 45};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(grid->model()
                      ->headerData(i, Qt::Horizontal)
                      .toString()
                      .compare(titles[i], Qt::CaseInsensitive),
                  0)
            << i;
        EXPECT_EQ(grid->columnWidth(i), chars[i] * grid->fontMetrics().averageCharWidth() + 6) << i;
    }

    // A number without quotes, and a text between double quotes, are values too.
    chooseTable("Articles");
    typeValue("-3");
    search();
    EXPECT_EQ(owners(), QStringList{"PC-TEST|mmartin|Facturation.exe"});
    chooseTable("Clients");
    typeValue("\"K1\"");
    search();
    EXPECT_EQ(owners(), QStringList{"PC-TEST|mmartin|Facturation.exe"});
    EXPECT_TRUE(shown().isEmpty());
}

TEST_F(RecordWindowTest, AnUnlockedRecordBlinksUntilTheValueOrTheTableChanges) {
    open();
    searchClients("'K3'");
    EXPECT_TRUE(shown().isEmpty());
    EXPECT_TRUE(owners().isEmpty());
    EXPECT_TRUE(blinking());
    EXPECT_FALSE(w().LabelLockNonTrouve->isVisible()) << "first shown one period later";
    EXPECT_TRUE(labelBecomes(true));
    EXPECT_TRUE(labelBecomes(false));
    EXPECT_TRUE(labelBecomes(true));

    QTest::keyClick(w().EditValueColumn, Qt::Key_Backspace);
    EXPECT_FALSE(blinking());
    EXPECT_FALSE(w().LabelLockNonTrouve->isVisible());
    EXPECT_FALSE(w().QTrouverUserQuiBloqueRecord->Active());
    EXPECT_TRUE(w().BtnChercherUsagerQuiBloque->isEnabled()) << "the value does not touch it";

    // "Pas de Lock trouvé" is hidden while a search runs and Return searches again.
    QTest::keyClicks(w().EditValueColumn, "'");
    QTest::keyClick(w().EditValueColumn, Qt::Key_Return);
    EXPECT_TRUE(blinking());
    EXPECT_TRUE(labelBecomes(true));
    chooseTable("Articles");
    EXPECT_FALSE(blinking());
    EXPECT_FALSE(w().LabelLockNonTrouve->isVisible());
    EXPECT_EQ(w().EditValueColumn->text(), "");
}

TEST_F(RecordWindowTest, TheThreeRefusalsInTheirOrder) {
    open();
    chooseDictionary("Test");
    // A table selected without its list ever closing: no field was ever selected.
    w().ComboBoxTables->selectItem(2);
    ASSERT_TRUE(w().BtnChercherUsagerQuiBloque->isEnabled());
    search();
    EXPECT_EQ(shown(), QStringList{"plain:Il faut chosir le premier champ!"});

    chooseTable("Clients");
    search();
    EXPECT_EQ(shown(), QStringList{"plain:Il faut saisir une valeur pour le champ !"});

    for (const char* value : {"'K2'", "'ZZZ'"}) {  // two records, then none
        typeValue(QString::fromLatin1(value));
        search();
        EXPECT_EQ(shown(), QStringList{"plain:" + kRowIdNotFound}) << value;
        EXPECT_FALSE(blinking());
        EXPECT_FALSE(w().QTrouverUserQuiBloqueRecord->Active());
    }

    // Return in the value box does nothing while "Chercher!" is disabled.
    chooseTable("Sélectionner une table");
    typeValue("'K1'");
    QTest::keyClick(w().EditValueColumn, Qt::Key_Return);
    EXPECT_TRUE(shown().isEmpty());
    EXPECT_EQ(w().QTrouverRowID->SQL()[5], "'ZZZ'") << "no search since";
}

TEST_F(RecordWindowTest, OnlyOneNameAndOneLiteralReachTheStatement) {
    using namespace record_input;
    open();
    chooseDictionary("Test");
    chooseTable("Clients");
    const struct {
        const char* table;  // typed over the chosen one; null: kept
        const char* field;  // likewise
        const char* value;
        QString refusal;
    } cases[] = {
        {nullptr, nullptr, "Dupont", kInvalidValue},
        {nullptr, nullptr, "1; DROP TABLE Clients", kInvalidValue},
        {nullptr, nullptr, "'K1'; DROP TABLE Clients", kInvalidValue},
        {nullptr, nullptr, "'K1' OR 'a'='a'", kInvalidValue},
        {nullptr, nullptr, "'L'Oréal'", kInvalidValue},
        {nullptr, nullptr, "\"Nom\"", valueIsAField("Nom")},
        {nullptr, nullptr, "\"rowid\"", valueIsAField("rowid")},
        {nullptr, "Code = Code OR Code", "'K1'", kInvalidField},
        {nullptr, "Code;", "'K1'", kInvalidField},
        {"Clients; DROP TABLE Clients", "Code", "'K1'", kInvalidTable},
        {"Clients ", "Code", "'K1'", kInvalidTable},
        {"../autre/Produits", "Code", "'K1'", kInvalidTable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        if (c.table) {
            retype(w().ComboBoxTables->lineEdit(), QString::fromUtf8(c.table));
            ASSERT_TRUE(w().BtnChercherUsagerQuiBloque->isEnabled());
        }
        if (c.field) typeField(QString::fromUtf8(c.field));
        typeValue(QString::fromUtf8(c.value));
        search();
        EXPECT_EQ(shown(), QStringList{"plain:" + c.refusal});
        EXPECT_EQ(w().QTrouverRowID->SQL().Lines(), kTemplateRowId) << "no statement made";
        EXPECT_FALSE(w().QTrouverRowID->Active());
        if (c.table) chooseTable("Clients");
    }
    // Clients is still there, with every row, and a text holding a quote is found.
    typeValue("'O''Neil'");
    search();
    EXPECT_TRUE(shown().isEmpty());
    EXPECT_EQ(w().QTrouverRowID->RecordCount(), 1);
    EXPECT_TRUE(blinking());
}

TEST_F(RecordWindowTest, AStatementTheServerRefusesReachesTheDefaultErrorDisplay) {
    open();
    searchClients("'K1'");
    ASSERT_EQ(owners(), QStringList{"PC-TEST|mmartin|Facturation.exe"});
    // A text compared with the integer field N: well formed, refused by the server.
    typeField("N");
    search();
    const auto& m = messages_.messages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].form, Form::DefaultError);
    EXPECT_TRUE(m[0].text.startsWith("QTrouverRowID: ")) << m[0].text.toStdString();
    EXPECT_TRUE(m[0].text.contains("7200")) << m[0].text.toStdString();
    messages_.clear();
    EXPECT_EQ(owners(), QStringList{"PC-TEST|mmartin|Facturation.exe"}) << "previous result kept";
    EXPECT_FALSE(blinking());
}

TEST_F(RecordWindowTest, ADictionaryClickedAfterASearchEmptiesTheResultAndDisablesTheSearch) {
    // Another dictionary, or the same one clicked again, reconnects and lists anew.
    const struct {
        QString dictionary;
        QString path;
        int tables;
        QString lastTable;
    } cases[] = {{"Autre", autre_, 2, "Produits"}, {"Test", test_, 3, "Clients"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dictionary.toStdString());
        open();
        searchClients("'K1'");
        ASSERT_EQ(owners().size(), 1);
        chooseDictionary(c.dictionary);
        EXPECT_FALSE(w().QTrouverUserQuiBloqueRecord->Active());
        EXPECT_FALSE(w().BtnChercherUsagerQuiBloque->isEnabled());
        EXPECT_EQ(w().ComboBoxFields->count(), 0);
        EXPECT_EQ(w().ComboBoxFields->text(), "");
        EXPECT_EQ(w().EditValueColumn->text(), "");
        EXPECT_EQ(w().ComboBoxTables->text(), "Sélectionner une table");
        EXPECT_EQ(w().ComboBoxTables->count(), c.tables);
        EXPECT_EQ(w().ComboBoxTables->itemText(c.tables - 1), c.lastTable);
        EXPECT_EQ(w().ManagementConn->ConnectPath(), c.path);
        EXPECT_TRUE(shown().isEmpty());
    }
}

TEST_F(RecordWindowTest, QuotesInTheFolderTheTableAndTheFieldAndALogicalValueAreSearched) {
    open();
    chooseDictionary("Atelier");
    const QString folder = engine_->folder.filePath("l''atelier/");
    // A plain table in a folder with a quote: the owners' statement quotes the path.
    chooseTable("Stock");
    typeValue("'S1'");
    search();
    EXPECT_TRUE(shown().isEmpty());
    EXPECT_EQ(w().QTrouverUserQuiBloqueRecord->SQL()[4], u'\'' + folder + "Stock.adt'");
    EXPECT_TRUE(blinking()) << "nobody holds it";

    // A table and a first field the window listed, whatever their characters.
    chooseTable("Zone's VIP");
    EXPECT_EQ(w().ComboBoxFields->text(), "Vu l'an");
    for (const char* value : {"TRUE", "true", "True"}) {
        SCOPED_TRACE(value);
        typeValue(QString::fromLatin1(value));
        search();
        EXPECT_TRUE(shown().isEmpty());
        EXPECT_EQ(w().QTrouverRowID->SQL()[1], "[Zone's VIP]");
        EXPECT_EQ(w().QTrouverRowID->SQL()[3], "[Vu l'an]");
        EXPECT_EQ(w().QTrouverRowID->SQL()[5], QString::fromLatin1(value));
        EXPECT_EQ(w().QTrouverUserQuiBloqueRecord->SQL()[4], u'\'' + folder + "Zone''s VIP.adt'");
        EXPECT_EQ(owners(), QStringList{"PC-TEST|mmartin|Facturation.exe"});
    }
    typeValue("false");
    search();
    EXPECT_TRUE(shown().isEmpty());
    EXPECT_TRUE(blinking());

    // Anything else stays refused.
    typeValue("TRUE OR 1=1");
    search();
    EXPECT_EQ(shown(), QStringList{"plain:" + record_input::kInvalidValue});
    retype(w().ComboBoxTables->lineEdit(), "Zone's VIP2");
    typeValue("TRUE");
    search();
    EXPECT_EQ(shown(), QStringList{"plain:" + record_input::kInvalidTable});
}

TEST_F(RecordWindowTest, TheOwnerRowStaysLinkBlueWhenItIsTheCurrentRow) {
    open();
    searchClients("'K1'");
    ASSERT_EQ(owners().size(), 1);
    ui::DataGrid* grid = w().wwDBGrid1;
    grid->setFocus();
    grid->selectionModel()->select(grid->model()->index(0, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const QColor link = grid->palette().color(QPalette::Link);
    const QImage image = grid->viewport()->grab().toImage();
    int linkPixels = 0, whitePixels = 0;
    for (int y = grid->rowViewportPosition(0);
         y < grid->rowViewportPosition(0) + grid->rowHeight(0); ++y)
        for (int x = 0; x < grid->columnWidth(0); ++x) {
            const QColor c = image.pixelColor(x, y);
            linkPixels += c == link;
            whitePixels += c == QColor(Qt::white);
        }
    EXPECT_GT(linkPixels, 0) << "the text is painted link blue";
    EXPECT_EQ(whitePixels, 0) << "not in the selection's text colour";
}

TEST_F(RecordWindowTest, TheWindowDoesNotShrinkBelowItsDesignSize) {
    open();
    w().resize(850, 300);
    EXPECT_EQ(w().size(), QSize(977, 382));
}

TEST_F(RecordWindowTest, ClosingDisconnectsAndReleasesTheAliasList) {
    open();
    searchClients("'K1'");
    ASSERT_TRUE(w().ManagementConn->IsConnected());
    QTest::keyClick(w().EditValueColumn, Qt::Key_Escape);
    EXPECT_TRUE(w().isVisible()) << "Escape loses nothing";
    EXPECT_EQ(w().ComboBoxTables->text(), "Clients");
    EXPECT_EQ(w().EditValueColumn->text(), "'K1'");
    EXPECT_EQ(owners(), QStringList{"PC-TEST|mmartin|Facturation.exe"});
    w().close();  // the close button
    EXPECT_FALSE(w().isVisible());
    EXPECT_FALSE(w().ManagementConn->IsConnected());
    EXPECT_FALSE(w().QTrouverUserQuiBloqueRecord->Active());
    EXPECT_EQ(w().ListAllPaths.count(), 0);
}

}  // namespace
