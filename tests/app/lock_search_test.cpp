// lock_search_test.cpp: the lock search end to end without its window: enginesrv, lock
// holders in other processes, the handlers run through the controls' signals as in the
// window, messages recorded.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "app/dictionary_search.h"
#include "app/lock_grid.h"
#include "app/windowless_search.h"
#include "data/adscnnct.h"
#include "data/adstable.h"
#include "db/field.h"
#include "tests/app/lock_world.h"
#include "tests/app/lock_world_suite.h"
#include "tests/ui/qt_print.h"
#include "ui/auto_size_label.h"
#include "ui/combo_box.h"
#include "ui/data_grid.h"
#include "ui/messages.h"
#include "ui/radio_group.h"

namespace {

using locktest::Holder;
using locktest::TableSpec;
using Shown = ui::ShownMessage;

const QString kToutes = QStringLiteral("Toutes les tables");
const QString kVip = QStringLiteral("Zone's VIP");

// One lock row as the grid shows it.
struct Row {
    QString user, login, table;
    int recNo;
    bool operator==(const Row&) const = default;
};
void PrintTo(const Row& r, std::ostream* os) {
    *os << r.user.toStdString() << '/' << r.login.toStdString() << '/' << r.table.toStdString()
        << '/' << r.recNo;
}

// Shared by every test: a server, the dictionaries, and holders that never change:
//   Clients 3 and 17 held by PC-B/zoe, Clients 42 by PC-C/alain, Commandes 5 by PC-A/marc.
class LockSearch : public locktest::LockWorldSuite {
  protected:
    static void SetUpTestSuite() {
        ASSERT_NO_FATAL_FAILURE(startWorld());
        QString error;
        const QString folder = dir_->filePath(QStringLiteral("compta"));
        compta_ = locktest::makeDictionary(folder, QStringLiteral("Compta"),
                                           {{QStringLiteral("Clients"), 100},
                                            {QStringLiteral("Commandes"), 100},
                                            {QStringLiteral("Produits"), 20},
                                            {QStringLiteral("Archives"), 60},
                                            {kVip, 10},
                                            {QStringLiteral("Manquante"), 5},
                                            {QStringLiteral("Ailleurs"), 5},
                                            {QStringLiteral("Autre"), 5}},
                                           &error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        // Tables of the dictionary whose file is gone, in another folder, or renamed.
        QFile::remove(folder + QStringLiteral("/Manquante.adt"));
        QDir().mkpath(folder + QStringLiteral("/sous"));
        QFile::rename(folder + QStringLiteral("/Ailleurs.adt"),
                      folder + QStringLiteral("/sous/Ailleurs.adt"));
        QFile::rename(folder + QStringLiteral("/Autre.adt"), folder + QStringLiteral("/Autre.dat"));
        vide_ = locktest::makeDictionary(dir_->filePath(QStringLiteral("vide")),
                                         QStringLiteral("Vide"), {}, &error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        holders_ = new std::vector<std::unique_ptr<Holder>>();
        hold(QStringLiteral("Clients"), QStringLiteral("3,17"), {"PC-B", "zoe", "Saisie.exe"});
        hold(QStringLiteral("Clients"), QStringLiteral("42"), {"PC-C", "alain", "Factu.exe"});
        hold(QStringLiteral("Commandes"), QStringLiteral("5"), {"PC-A", "marc", "GestCom.exe"});
    }
    static void TearDownTestSuite() {
        delete holders_;
        stopWorld();
    }
    static void hold(const QString& table, const QString& records, const locktest::Who& who) {
        holders_->push_back(std::make_unique<Holder>(*server_, compta_, table, records, who));
    }

    void SetUp() override {
        ASSERT_TRUE(holders_ && std::all_of(holders_->begin(), holders_->end(),
                                            [](const auto& h) { return h->ready(); }));
        // A hidden alias comes first, so that items and entries do not share indexes.
        s.addAlias(QStringLiteral("ARCHIVE_X_1"), vide_ + QStringLiteral(";A"));
        s.addAlias(QStringLiteral("Comptabilite_Generale_2026"), compta_ + QStringLiteral(";A"));
        s.addAlias(QStringLiteral("Vide"), vide_ + QStringLiteral(";A"));
        s.addAlias(QStringLiteral("Perdu"), dir_->filePath(QStringLiteral("Perdu.add;A")));
    }

    void choose(int item) { s.RGPaths->setItemIndex(item); }
    void search() { s.BtnChercherLocksParDictionnaire->click(); }
    QStringList items() const {
        QStringList out;
        for (int i = 0; i < s.ComboBoxTables->count(); ++i) out << s.ComboBoxTables->itemText(i);
        return out;
    }
    QString field(const char* name) const {
        return s.UsersTableLocks->FieldByName(QLatin1String(name))->AsString();
    }
    // The rows of the result table in its current order; the current row stays.
    std::vector<Row> rows() {
        std::vector<Row> out;
        if (!s.UsersTableLocks->Active()) return out;
        for (s.UsersTableLocks->First(); !s.UsersTableLocks->Eof(); s.UsersTableLocks->Next())
            out.push_back({field("UserName"), field("OsUserLoginName"), field("TableName"),
                           field("LockedRecNo").toInt()});
        s.UsersTableLocks->First();
        return out;
    }
    // Runs `step` on the progress display each time the search lets events through.
    void whileSearching(std::function<void(QDialog*, const QString& table)> step) {
        auto* timer = new QTimer(&s.window());
        QObject::connect(timer, &QTimer::timeout, timer, [this, step] {
            auto* d = s.window().findChild<QDialog*>(QStringLiteral("FProgressionRecherche"));
            if (d && d->isVisible())
                step(d, d->findChild<QLabel*>(QStringLiteral("LabelTableEnCours"))
                            ->text()
                            .section(u'\n', 0, 0));
        });
        timer->start(0);
    }

    static inline QString compta_, vide_;
    static inline std::vector<std::unique_ptr<Holder>>* holders_ = nullptr;

    app::WindowlessSearch s;
    ui::MessageRecorder messages;
};

const Row kPcA5{"PC-A", "marc", "Commandes", 5};
const Row kPcB3{"PC-B", "zoe", "Clients", 3};
const Row kPcB17{"PC-B", "zoe", "Clients", 17};
const Row kPcC42{"PC-C", "alain", "Clients", 42};

TEST_F(LockSearch, TheClickedAliasConnectsAndListsTheTablesWhoseFilesAreInItsFolder) {
    ASSERT_EQ(s.RGPaths->count(), 3);
    choose(0);
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_EQ(s.ManagementConn->ConnectPath(), compta_) << "the entry the item stands for";
    EXPECT_EQ(s.DictionaryPath, compta_);
    EXPECT_EQ(s.TrimmedPath, dir_->filePath(QStringLiteral("compta/")));
    EXPECT_EQ(items(),
              QStringList({kToutes, "Archives", "Clients", "Commandes", "Produits", kVip}));
    EXPECT_EQ(s.ComboBoxTables->text(), kToutes);
    EXPECT_EQ(s.ComboBoxTables->itemIndex(), 0);
    EXPECT_EQ(s.LabelNombreTables->text(), "5");
    EXPECT_TRUE(s.BtnChercherLocksParDictionnaire->isEnabled());

    choose(1);  // a dictionary without tables
    EXPECT_EQ(items(), QStringList({kToutes}));
    EXPECT_EQ(s.LabelNombreTables->text(), "0");
    EXPECT_TRUE(s.BtnChercherLocksParDictionnaire->isEnabled());
    EXPECT_EQ(s.DictionaryPath, vide_);
}

TEST_F(LockSearch, ARefusedConnectionShowsTheClassNameAndLeavesNothingToSearch) {
    choose(0);
    s.LabelTable->setText(QStringLiteral("Clients"));
    choose(2);
    ASSERT_EQ(messages.messages().size(), 1u);
    const Shown& m = messages.messages()[0];
    EXPECT_EQ(m.form, Shown::Form::Plain);
    EXPECT_TRUE(m.text.startsWith(QStringLiteral("EADSDatabaseError Erreur trouvé.\r\n")))
        << m.text.toStdString();
    EXPECT_GT(m.text.size(), QStringLiteral("EADSDatabaseError Erreur trouvé.\r\n").size());
    EXPECT_EQ(s.ComboBoxTables->count(), 0);
    EXPECT_EQ(s.ComboBoxTables->text(), "");
    EXPECT_EQ(s.LabelNombreTables->text(), "0");
    EXPECT_FALSE(s.BtnChercherLocksParDictionnaire->isEnabled());
    EXPECT_EQ(s.LabelTable->text(), "");
    EXPECT_EQ(s.DictionaryPath, compta_) << "kept from the dictionary chosen before";
    EXPECT_FALSE(s.ManagementConn->IsConnected());
}

TEST_F(LockSearch, EverySearchStartsFromAFreshTableOrderedByUserThenByChoice) {
    app::BtnChercherLocksParDictionnaireClick(s);  // the button is still disabled
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text, "Il faut chosir un dictionnaire!");
    EXPECT_EQ(messages.messages()[0].kind, ui::DialogKind::Warning);
    messages.clear();

    choose(0);
    s.RGOrdre->setItemIndex(1);
    search();  // creates the table: no message
    search();  // drops and creates it: no doubled rows
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_EQ(s.RGOrdre->itemIndex(), 0);
    EXPECT_EQ(rows(), (std::vector<Row>{kPcA5, kPcB3, kPcB17, kPcC42}));
    EXPECT_EQ(s.RecNoGlobal, 5);
    EXPECT_EQ(s.TableNameGlobal, "Commandes");
    EXPECT_EQ(s.DictionaryNameGlobal, "Comptabilite_Generale_202") << "the alias, cut to 25";
    EXPECT_EQ(field("DictionaryPath"), compta_);
    EXPECT_EQ(field("TablePath"), dir_->filePath(QStringLiteral("compta/Commandes.adt")));
    EXPECT_EQ(field("ApplicationID"), "GestCom.exe");
    EXPECT_TRUE(s.BtnChercherRecordParRowID->isEnabled());
    EXPECT_TRUE(s.rouverlenregistrementselectionn1->isEnabled());

    s.RGOrdre->setItemIndex(1);
    EXPECT_EQ(rows(), (std::vector<Row>{kPcC42, kPcA5, kPcB3, kPcB17}));
    // Another table choice closes the result; the order chosen then waits for the next search.
    s.ComboBoxTables->setText(QStringLiteral("C"));
    EXPECT_FALSE(s.UsersTableLocks->Active());
    EXPECT_FALSE(s.BtnChercherRecordParRowID->isEnabled());
    s.RGOrdre->setItemIndex(0);
    s.RGOrdre->setItemIndex(1);
    EXPECT_FALSE(s.UsersTableLocks->Active());
}

TEST_F(LockSearch, ATypedTableNameIsSearchedAsANameWhateverItHolds) {
    Holder vip(*server_, compta_, kVip, QStringLiteral("2,4"), {"PC-V", "vip", "V.exe"});
    ASSERT_TRUE(vip.ready());
    choose(0);
    s.ComboBoxTables->setText(QStringLiteral("Commandes"));  // typed over "Toutes les tables"
    search();
    EXPECT_EQ(rows().size(), 6u) << "the chosen item is still 0: every table";

    s.ComboBoxTables->selectItem(2);  // Clients, chosen from the list
    s.ComboBoxTables->setText(QStringLiteral("Commandes"));
    search();
    EXPECT_EQ(rows(), (std::vector<Row>{kPcA5}));

    s.ComboBoxTables->setText(kVip);
    search();
    EXPECT_EQ(rows(), (std::vector<Row>{{"PC-V", "vip", kVip, 2}, {"PC-V", "vip", kVip, 4}}));

    // Neither a quote nor a statement's end gets out of the literal it stands in: the server
    // looks for a file of that whole name.
    messages.clear();
    const QString typed = QStringLiteral("x\"'); DROP TABLE Clients; --");
    s.ComboBoxTables->setText(typed);
    search();
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].form, Shown::Form::DefaultError);
    EXPECT_TRUE(messages.messages()[0].text.contains(u'/' + typed + QStringLiteral(".adt")))
        << messages.messages()[0].text.toStdString();
    EXPECT_TRUE(QFile::exists(dir_->filePath(QStringLiteral("compta/Clients.adt"))));
    s.ComboBoxTables->setText(QStringLiteral("clients"));
    search();
    EXPECT_EQ(rows().size(), 3u) << "Clients still answers; the name is compared without case";
}

