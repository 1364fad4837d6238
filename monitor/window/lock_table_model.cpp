// lock_table_model.cpp: LockTableModel.
#include "monitor/window/lock_table_model.h"

#include "monitor/lock_text.h"

namespace monitor {

LockTableModel::LockTableModel(QObject* parent)
    : QAbstractTableModel(parent), snapshot_(std::make_shared<TrackedSnapshot>()) {}

void LockTableModel::setSnapshot(std::shared_ptr<const TrackedSnapshot> snapshot) {
    beginResetModel();
    snapshot_ = std::move(snapshot);
    endResetModel();
}

void LockTableModel::setThresholdSeconds(int seconds) {
    thresholdSeconds_ = seconds;
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1),
                         {Qt::ForegroundRole});
}

int LockTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(snapshot_->locks.size());
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
            if (index.column() == kEnregistrement)
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
