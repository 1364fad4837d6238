// data_grid_test.cpp: the grid's look, its colour hook, row notifications and batched rows.
#include "ui/data_grid.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTest>

namespace {

// A model that hands out its rows in batches of 10, as a dataset-backed model would.
class BatchModel : public QAbstractTableModel {
  public:
    int total = 100, loaded = 0;
    int rowCount(const QModelIndex& p = {}) const override { return p.isValid() ? 0 : loaded; }
    int columnCount(const QModelIndex& p = {}) const override { return p.isValid() ? 0 : 2; }
    QVariant data(const QModelIndex& i, int role) const override {
        return role == Qt::DisplayRole ? QVariant(i.row() * 10 + i.column()) : QVariant();
    }
    bool canFetchMore(const QModelIndex& p) const override {
        return !p.isValid() && loaded < total;
    }
    void fetchMore(const QModelIndex&) override {
        const int n = std::min(10, total - loaded);
        beginInsertRows({}, loaded, loaded + n - 1);
        loaded += n;
        endInsertRows();
    }
};

TEST(DataGrid, IsReadOnlyWithCentredBoldTitlesAndNoRowHeader) {
    ui::DataGrid grid;
    EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(grid.verticalHeader()->isVisibleTo(&grid));
    EXPECT_EQ(grid.horizontalHeader()->defaultAlignment(), Qt::AlignCenter);
    EXPECT_TRUE(grid.horizontalHeader()->font().bold());
    EXPECT_EQ(grid.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(grid.model(), nullptr);
}

TEST(DataGrid, ReportsEveryMoveOfTheCurrentRow) {
    QStandardItemModel model(3, 2);
    ui::DataGrid grid;
    grid.setModel(&model);
    std::vector<int> rows;
    QObject::connect(&grid, &ui::DataGrid::rowChanged, [&](int r) { rows.push_back(r); });
    grid.show();
    grid.setFocus();
    grid.setCurrentRow(0);
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_Right);  // same row: nothing
    grid.setCurrentRow(2);
    EXPECT_EQ(rows, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(grid.currentRow(), 2);
}

TEST(DataGrid, HookColoursTheCellsItChooses) {
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
    const QImage image = grid.grab().toImage();
    EXPECT_EQ(asked.size(), 4u);
    const QRect row1 = grid.visualRect(model.index(1, 0)).translated(grid.viewport()->pos());
    const QRect row0 = grid.visualRect(model.index(0, 0)).translated(grid.viewport()->pos());
    EXPECT_EQ(image.pixelColor(row1.center()), lightBlue);
    EXPECT_NE(image.pixelColor(row0.center()), lightBlue);
}

TEST(DataGrid, PullsRowsInBatchesAsNeeded) {
    BatchModel model;
    ui::DataGrid grid;
    grid.resize(300, 120);
    grid.setModel(&model);
    grid.show();
    QCoreApplication::processEvents();
    EXPECT_GT(model.loaded, 0);
    EXPECT_LT(model.loaded, model.total);
    grid.setCurrentRow(model.loaded - 1);
    grid.scrollToBottom();
    QCoreApplication::processEvents();
    EXPECT_GT(model.loaded, 10);
}

TEST(DataGrid, BackgroundColourCanBeSet) {
    ui::DataGrid grid;
    grid.setBackgroundColor(QColor(216, 228, 248));
    EXPECT_EQ(grid.backgroundColor(), QColor(216, 228, 248));
}

}  // namespace
