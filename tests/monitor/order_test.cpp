// order_test.cpp: the rows' order when sorted by a column, as the window shows it.
#include <gtest/gtest.h>

#include <QTimeZone>

#include "monitor/lock_order.h"
#include "monitor/lock_text.h"

namespace monitor {
namespace {

// Five owners; `seen` is seconds after 10:00. Rows 1 and 3 share every text but the
// ROWID, rows 0 and 2 differ only by letter case: ties must keep collection order.
TrackedSnapshot fixture() {
    struct Owner {
        const char* user;
        const char* table;
        int recNo;
        int seen;
    };
    const Owner owners[] = {{"alice", "Clients", 40, 30},
                          {"bob", "produits", 7, 0},
                          {"Alice", "CLIENTS", 100, 30},
                          {"bob", "Produits", 9, 60},
                          {"Zoé", "Stock", 8, 10}};
    TrackedSnapshot s;
    const QDateTime base(QDate(2026, 12, 11), QTime(10, 0), QTimeZone::utc());
    for (const Owner& owner : owners) {
        LockRow r;
        r.dictionary = QStringLiteral("Gestion");
        r.userName = QString::fromUtf8(owner.user);
        r.table = QString::fromUtf8(owner.table);
        r.recNo = owner.recNo;
        r.firstSeen = base.addSecs(owner.seen);
        s.locks.push_back({r, LockState::Held});
    }
    s.at = base.addSecs(90);
    return s;
}

TEST(SortedRows, EachColumnBothWaysWithTiesInCollectionOrder) {
    const TrackedSnapshot s = fixture();
    struct Case {
        int column;
        Qt::SortOrder direction;
        std::vector<int> rows;
    } cases[] = {
        {-1, Qt::AscendingOrder, {0, 1, 2, 3, 4}},
        {kUser, Qt::AscendingOrder, {0, 2, 1, 3, 4}},
        {kUser, Qt::DescendingOrder, {4, 1, 3, 0, 2}},
        {kTable, Qt::AscendingOrder, {0, 2, 1, 3, 4}},
        {kRecord, Qt::AscendingOrder, {1, 4, 3, 0, 2}},  // numbers: 7 before 40
        {kRecord, Qt::DescendingOrder, {2, 0, 3, 4, 1}},
        {kFirstSeen, Qt::AscendingOrder, {1, 4, 0, 2, 3}},
        {kDuration, Qt::DescendingOrder, {1, 4, 0, 2, 3}},  // held longest first
        {kDuration, Qt::AscendingOrder, {3, 0, 2, 4, 1}},
        {kDictionary, Qt::DescendingOrder, {0, 1, 2, 3, 4}},
        {kColumnCount, Qt::AscendingOrder, {0, 1, 2, 3, 4}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sortedRows(s, {c.column, c.direction}), c.rows)
            << "column " << c.column << (c.direction == Qt::AscendingOrder ? " up" : " down");
}

}  // namespace
}  // namespace monitor
