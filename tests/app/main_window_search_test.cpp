// main_window_search_test.cpp: the lock search in the main window, offscreen, against
// enginesrv with lock holders in other processes: what the grids show and paint, the keys,
// the context menu, and a server lost in the middle of a search.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include "app/UFPrinciapl.h"
#include "app/lock_grid.h"
#include "data/adstable.h"
#include "dictionary/exe_folder.h"
#include "engine/record/raw_key.h"
#include "tests/app/lock_world.h"
#include "tests/app/lock_world_suite.h"
#include "tests/app/modal_script.h"
#include "tests/ui/qt_print.h"
#include "ui/auto_size_label.h"
#include "ui/combo_box.h"
#include "ui/data_grid.h"
#include "ui/messages.h"
#include "ui/radio_group.h"

namespace {

using locktest::Holder;
using Shown = ui::ShownMessage;

// Clients 1 to 60 held by PC-B/zoe, Commandes 5 by PC-A/marc: 61 rows, PC-A's first.
class MainWindowSearch : public locktest::LockWorldSuite {
  protected:
    static void SetUpTestSuite() {
        ASSERT_NO_FATAL_FAILURE(startWorld());
        QString error;
        comptaFolder_ = folderOfWidestRowIds();
        compta_ = locktest::makeDictionary(
            comptaFolder_, QStringLiteral("Compta"),
            {{QStringLiteral("Clients"), 100}, {QStringLiteral("Commandes"), 20}}, &error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        holders_ = new std::vector<std::unique_ptr<Holder>>();
        holders_->push_back(std::make_unique<Holder>(*server_, compta_, QStringLiteral("Clients"),
                                                     QStringLiteral("1-60"),
                                                     locktest::Who{"PC-B", "zoe", "Saisie.exe"}));
        holders_->push_back(std::make_unique<Holder>(*server_, compta_, QStringLiteral("Commandes"),
                                                     QStringLiteral("5"),
                                                     locktest::Who{"PC-A", "marc", "GestCom.exe"}));
        QFile ini(dir_->filePath(QStringLiteral("ads.ini")));
        ini.open(QIODevice::WriteOnly);
        ini.write(("[Databases]\nARCHIVE_X_1=/nulle/part/Archive.add;A\nCompta=" + compta_ + ";A\n")
                      .toUtf8());
    }
    static void TearDownTestSuite() {
        delete holders_;
        stopWorld();
    }

    void SetUp() override {
        ASSERT_TRUE(std::all_of(holders_->begin(), holders_->end(),
                                [](const auto& h) { return h->ready(); }));
        script.expect("FMotDePasse", password("qv73"));
        w = std::make_unique<TFPrincipal>();
        ASSERT_TRUE(script.done());
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }

    // The ROWID of record `recNo` of `table` in the Compta dictionary.
    static QString rowIdOf(const QString& table, uint32_t recNo) {
        const QString path = comptaFolder_ + u'/' + table + QStringLiteral(".adt");
        return QString::fromStdString(
            engine::record::rowId(engine::record::tableIdFor(path.toStdString()), recNo));
    }
    // Among a few hundred folders, the one whose Clients table has the widest ROWIDs. A ROWID
    // of narrow characters fits even a column cut short, which then goes unseen.
    static QString folderOfWidestRowIds() {
        const QFontMetrics metrics(QApplication::font());
        QString widest;
        int widestAdvance = -1;
        for (int i = 0; i < 400; ++i) {
            comptaFolder_ = dir_->filePath(QStringLiteral("compta%1").arg(i));
            const int advance = metrics.horizontalAdvance(rowIdOf(QStringLiteral("Clients"), 1));
            if (advance > widestAdvance) {
                widestAdvance = advance;
                widest = comptaFolder_;
            }
        }
        return widest;
    }

    // Clicks the radio button of dictionary `item`, then the search button, as a user.
    void searchDictionary(int item) {
        QRadioButton* button = w->RGPaths->findChildren<QRadioButton*>().at(item);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
        QTest::mouseClick(w->BtnChercherLocksParDictionnaire, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    // Lets the grids take their rows, and the layout changes that brings, before a look.
    static void settle() {
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    }
    QString cell(ui::DataGrid* grid, int row, int column) const {
        return grid->model()->index(row, column).data().toString();
    }
    // The colour painted at the right end of cell (`row`, `column`), past its text.
    QColor painted(int row, int column = 1) const {
        const QImage image = w->wwDBGrid1->viewport()->grab().toImage();
        const int y = w->wwDBGrid1->rowViewportPosition(row) + w->wwDBGrid1->rowHeight(row) / 2;
        const int x =
            w->wwDBGrid1->columnViewportPosition(column) + w->wwDBGrid1->columnWidth(column) - 6;
        return image.pixelColor(x, y);
    }
    QString current(const char* field) const {
        return w->UsersTableLocks->FieldByName(QLatin1String(field))->AsString();
    }

    static inline QString comptaFolder_;
    static inline QString compta_;
    static inline std::vector<std::unique_ptr<Holder>>* holders_ = nullptr;

    dictionary::ExecutableFolderOverride folder{dir_->path()};
    ui::MessageRecorder messages;
    ModalScript script;
    std::unique_ptr<TFPrincipal> w;
};

TEST_F(MainWindowSearch, TheLocksShowOrderedWithTheCurrentRowLightBlue) {
    ASSERT_EQ(w->RGPaths->count(), 1);
    searchDictionary(0);
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_EQ(w->LabelNombreTables->text(), "2");
    ui::DataGrid* grid = w->wwDBGrid1;
    ASSERT_EQ(grid->model()->columnCount(), 5);
    QStringList titles;
    for (int c = 0; c < 5; ++c) titles << grid->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titles, QStringList({"UserName", "OsUserLoginName", "LockedRecNo", "Table",
                                   "ApplicationID"}));
    EXPECT_EQ(grid->columnWidth(0), grid->columnWidth(1));
    EXPECT_GT(grid->columnWidth(0), grid->columnWidth(2));
    EXPECT_EQ(cell(grid, 0, 0), "PC-A");
    EXPECT_EQ(cell(grid, 0, 3), "Commandes");
    EXPECT_EQ(cell(grid, 1, 0), "PC-B");
    EXPECT_EQ(cell(grid, 1, 2), "1");
    EXPECT_EQ(painted(0), app::kHighlight);
    EXPECT_NE(painted(1), app::kHighlight);
    EXPECT_EQ(w->RecNoGlobal, 5);
    EXPECT_EQ(w->TableNameGlobal, "Commandes");
    EXPECT_EQ(w->DictionaryNameGlobal, "Compta");
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);

    w->RGOrdre->setItemIndex(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(current("OsUserLoginName"), "marc") << "the current row stays";
}

TEST_F(MainWindowSearch, KeysMoveTheLightBlueRowAndForgetTheRecordShown) {
    searchDictionary(0);
    QTest::mouseClick(w->BtnChercherRecordParRowID, Qt::LeftButton);
    ASSERT_TRUE(w->QChercherRecordParRowID->Active());
    EXPECT_EQ(w->wwDBGrid2->backgroundColor(), app::kHighlight);
    EXPECT_EQ(w->LabelTable->text(), "Commandes");
    EXPECT_GE(w->LabelTable->width(), w->LabelTable->sizeHint().width())
        << "a name longer than the design text is shown whole";

    w->wwDBGrid1->setFocus();
    QTest::keyClick(w->wwDBGrid1, Qt::Key_Down);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->RecNoGlobal, 1);
    EXPECT_EQ(w->TableNameGlobal, "Clients");
    EXPECT_FALSE(w->QChercherRecordParRowID->Active());
    EXPECT_EQ(w->wwDBGrid2->backgroundColor(), app::windowColor());
    EXPECT_EQ(w->LabelTable->text(), "");
    EXPECT_EQ(w->LabelDictionnaire->text(), "");
    EXPECT_NE(painted(0), app::kHighlight);
    EXPECT_EQ(painted(w->wwDBGrid1->currentRow()), app::kHighlight);

    const int page = w->wwDBGrid1->visibleRowCount();
    QTest::keyClick(w->wwDBGrid1, Qt::Key_PageDown);
    QCoreApplication::processEvents();
    EXPECT_GT(w->RecNoGlobal, 1);
    EXPECT_EQ(w->RecNoGlobal, current("LockedRecNo").toInt()) << "the highlight is the current row";
    EXPECT_GE(page, 2);
    EXPECT_EQ(painted(w->wwDBGrid1->currentRow()), app::kHighlight);
    QTest::keyClick(w->wwDBGrid1, Qt::Key_Up);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->RecNoGlobal, current("LockedRecNo").toInt());
}

TEST_F(MainWindowSearch, TheContextMenuShowsTheLockedRecordInTheLowerGrid) {
    searchDictionary(0);
    ASSERT_TRUE(w->UsersTableLocks->Locate(QStringLiteral("TableName;LockedRecNo"),
                                           QVariantList{QStringLiteral("Clients"), 42}, 0));
    EXPECT_EQ(w->RecNoGlobal, 42) << "the grid follows the program's moves";
    QCoreApplication::processEvents();
    QWidget* viewport = w->wwDBGrid1->viewport();
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(20, 20),
                                viewport->mapToGlobal(QPoint(20, 20)));
    QCoreApplication::sendEvent(viewport, &menuEvent);
    ASSERT_TRUE(w->PopupMenu1->isVisible());
    w->PopupMenu1->activeAction();
    w->rouverlenregistrementselectionn1->trigger();
    w->PopupMenu1->hide();
    EXPECT_TRUE(messages.messages().empty());
    ASSERT_TRUE(w->QChercherRecordParRowID->Active());
    settle();
    ui::DataGrid* lower = w->wwDBGrid2;
    ASSERT_EQ(lower->model()->columnCount(), 3);
    EXPECT_EQ(lower->model()->headerData(2, Qt::Horizontal).toString().toUpper(), "ROWID");
    EXPECT_EQ(cell(lower, 0, 0), "42");
    EXPECT_EQ(cell(lower, 0, 1), "Nom 42");
    EXPECT_EQ(cell(lower, 0, 2), rowIdOf(QStringLiteral("Clients"), 42));
    EXPECT_TRUE(cell(lower, 0, 2).endsWith("AAAAAq"));
    EXPECT_GE(lower->columnWidth(2), lower->fontMetrics().horizontalAdvance(cell(lower, 0, 2)) + 6)
        << "the whole ROWID shows, its last six characters included";
    EXPECT_EQ(lower->backgroundColor(), app::kHighlight);
    const QImage image = lower->viewport()->grab().toImage();
    EXPECT_EQ(image.pixelColor(lower->columnWidth(0) - 4, lower->rowHeight(0) / 2), app::kHighlight)
        << "the record's row too";
    EXPECT_EQ(w->LabelDictionnaire->text(), "Compta");
    EXPECT_EQ(w->LabelTable->text(), "Clients");
}

