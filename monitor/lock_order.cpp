// lock_order.cpp: sortedRows. Each row gets one integer key first, so that sorting 100,000
// rows compares integers; the few distinct texts of a column are ranked once.
#include "monitor/lock_order.h"

#include <QHash>
#include <algorithm>
#include <numeric>

#include "monitor/lock_text.h"

namespace monitor {
namespace {

const QString* textOf(const LockRow& row, int column) {
    switch (column) {
        case kDictionary:
            return &row.dictionary;
        case kTable:
            return &row.table;
        case kRowId:
            return &row.rowId;
        case kUser:
            return &row.userName;
        case kOsLogin:
            return &row.osLogin;
        case kApplication:
            return &row.application;
        case kLockType:
            return &row.lockType;
        default:
            return nullptr;
    }
}

// Each row's rank among the column's texts, equal texts (letter case aside) equal ranks.
// Rows mostly share their texts' data, so the distinct texts are found by address first.
std::vector<qint64> textRanks(const std::vector<TrackedLock>& locks, int column) {
    QHash<const QChar*, int> distinctAt;
    std::vector<const QString*> distinct;
    std::vector<int> rowDistinct(locks.size());
    for (size_t i = 0; i < locks.size(); ++i) {
        const QString* text = textOf(locks[i].row, column);
        auto it = distinctAt.find(text->constData());
        if (it == distinctAt.end()) {
            it = distinctAt.insert(text->constData(), static_cast<int>(distinct.size()));
            distinct.push_back(text);
        }
        rowDistinct[i] = it.value();
    }
    std::vector<int> byText(distinct.size());
    std::iota(byText.begin(), byText.end(), 0);
    const auto compare = [&](int a, int b) {
        return distinct[size_t(a)]->compare(*distinct[size_t(b)], Qt::CaseInsensitive);
    };
    std::sort(byText.begin(), byText.end(), [&](int a, int b) { return compare(a, b) < 0; });
    std::vector<qint64> rankOf(distinct.size());
    qint64 rank = 0;
    for (size_t i = 0; i < byText.size(); ++i) {
        if (i > 0 && compare(byText[i - 1], byText[i]) != 0) ++rank;
        rankOf[size_t(byText[i])] = rank;
    }
    std::vector<qint64> keys(locks.size());
    for (size_t i = 0; i < locks.size(); ++i) keys[i] = rankOf[size_t(rowDistinct[i])];
    return keys;
}

std::vector<qint64> keysOf(const std::vector<TrackedLock>& locks, int column) {
    if (column != kRecord && column != kFirstSeen && column != kDuration)
        return textRanks(locks, column);
    std::vector<qint64> keys(locks.size());
    for (size_t i = 0; i < locks.size(); ++i) {
        const LockRow& row = locks[i].row;
        if (column == kRecord)
            keys[i] = row.recNo;
        else if (column == kFirstSeen)
            keys[i] = row.firstSeen.toMSecsSinceEpoch();
        else
            keys[i] = -row.firstSeen.toMSecsSinceEpoch();
    }
    return keys;
}

}  // namespace

std::vector<int> sortedRows(const TrackedSnapshot& snapshot, SortKey key) {
    std::vector<int> rows(snapshot.locks.size());
    std::iota(rows.begin(), rows.end(), 0);
    if (key.column < 0 || key.column >= kColumnCount) return rows;
    const std::vector<qint64> keys = keysOf(snapshot.locks, key.column);
    if (key.direction == Qt::AscendingOrder)
        std::stable_sort(rows.begin(), rows.end(),
                         [&](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });
    else
        std::stable_sort(rows.begin(), rows.end(),
                         [&](int a, int b) { return keys[size_t(b)] < keys[size_t(a)]; });
    return rows;
}

}  // namespace monitor
