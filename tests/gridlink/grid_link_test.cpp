// grid_link_test.cpp: a grid over an in-memory dataset: the rows shown, painting that never
// moves the cursor, the user's moves made on the dataset, rowChanged once per change of
// record, the scroll bar, the columns and a closed dataset.
#include "gridlink/grid_link.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "tests/db/ordered_dataset.h"
#include "tests/ui/qt_print.h"
#include "ui/messages.h"

namespace {

using Move = ui::DataGrid::Move;

std::map<int, int> records(int n) {
    std::map<int, int> r;
    for (int id = 1; id <= n; ++id) r[id] = id % 7;
    return r;
}

// A shown grid of some ten rows over `n` records (key = id % 7), open on the first.
struct Fixture {
    OrderedDataSet ds;
    TDataSource source{nullptr};
    ui::DataGrid grid;
    gridlink::GridLink* link;
    int rowChanges = 0;

    explicit Fixture(int n = 50) : ds(records(n)) {
        source.SetDataSet(&ds);
        grid.resize(400, 10 * grid.verticalHeader()->defaultSectionSize() +
                             grid.horizontalHeader()->sizeHint().height() +
                             grid.horizontalScrollBar()->sizeHint().height() + 8);
        link = new gridlink::GridLink(&grid, &source);
        QObject::connect(link, &gridlink::GridLink::rowChanged, [this] { ++rowChanges; });
        grid.show();
        settle();
        ds.Open();
        settle();
    }
    static void settle() { QCoreApplication::processEvents(); }
    QAbstractItemModel& model() { return *grid.model(); }
    int current() { return ds.Fields(0)->AsInteger(); }
    // The record id the grid shows on its current row.
    int shownCurrent() { return model().index(grid.currentRow(), 0).data().toInt(); }
    int page() { return grid.visibleRowCount(); }
    QPoint cell(int row) { return grid.visualRect(model().index(row, 1)).center(); }
    // Drags the scroll bar's thumb to `position` and lets it go.
    void dropThumb(int position) {
        QScrollBar* bar = grid.verticalScrollBar();
        bar->setSliderDown(true);
        bar->setSliderPosition(position);
        bar->setSliderDown(false);
    }
};

TEST(GridLink, ShowsTheWindowAndFollowsEveryProgramMove) {
    Fixture f;
    ASSERT_GE(f.page(), 8);
    EXPECT_EQ(f.model().rowCount(), f.page());
    EXPECT_EQ(f.model().columnCount(), 2);
    EXPECT_EQ(f.model().headerData(1, Qt::Horizontal).toString(), QStringLiteral("Key"));
    EXPECT_EQ(f.model().index(3, 0).data().toString(), QStringLiteral("4"));
    EXPECT_EQ(f.grid.currentRow(), 0);
    EXPECT_EQ(f.rowChanges, 1) << "opening on a row";
    struct Step {
        const char* what;
        std::function<void(Fixture&)> act;
        int current;
        int rowChanges;  // raised at once, before the event loop runs
    } steps[] = {
        {"MoveBy", [](Fixture& f) { f.ds.MoveBy(3); }, 4, 1},
        {"MoveBy past the window", [](Fixture& f) { f.ds.MoveBy(20); }, 24, 1},
        {"Locate", [](Fixture& f) { f.ds.Locate(QStringLiteral("Key"), 5, 0); }, 5, 1},
        {"Locate the same record", [](Fixture& f) { f.ds.Locate(QStringLiteral("Key"), 5, 0); }, 5,
         0},
        {"First", [](Fixture& f) { f.ds.First(); }, 1, 1},
        {"First again", [](Fixture& f) { f.ds.First(); }, 1, 0},
        {"Append, Post",
         [](Fixture& f) {
             f.ds.Append();
             f.ds.Fields(1)->SetAsInteger(3);
             f.ds.Post();
         },
         51, 2},
        {"order by key", [](Fixture& f) { f.ds.SetOrder(true); }, 51, 0},
        {"an empty move", [](Fixture& f) { f.ds.MoveBy(0); }, 51, 0},
    };
    for (const Step& s : steps) {
        const int before = f.rowChanges;
        s.act(f);
        EXPECT_EQ(f.rowChanges - before, s.rowChanges) << s.what;
        f.settle();
        EXPECT_EQ(f.current(), s.current) << s.what;
        EXPECT_EQ(f.shownCurrent(), s.current) << s.what;
        EXPECT_EQ(f.grid.currentRow(), f.ds.ActiveRecord()) << s.what;
    }
}

TEST(GridLink, PaintingNeverMovesTheCursorAndTheHookSeesThePaintedRow) {
    Fixture f;
    f.ds.MoveBy(4);
    f.settle();
    std::vector<std::pair<int, QString>> seen;  // (the field's value, the cell's text)
    f.link->setCalcCellColors([&](TField* field, ui::CellStyle& style) {
        seen.emplace_back(f.ds.Fields(0)->AsInteger(), field->AsString());
        if (f.ds.Fields(0)->AsInteger() == 5) style.background = QColor(216, 228, 248);
    });
    const int calls = f.ds.cursorCalls;
    for (int i = 0; i < 3; ++i) f.grid.grab();
    EXPECT_EQ(f.ds.cursorCalls, calls);
    ASSERT_EQ(seen.size(), size_t(3 * 2 * f.page()));
    for (int row = 0; row < f.page(); ++row)
        for (int column = 0; column < 2; ++column) {
            const auto& [id, text] = seen[size_t(row * 2 + column)];
            EXPECT_EQ(id, f.model().index(row, 0).data().toInt());
            EXPECT_EQ(text, f.model().index(row, column).data().toString());
        }
    EXPECT_EQ(f.current(), 5) << "the current row is back after painting";
    const QImage image = f.grid.grab().toImage();
    const QRect cell = f.grid.visualRect(f.model().index(f.grid.currentRow(), 1));
    EXPECT_EQ(image.pixelColor(cell.translated(f.grid.viewport()->pos()).center()),
              QColor(216, 228, 248));
}

TEST(GridLink, TheUsersMovesMoveTheDataSetAndRaiseRowChangedOnce) {
    const int lines = QApplication::wheelScrollLines();
    struct Case {
        const char* what;
        std::function<void(Fixture&)> act;
        std::function<int(Fixture&)> current;
    } cases[] = {
        {"down", [](Fixture& f) { QTest::keyClick(&f.grid, Qt::Key_Down); },
         [](Fixture&) { return 12; }},
        {"up", [](Fixture& f) { QTest::keyClick(&f.grid, Qt::Key_Up); },
         [](Fixture&) { return 10; }},
        {"page down", [](Fixture& f) { QTest::keyClick(&f.grid, Qt::Key_PageDown); },
         [](Fixture& f) { return 11 + f.page(); }},
        {"page up", [](Fixture& f) { QTest::keyClick(&f.grid, Qt::Key_PageUp); },
         [](Fixture& f) { return 11 - f.page(); }},
        {"ctrl home",
         [](Fixture& f) { QTest::keyClick(&f.grid, Qt::Key_Home, Qt::ControlModifier); },
         [](Fixture&) { return 1; }},
        {"ctrl end", [](Fixture& f) { QTest::keyClick(&f.grid, Qt::Key_End, Qt::ControlModifier); },
         [](Fixture&) { return 50; }},
        {"click",
         [](Fixture& f) { QTest::mouseClick(f.grid.viewport(), Qt::LeftButton, {}, f.cell(1)); },
         [](Fixture& f) { return f.model().index(1, 0).data().toInt(); }},
        {"wheel",
         [](Fixture& f) {
             QWheelEvent e(f.cell(0), f.grid.viewport()->mapToGlobal(f.cell(0)), {}, {0, -120},
                           Qt::NoButton, {}, Qt::NoScrollPhase, false);
             QApplication::sendEvent(f.grid.viewport(), &e);
         },
         [lines](Fixture&) { return 11 + lines; }},
        {"bar page area",
         [](Fixture& f) {
             f.grid.verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
         },
         [](Fixture& f) { return 11 + f.page(); }},
        {"thumb dropped at 40", [](Fixture& f) { f.dropThumb(40); }, [](Fixture&) { return 41; }},
        {"thumb dropped at 2", [](Fixture& f) { f.dropThumb(2); }, [](Fixture&) { return 3; }},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.ds.MoveBy(10);
        f.settle();
        f.grid.setFocus();
        const int before = f.rowChanges;
        c.act(f);
        EXPECT_EQ(f.current(), c.current(f)) << c.what;
        EXPECT_EQ(f.rowChanges - before, 1) << c.what;
        EXPECT_EQ(f.shownCurrent(), f.current()) << c.what << ": shown at once";
    }
}

TEST(GridLink, TheScrollBarShowsTheKnownPlaceAndAsksTheCountOnce) {
    Fixture f;
    QScrollBar* bar = f.grid.verticalScrollBar();
    EXPECT_EQ(bar->maximum(), 49);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(f.ds.countCalls, 1);
    auto thumb = [](QScrollBar* b) {
        return double(b->pageStep()) / (b->maximum() + b->pageStep());
    };
    EXPECT_NEAR(thumb(bar), f.page() / 50.0, 0.01)
        << "the thumb is as long as the rows shown are many";
    for (int i = 0; i < 5; ++i) f.ds.MoveBy(3);
    f.settle();
    EXPECT_EQ(bar->value(), 15);
    EXPECT_EQ(f.ds.countCalls, 1) << "moves keep the count";
    f.ds.Locate(QStringLiteral("Key"), 6, 0);
    f.settle();
    EXPECT_EQ(bar->maximum(), 2) << "a found row's place is not known";
    EXPECT_EQ(bar->value(), 1);
    f.ds.MoveBy(100);
    f.settle();
    EXPECT_EQ(bar->maximum(), 49);
    EXPECT_EQ(bar->value(), 49) << "the end is a known place";
    EXPECT_EQ(f.ds.countCalls, 1) << "nor does Locate change the count";
    for (int i = 0; i < 20; ++i) {
        f.ds.Append();
        f.ds.Fields(1)->SetAsInteger(i);
        f.ds.Post();
    }
    f.ds.First();
    f.settle();
    EXPECT_EQ(bar->maximum(), 69);
    EXPECT_EQ(f.ds.countCalls, 2) << "one count for a run of appends";

    Fixture few(5);
    EXPECT_EQ(few.grid.verticalScrollBar()->maximum(), 0) << "every row on screen: no bar";
    EXPECT_EQ(few.ds.countCalls, 0);
    Fixture oneMore(f.page() + 1);
    EXPECT_EQ(oneMore.grid.verticalScrollBar()->value(), 0);
    EXPECT_NEAR(thumb(oneMore.grid.verticalScrollBar()), f.page() / (f.page() + 1.0), 0.01);
}

TEST(GridLink, ARunOfEditsIsShownOnceAndReadsNoRowsAroundThem) {
    Fixture f;
    int resets = 0, changes = 0;
    QObject::connect(&f.model(), &QAbstractItemModel::dataChanged, [&] { ++changes; });
    QObject::connect(&f.model(), &QAbstractItemModel::rowsRemoved, [&] { ++resets; });
    const int calls = f.ds.cursorCalls;
    for (int i = 0; i < 100; ++i) {
        if (f.ds.Locate(QStringLiteral("Key"), 100 + i, 0)) continue;
        f.ds.Append();
        f.ds.Fields(1)->SetAsInteger(100 + i);
        f.ds.Post();
    }
    EXPECT_EQ(f.ds.cursorCalls - calls, 101)
        << "the first append's return to its row, then each posted row";
    EXPECT_EQ(changes + resets, 0) << "nothing shown before the event loop runs";
    f.settle();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(f.shownCurrent(), 150);
    EXPECT_EQ(f.model().rowCount(), f.page());
}

TEST(GridLink, AClosedDataSetEmptiesTheGridAndColumnsFollowTheFields) {
    Fixture f;
    f.ds.Fields(1)->SetDisplayLabel(QStringLiteral("Clé"));
    f.ds.Fields(1)->SetDisplayWidth(25);
    f.settle();
    EXPECT_EQ(f.model().headerData(1, Qt::Horizontal).toString(), QStringLiteral("Clé"));
    EXPECT_EQ(f.grid.columnWidth(1), 25 * f.grid.fontMetrics().averageCharWidth() + 6);
    EXPECT_EQ(
        f.model().index(0, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight,
        Qt::AlignRight);
    f.ds.Fields(0)->SetVisible(false);
    f.settle();
    EXPECT_EQ(f.model().columnCount(), 1);
    const int before = f.rowChanges;
    f.ds.Close();
    f.settle();
    EXPECT_EQ(f.model().rowCount(), 0);
    EXPECT_EQ(f.model().columnCount(), 0) << "columns of the fields go with them";
    EXPECT_EQ(f.rowChanges, before);

    f.link->setColumns({{QStringLiteral("Key"), 12, QStringLiteral("La clé")},
                        {QStringLiteral("Absent"), 0, QString()}});
    f.settle();
    EXPECT_EQ(f.model().columnCount(), 2) << "declared columns stay while closed";
    EXPECT_EQ(f.model().headerData(0, Qt::Horizontal).toString(), QStringLiteral("La clé"));
    EXPECT_EQ(f.model().headerData(1, Qt::Horizontal).toString(), QStringLiteral("Absent"));
    f.ds.Open();
    f.settle();
    EXPECT_EQ(f.model().index(2, 0).data().toString(), QStringLiteral("3"));
    EXPECT_EQ(f.model().index(2, 1).data().toString(), QString());
    EXPECT_EQ(f.grid.columnWidth(0), 12 * f.grid.fontMetrics().averageCharWidth() + 6);
    EXPECT_EQ(f.rowChanges, before + 1) << "opened on a row";
}

TEST(GridLink, AFailedMoveIsShownAndTheGridGoesOn) {
    Fixture f;
    ui::MessageRecorder recorder;
    f.ds.failReads = true;
    QTest::keyClick(&f.grid, Qt::Key_Down);
    EXPECT_TRUE(recorder.messages().empty()) << "a move within the window reads nothing";
    QTest::keyClick(&f.grid, Qt::Key_PageDown);
    ASSERT_EQ(recorder.messages().size(), 1u);
    EXPECT_EQ(recorder.messages()[0].form, ui::ShownMessage::Form::DefaultError);
    EXPECT_EQ(recorder.messages()[0].text, QStringLiteral("lecture impossible."));
    f.ds.failReads = false;
    QTest::keyClick(&f.grid, Qt::Key_PageDown);
    EXPECT_EQ(f.shownCurrent(), f.current());
}

TEST(GridLink, TheModelKeepsItsInvariantsThroughMovesEditsAndClosing) {
    Fixture f;
    QAbstractItemModelTester tester(&f.model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    f.ds.MoveBy(17);
    f.settle();
    f.ds.Append();
    f.settle();
    f.ds.Fields(1)->SetAsInteger(2);
    f.ds.Post();
    f.settle();
    f.ds.SetOrder(true);
    f.settle();
    f.grid.resize(400, 120);
    f.settle();
    f.ds.Close();
    f.settle();
    f.ds.Open();
    f.settle();
    EXPECT_EQ(f.model().rowCount(), f.page());
}

}  // namespace