TEST_F(LockSearch, ARefreshAfterTheHoldersLeftReportsNoLocksAndEmptiesEverything) {
    auto holder =
        std::make_unique<Holder>(*server_, compta_, QStringLiteral("Produits"),
                                 QStringLiteral("1-3"), locktest::Who{"PC-P", "p", "P.exe"});
    ASSERT_TRUE(holder->ready());
    choose(0);
    s.ComboBoxTables->selectItem(4);  // Produits
    search();
    ASSERT_EQ(rows().size(), 3u);
    s.BtnChercherRecordParRowID->click();
    ASSERT_TRUE(s.QChercherRecordParRowID->Active());
    holder->stop();
    search();
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].kind, ui::DialogKind::Information);
    EXPECT_EQ(messages.messages()[0].text, "Il n'y a pas de Locks en ce moment!");
    EXPECT_FALSE(s.UsersTableLocks->Active());
    EXPECT_FALSE(s.QChercherRecordParRowID->Active());
    EXPECT_FALSE(s.BtnChercherRecordParRowID->isEnabled());
    EXPECT_FALSE(s.rouverlenregistrementselectionn1->isEnabled());
    EXPECT_EQ(s.LabelDictionnaire->text(), "");
    EXPECT_EQ(s.LabelTable->text(), "");
    EXPECT_EQ(s.wwDBGrid2->backgroundColor(), app::windowColor());
}

