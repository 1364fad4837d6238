// lock_table_model.cpp: LockTableModel.
#include "monitor/window/lock_table_model.h"

#include "monitor/lock_text.h"

namespace monitor {

LockTableModel::LockTableModel(QObject* parent)
    : QAbstractTableModel(parent), snapshot_(std::make_shared<TrackedSnapshot>()) {}

std::shared_ptr<const TrackedSnapshot> LockTableModel::setSnapshot(
    std::shared_ptr<const TrackedSnapshot> snapshot, const SortKey& sortedBy,
    std::vector<int> rows) {
    // A click on a title while the refresh ran: this one snapshot sorts here.
    if (!(sortedBy == sortKey_) || rows.size() != snapshot->locks.size())
        rows = sortedRows(*snapshot, sortKey_);
    beginResetModel();
    std::swap(snapshot_, snapshot);
    rows_ = std::move(rows);
    endResetModel();
    return snapshot;
}

void LockTableModel::sort(int column, Qt::SortOrder order) {
    const SortKey key{column, order};
    if (key == sortKey_) return;
    sortKey_ = key;
    std::vector<int> rows = sortedRows(*snapshot_, sortKey_);
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> shownAt(rows.size());
    for (size_t r = 0; r < rows.size(); ++r) shownAt[size_t(rows[r])] = static_cast<int>(r);
    const QModelIndexList kept = persistentIndexList();
    QModelIndexList moved;
    moved.reserve(kept.size());
    for (const QModelIndex& index : kept)
        moved << this->index(shownAt[size_t(rows_[size_t(index.row())])], index.column());
    rows_ = std::move(rows);
    changePersistentIndexList(kept, moved);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void LockTableModel::setThresholdSeconds(int seconds) {
    thresholdSeconds_ = seconds;
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1),
                         {Qt::ForegroundRole});
}

int LockTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int LockTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant LockTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const TrackedLock& lock = lockAt(index.row());
    const QDateTime& at = snapshot_->at;
    switch (role) {
        case Qt::DisplayRole:
            return cellText(lock.row, index.column(), at);
        case Qt::BackgroundRole:
            if (lock.state == LockState::New) return kNewBackground;
            return {};
        case Qt::ForegroundRole:
            if (lock.state == LockState::Released || lock.state == LockState::Stale)
                return kGoneForeground;
            if (heldSeconds(lock.row, at) > thresholdSeconds_) return kOldForeground;
            return {};
        case Qt::TextAlignmentRole:
            if (index.column() == kRecord)
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            return {};
        default:
            return {};
    }
}

QVariant LockTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < kColumnCount)
        return columnTitles()[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

}  // namespace monitor
