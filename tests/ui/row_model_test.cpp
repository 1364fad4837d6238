// row_model_test.cpp: rows read in batches as a grid scrolls, and read again on reload.
#include "ui/row_model.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCoreApplication>

#include "ui/data_grid.h"

namespace {

// `total` rows of two columns; counts how often it is read.
class CountingSource : public ui::RowSource {
  public:
    explicit CountingSource(int total) : total_(total) {}
    int columnCount() const override { return 2; }
    QString columnTitle(int c) const override { return c == 0 ? "UserName" : "LockedRecNo"; }
    void restart() override { next_ = 0; }
    bool readRows(int max, std::vector<QStringList>& rows) override {
        ++reads;
        for (int i = 0; i < max && next_ < total_; ++i, ++next_)
            rows.push_back({QString("user%1").arg(next_), QString::number(next_ + 1)});
        return next_ < total_;
    }
    int reads = 0;
    int total_;

  private:
    int next_ = 0;
};

TEST(BatchedRowModel, ReadsBatchByBatchUntilTheEndThenStops) {
    CountingSource source(150);
    ui::BatchedRowModel model(64);
    model.setSource(&source);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "LockedRecNo");
    std::vector<int> counts;
    while (model.canFetchMore({})) {
        model.fetchMore({});
        counts.push_back(model.rowCount());
    }
    EXPECT_EQ(counts, (std::vector<int>{64, 128, 150}));
    EXPECT_EQ(model.data(model.index(149, 0)).toString(), "user149");
    EXPECT_EQ(model.rowValues(0).at(1), "1");
    EXPECT_EQ(source.reads, 3);
}

TEST(BatchedRowModel, ReloadStartsOverAndNoSourceIsEmpty) {
    CountingSource source(10);
    ui::BatchedRowModel model(4);
    QAbstractItemModelTester tester(&model);  // checks the model's invariants at each change
    model.setSource(&source);
    while (model.canFetchMore({})) model.fetchMore({});
    source.total_ = 3;
    model.reload();
    while (model.canFetchMore({})) model.fetchMore({});
    EXPECT_EQ(model.rowCount(), 3);
    model.setSource(nullptr);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 0);
    EXPECT_FALSE(model.canFetchMore({}));
}

TEST(BatchedRowModel, AGridReadsOnlyWhatItShowsAndMoreAsItScrolls) {
    CountingSource source(10000);
    ui::BatchedRowModel model(50);
    model.setSource(&source);
    ui::DataGrid grid;
    grid.resize(300, 200);
    grid.setModel(&model);
    grid.show();
    QCoreApplication::processEvents();
    const int shown = model.rowCount();
    EXPECT_GE(shown, 50);
    EXPECT_LT(shown, 10000);
    grid.scrollToBottom();
    QCoreApplication::processEvents();
    EXPECT_GT(model.rowCount(), shown);
    EXPECT_LT(model.rowCount(), 10000);
}

}  // namespace