TEST_F(LockSearch, TheLockedRecordIsFoundByTheEndOfItsRowIdFromTheButtonOrTheMenu) {
    choose(0);
    s.ComboBoxTables->selectItem(2);  // Clients
    search();
    ASSERT_TRUE(s.UsersTableLocks->Locate(QStringLiteral("TableName;LockedRecNo"),
                                          QVariantList{QStringLiteral("Clients"), 42}, 0));
    for (const auto& lookup : std::vector<std::function<void()>>{
             [&] { s.BtnChercherRecordParRowID->click(); },
             [&] { s.rouverlenregistrementselectionn1->trigger(); }}) {
        s.QChercherRecordParRowID->Close();
        s.LabelTable->setText(QString());
        lookup();
        EXPECT_TRUE(messages.messages().empty());
        ASSERT_TRUE(s.QChercherRecordParRowID->Active());
        EXPECT_EQ(s.QChercherRecordParRowID->SQL().Lines(),
                  QStringList({"Select X.*, X.RowID", "From", "Clients", "as X",
                               "Where Right(X.RowID,6) =", " 'AAAAAq' "}));
        EXPECT_EQ(s.QChercherRecordParRowID->FieldByName(QStringLiteral("Code"))->AsInteger(), 42);
        EXPECT_EQ(
            s.QChercherRecordParRowID->FieldByName(QStringLiteral("RowID"))->AsString().right(6),
            "AAAAAq");
        EXPECT_EQ(s.LabelDictionnaire->text(), "Comptabilite_Generale_202");
        EXPECT_EQ(s.LabelTable->text(), "Clients");
        EXPECT_EQ(s.wwDBGrid2->backgroundColor(), app::kHighlight);
    }
    // Moving to another lock row forgets the record.
    app::wwDBGrid1RowChanged(s);
    EXPECT_FALSE(s.QChercherRecordParRowID->Active());
    EXPECT_EQ(s.LabelTable->text(), "");
    EXPECT_EQ(s.wwDBGrid2->backgroundColor(), app::windowColor());
}

