// e2e_test.cpp: a grid over the temporary result table on the real engine (enginesrv on a
// private socket): rows appended with the grid attached stay current, in index order.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QScrollBar>
#include <random>

#include "data/adstable.h"
#include "gridlink/grid_link.h"
#include "tests/data/engine_fixture.h"
#include "tests/ui/qt_print.h"

namespace {

TEST(GridLinkEndToEnd, AppendedRowsStayCurrentInIndexOrder) {
    e2e::Engine engine;
    ASSERT_TRUE(engine.start()) << engine.error();
    TAdsConnection conn(nullptr);
    e2e::connectAsAdmin(conn, engine.dictionary);
    TAdsQuery create(nullptr);
    create.SetAdsConnection(&conn);
    create.SQL().Assign(e2e::kCreateUsersTableLocks);
    create.ExecSQL();
    TAdsTable locks(nullptr);
    locks.SetAdsConnection(&conn);
    locks.SetTableName(QStringLiteral("#UsersTableLocks"));
    TDataSource source(nullptr);
    source.SetDataSet(&locks);
    ui::DataGrid grid;
    grid.resize(600, 250);
    auto* link = new gridlink::GridLink(&grid, &source);
    link->setColumns({{QStringLiteral("UserName"), 30, QStringLiteral("UserName")},
                      {QStringLiteral("LockedRecNo"), 16, QStringLiteral("LockedRecNo")},
                      {QStringLiteral("TableName"), 29, QStringLiteral("Table")}});
    int rowChanges = 0;
    QObject::connect(link, &gridlink::GridLink::rowChanged, [&] { ++rowChanges; });
    grid.show();
    locks.Open();
    locks.SetIndexName(QStringLiteral("UserName"));
    QCoreApplication::processEvents();

    std::mt19937 rng(3);
    QStringList users;
    for (int i = 1; i <= 60; ++i) {
        const QString user = QStringLiteral("User%1").arg(rng() % 1000, 3, 10, QLatin1Char('0'));
        ASSERT_FALSE(locks.Locate(QStringLiteral("TableName;LockedRecNo"),
                                  QVariantList{QStringLiteral("Clients"), i}, 0));
        locks.Append();
        locks.FieldByName(QStringLiteral("TableName"))->SetAsString(QStringLiteral("Clients"));
        locks.FieldByName(QStringLiteral("UserName"))->SetAsString(user);
        locks.FieldByName(QStringLiteral("LockedRecNo"))->SetAsInteger(i);
        locks.Post();
        users << user;
        EXPECT_EQ(rowChanges, 2 * i) << "the new record, then the posted one";
        if (i % 7 != 0) continue;  // the event loop runs now and then, as during a search
        QCoreApplication::processEvents();
        const QAbstractItemModel& m = *grid.model();
        ASSERT_GE(grid.currentRow(), 0);
        EXPECT_EQ(m.index(grid.currentRow(), 0).data().toString(), user) << i;
        EXPECT_EQ(m.index(grid.currentRow(), 1).data().toInt(), i) << i;
        EXPECT_EQ(m.rowCount(), std::min(i, grid.visibleRowCount())) << i;
        QStringList shown;
        for (int r = 0; r < m.rowCount(); ++r) shown << m.index(r, 0).data().toString();
        QStringList sorted = users;
        sorted.sort();
        const qsizetype start = sorted.indexOf(shown.first());
        EXPECT_EQ(shown, sorted.mid(start, shown.size()))
            << "a run of the rows in user order, at " << i;
    }
    locks.First();
    QCoreApplication::processEvents();
    users.sort();
    EXPECT_EQ(grid.model()->index(0, 0).data().toString(), users.first());
    EXPECT_EQ(grid.verticalScrollBar()->maximum(), 59)
        << "the count, asked once the search is over";
}

}  // namespace
