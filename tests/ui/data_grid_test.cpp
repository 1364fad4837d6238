// data_grid_test.cpp: the grid's look, its colour hook, the user's moves turned into
// requests, and the vertical scroll bar that stands for the owner's list.
#include "ui/data_grid.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTest>
#include <QWheelEvent>

namespace {

using Move = ui::DataGrid::Move;
using Request = std::pair<Move, int>;

// A shown grid over `rows` rows of two columns, row 2 current, recording what it asks.
struct Fixture {
    QStandardItemModel model{5, 2};
    ui::DataGrid grid;
    std::vector<Request> asked;
    Fixture() {
        grid.setModel(&model);
        grid.resize(300, 200);
        grid.show();
        grid.setFocus();
        grid.setCurrentRow(2);
        grid.setScrollPosition(50, 100);
        QCoreApplication::processEvents();
        QObject::connect(&grid, &ui::DataGrid::moveRequested,
                         [this](Move m, int amount) { asked.emplace_back(m, amount); });
    }
    QPoint cell(int row, int column = 0) {
        return grid.visualRect(model.index(row, column)).center();
    }
};

TEST(DataGrid, IsReadOnlyWithCentredBoldTitlesAndNoRowHeader) {
    ui::DataGrid grid;
    EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(grid.verticalHeader()->isVisibleTo(&grid));
    EXPECT_EQ(grid.horizontalHeader()->defaultAlignment(), Qt::AlignCenter);
    EXPECT_TRUE(grid.horizontalHeader()->font().bold());
    EXPECT_EQ(grid.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_FALSE(grid.tabKeyNavigation()) << "Tab leaves the grid";
    EXPECT_EQ(grid.model(), nullptr);
}

TEST(DataGrid, TheUsersMovesAreAskedOfTheOwnerAndMoveNothingThemselves) {
    const int page = Fixture().grid.visibleRowCount();
    const int lines = QApplication::wheelScrollLines();
    struct Case {
        const char* what;
        std::function<void(Fixture&)> act;
        std::vector<Request> asked;
    } cases[] = {
        {"down", [](Fixture& f) { QTest::keyClick(&f.grid, Qt::Key_Down); }, {{Move::By, 1}}},
        {"up", [](Fixture& f) { QTest::keyClick(&f.grid, Qt::Key_Up); }, {{Move::By, -1}}},
        {"page down",
         [](Fixture& f) { QTest::keyClick(&f.grid, Qt::Key_PageDown); },
         {{Move::By, page}}},
        {"page up",
         [](Fixture& f) { QTest::keyClick(&f.grid, Qt::Key_PageUp); },
         {{Move::By, -page}}},
        {"ctrl home",
         [](Fixture& f) { QTest::keyClick(&f.grid, Qt::Key_Home, Qt::ControlModifier); },
         {{Move::First, 0}}},
        {"ctrl end",
         [](Fixture& f) { QTest::keyClick(&f.grid, Qt::Key_End, Qt::ControlModifier); },
         {{Move::Last, 0}}},
        {"right, typing",
         [](Fixture& f) {
             QTest::keyClicks(&f.grid, QStringLiteral("a"));
             QTest::keyClick(&f.grid, Qt::Key_Right);
         },
         {}},
        {"left click",
         [](Fixture& f) { QTest::mouseClick(f.grid.viewport(), Qt::LeftButton, {}, f.cell(4)); },
         {{Move::By, 2}}},
        {"right click",
         [](Fixture& f) { QTest::mouseClick(f.grid.viewport(), Qt::RightButton, {}, f.cell(0)); },
         {}},
        {"wheel down",
         [](Fixture& f) {
             QWheelEvent e(f.cell(1), f.grid.viewport()->mapToGlobal(f.cell(1)), {}, {0, -120},
                           Qt::NoButton, {}, Qt::NoScrollPhase, false);
             QApplication::sendEvent(f.grid.viewport(), &e);
         },
         {{Move::By, lines}}},
        {"half notches up, on the bar",
         [](Fixture& f) {
             for (int i = 0; i < 2; ++i) {
                 QWheelEvent e({1, 1}, {1, 1}, {}, {0, 60}, Qt::NoButton, {}, Qt::NoScrollPhase,
                               false);
                 QApplication::sendEvent(f.grid.verticalScrollBar(), &e);
             }
         },
         {{Move::By, -lines}}},
        {"bar arrow and page area",
         [](Fixture& f) {
             f.grid.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
             f.grid.verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
         },
         {{Move::By, 1}, {Move::By, -page}}},
        {"thumb dropped",
         [](Fixture& f) {
             QScrollBar* bar = f.grid.verticalScrollBar();
             bar->setSliderDown(true);
             bar->setSliderPosition(80);
             bar->setSliderDown(false);
         },
         {{Move::ToPosition, 80}}},
    };
    for (const Case& c : cases) {
        Fixture f;
        c.act(f);
        EXPECT_EQ(f.asked, c.asked) << c.what;
        EXPECT_EQ(f.grid.currentRow(), 2) << c.what;
        EXPECT_EQ(f.grid.verticalScrollBar()->value(), 50) << c.what;
    }
}

TEST(DataGrid, TheScrollBarStandsForTheOwnersListAndTheCellsNeverMove) {
    Fixture f;
    QScrollBar* bar = f.grid.verticalScrollBar();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->maximum(), 100);
    int rows = 0;
    QObject::connect(&f.grid, &ui::DataGrid::visibleRowCountChanged, [&](int n) { rows = n; });
    f.grid.resize(300, 400);
    QCoreApplication::processEvents();
    EXPECT_EQ(rows, f.grid.visibleRowCount());
    EXPECT_GT(rows, 5);
    EXPECT_EQ(bar->value(), 50) << "a resize keeps the owner's position";
    f.grid.setScrollPosition(50, 100, 7);
    EXPECT_EQ(bar->pageStep(), 7) << "the thumb's length";
    f.grid.setCurrentRow(4);
    EXPECT_EQ(f.grid.visualRect(f.model.index(0, 0)).top(), 0);
    f.grid.setScrollPosition(0, 0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(bar->isVisible());
}

TEST(DataGrid, TheHooksColourWinsOverTheSelection) {
    QStandardItemModel model(2, 2);
    ui::DataGrid grid;
    grid.setModel(&model);
    const QColor lightBlue(216, 228, 248);
    std::vector<std::pair<int, int>> asked;
    grid.setCellColorHook([&](int row, int column, ui::CellStyle& s) {
        asked.emplace_back(row, column);
        if (row == 1) {
            s.background = lightBlue;
            s.foreground = Qt::black;
        }
    });
    grid.resize(300, 200);
    grid.show();
    grid.activateWindow();
    grid.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
    grid.setCurrentRow(1);
    asked.clear();
    const QImage image = grid.grab().toImage();
    EXPECT_EQ(asked.size(), 4u);
    for (int column : {0, 1}) {
        const QRect cell =
            grid.visualRect(model.index(1, column)).translated(grid.viewport()->pos());
        EXPECT_EQ(image.pixelColor(cell.center()), lightBlue)
            << "the selected row, its focused current cell too, shows the hook's colour: column "
            << column;
    }
    const QRect row0 = grid.visualRect(model.index(0, 0)).translated(grid.viewport()->pos());
    EXPECT_NE(image.pixelColor(row0.center()), lightBlue);
}

TEST(DataGrid, BackgroundColourCanBeSet) {
    ui::DataGrid grid;
    grid.setBackgroundColor(QColor(216, 228, 248));
    EXPECT_EQ(grid.backgroundColor(), QColor(216, 228, 248));
}

}  // namespace