TEST_F(LockSearch, ARecordGoneSinceTheSearchIsReportedNotFound) {
    auto holder =
        std::make_unique<Holder>(*server_, compta_, QStringLiteral("Archives"),
                                 QStringLiteral("50"), locktest::Who{"PC-R", "r", "R.exe"});
    ASSERT_TRUE(holder->ready());
    choose(0);
    s.ComboBoxTables->selectItem(1);  // Archives
    search();
    ASSERT_EQ(rows().size(), 1u);
    holder->stop();
    ASSERT_EQ(locktest::execute(compta_, QStringLiteral("DROP TABLE Archives;")), "");
    ASSERT_EQ(locktest::execute(
                  compta_, QStringLiteral("CREATE TABLE Archives (Code Integer, Nom CIChar(30));")),
              "");
    s.LabelDictionnaire->setText(QStringLiteral("avant"));
    s.BtnChercherRecordParRowID->click();
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].form, Shown::Form::Plain);
    EXPECT_EQ(messages.messages()[0].text, "L'enregistrement n'a pas été trouvé!");
    EXPECT_FALSE(s.QChercherRecordParRowID->Active());
    EXPECT_EQ(s.LabelDictionnaire->text(), "");
    EXPECT_EQ(s.wwDBGrid2->backgroundColor(), app::windowColor());
}

TEST_F(LockSearch, AShortSearchShowsOnlyTheWaitCursor) {
    std::vector<Qt::CursorShape> during;
    QObject::connect(s.RGOrdre, &ui::RadioGroup::itemClicked, &s.window(), [&] {
        during.push_back(QApplication::overrideCursor() ? QApplication::overrideCursor()->shape()
                                                        : Qt::ArrowCursor);
    });
    bool displayed = false;
    whileSearching([&](QDialog*, const QString&) { displayed = true; });
    choose(0);
    s.RGOrdre->setItemIndex(1);
    during.clear();
    search();
    EXPECT_EQ(during, std::vector<Qt::CursorShape>{Qt::WaitCursor}) << "set while it runs";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(displayed);
    EXPECT_EQ(rows().size(), 4u);
}