TEST_F(MainWindowSearch, F5PressesTheSearchButtonWhenItCanBePressed) {
    QTest::keyClick(w.get(), Qt::Key_F5);
    EXPECT_TRUE(messages.messages().empty()) << "no dictionary chosen: the button is disabled";
    EXPECT_FALSE(w->UsersTableLocks->Active());

    QRadioButton* compta = w->RGPaths->findChildren<QRadioButton*>().at(0);
    QTest::mouseClick(compta, Qt::LeftButton, {}, QPoint(6, compta->height() / 2));
    QTest::keyClick(w.get(), Qt::Key_F5);
    settle();
    EXPECT_TRUE(messages.messages().empty());
    ASSERT_TRUE(w->UsersTableLocks->Active());
    EXPECT_EQ(w->UsersTableLocks->RecordCount(), 61);
    EXPECT_TRUE(w->BtnChercherRecordParRowID->isEnabled());
}

// A suite of its own: it kills the server the others share.
class MainWindowServerLoss : public MainWindowSearch {};

TEST_F(MainWindowServerLoss,
       TheRowsFoundStayShownAndTheWindowConnectsAgainAfterTheLostConnectionIsReported) {
    w->progressDelayMs = 0;
    QTimer killer;
    QObject::connect(&killer, &QTimer::timeout, [&] {
        auto* d = w->findChild<QDialog*>(QStringLiteral("FProgressionRecherche"));
        if (d && d->findChild<QLabel*>(QStringLiteral("LabelTableEnCours"))
                     ->text()
                     .section(u'\n', 0, 0)
                     .endsWith(": Commandes")) {
            server_->kill();
            killer.stop();
        }
    });
    killer.start(0);
    searchDictionary(0);  // Clients first, then Commandes
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    ASSERT_FALSE(killer.isActive()) << "killed";
    ASSERT_EQ(messages.messages().size(), 1u) << "one message, however often the grid repaints";
    EXPECT_EQ(messages.messages()[0].form, Shown::Form::DefaultError);
    EXPECT_EQ(cell(w->wwDBGrid1, 0, 3), "Clients") << "the rows found so far stay shown";
    EXPECT_FALSE(w->BtnChercherRecordParRowID->isEnabled());

    ASSERT_TRUE(server_->start());
    messages.clear();
    QRadioButton* compta = w->RGPaths->findChildren<QRadioButton*>().at(0);
    QTest::mouseClick(compta, Qt::LeftButton, {},
                      QPoint(6, compta->height() / 2));  // selected already
    QCoreApplication::processEvents();
    // That click disconnects the lost connection and shows the engine's answer; the
    // connection ends disconnected all the same, so the next click connects.
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].form, Shown::Form::DefaultError);
    EXPECT_EQ(w->wwDBGrid1->model()->rowCount(), 0) << "disconnecting closed the result";
    messages.clear();
    QTest::mouseClick(compta, Qt::LeftButton, {}, QPoint(6, compta->height() / 2));
    QCoreApplication::processEvents();
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_EQ(w->LabelNombreTables->text(), "2");
    EXPECT_EQ(w->wwDBGrid1->model()->rowCount(), 0) << "disconnecting closed the result";
    EXPECT_TRUE(w->BtnChercherLocksParDictionnaire->isEnabled());
}

}  // namespace