TEST_F(LockSearch, ALongSearchShowsItsProgressRefusesOtherClicksAndCancelsKeepingItsRows) {
    choose(0);
    s.progressDelayMs = 0;
    QStringList seen;
    QString lockLine;
    Qt::CursorShape cursor = Qt::ArrowCursor;
    whileSearching([&](QDialog* d, const QString& table) {
        if (seen.isEmpty() || seen.back() != table) seen << table;
        cursor = QApplication::overrideCursor()->shape();
        if (!table.endsWith(QStringLiteral(": Commandes"))) return;
        lockLine =
            d->findChild<QLabel*>(QStringLiteral("LabelTableEnCours"))->text().section(u'\n', 1, 1);
        // Clicks the modal display keeps away from a user: the handlers refuse them too.
        s.BtnChercherLocksParDictionnaire->click();
        s.BtnChercherRecordParRowID->click();
        d->findChild<QPushButton*>(QStringLiteral("BtnAnnuler"))->click();
    });
    search();  // the first search of the connection: the lookup was disabled before it
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text,
              "Recherche annulée : seuls les locks des tables 1 à 4 sur 8 sont affichés.");
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.front(), "Table 1 de 8 : Ailleurs");
    EXPECT_EQ(seen.back(), "Table 5 de 8 : Commandes");
    EXPECT_EQ(lockLine, "Locks trouvés : 3");
    EXPECT_EQ(cursor, Qt::BusyCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(s.window().findChild<QDialog*>(QStringLiteral("FProgressionRecherche")), nullptr);
    EXPECT_FALSE(s.QChercherRecordParRowID->Active()) << "the record button did not run";
    EXPECT_EQ(rows(), (std::vector<Row>{kPcB3, kPcB17, kPcC42})) << "the rows found so far";
    EXPECT_TRUE(s.BtnChercherRecordParRowID->isEnabled()) << "the grid has rows";
    EXPECT_TRUE(s.rouverlenregistrementselectionn1->isEnabled());
}

TEST_F(LockSearch, ARefreshCancelledBeforeAnyRowLeavesTheLookupDisabled) {
    choose(0);
    search();
    ASSERT_TRUE(s.BtnChercherRecordParRowID->isEnabled());
    messages.clear();
    s.progressDelayMs = 0;
    whileSearching([&](QDialog* d, const QString&) {
        d->findChild<QPushButton*>(QStringLiteral("BtnAnnuler"))->click();
    });
    search();
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text, "Recherche annulée : aucun lock n'est affiché.");
    EXPECT_TRUE(rows().empty());
    EXPECT_FALSE(s.BtnChercherRecordParRowID->isEnabled()) << "an empty grid has no row to show";
    EXPECT_FALSE(s.rouverlenregistrementselectionn1->isEnabled());
}

// A suite of its own: it kills the server the others share.
class ServerLoss : public LockSearch {};

TEST_F(ServerLoss, AServerKilledMidSearchEndsItWithTheErrorAndTheWindowConnectsAgainAfterwards) {
    choose(0);
    s.progressDelayMs = 0;
    bool killed = false;
    whileSearching([&](QDialog*, const QString& table) {
        if (!killed && table.endsWith(QStringLiteral(": Commandes"))) {
            server_->kill();
            killed = true;
        }
    });
    search();
    ASSERT_TRUE(killed);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].form, Shown::Form::DefaultError);
    EXPECT_FALSE(messages.messages()[0].text.isEmpty());
    EXPECT_TRUE(s.UsersTableLocks->Active()) << "the rows found so far stay";
    EXPECT_EQ(field("TableName"), "Clients");
    EXPECT_FALSE(s.BtnChercherRecordParRowID->isEnabled()) << "as it was before the search";

    ASSERT_TRUE(server_->start());
    messages.clear();
    // The first click disconnects the lost connection: the engine's answer is shown, and the
    // connection ends disconnected all the same, so the next click connects.
    choose(1);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].form, Shown::Form::DefaultError);
    EXPECT_FALSE(s.ManagementConn->IsConnected());
    EXPECT_FALSE(s.UsersTableLocks->Active()) << "disconnecting closed the result";
    messages.clear();
    choose(0);
    choose(1);
    EXPECT_TRUE(messages.messages().empty()) << messages.messages()[0].text.toStdString();
    EXPECT_EQ(items(), QStringList({kToutes}));
    choose(0);
    search();
    EXPECT_EQ(rows().size(), 0u) << "the holders lost their locks with the server";
}

}  // namespace
