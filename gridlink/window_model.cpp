// window_model.cpp: the grid's snapshot of the window's rows.
#include "gridlink/window_model.h"

namespace gridlink {

void WindowModel::setColumns(std::vector<Column> columns) {
    beginResetModel();
    columns_ = std::move(columns);
    rows_.clear();
    endResetModel();
}

void WindowModel::setRows(std::vector<QStringList> rows) {
    const int before = rowCount(), after = static_cast<int>(rows.size());
    if (after < before) {
        beginRemoveRows(QModelIndex(), after, before - 1);
        rows_.resize(rows.size());
        endRemoveRows();
    }
    const int kept = std::min(before, after);
    std::move(rows.begin(), rows.begin() + kept, rows_.begin());
    if (after > before) {
        beginInsertRows(QModelIndex(), before, after - 1);
        rows_.insert(rows_.end(), std::make_move_iterator(rows.begin() + kept),
                     std::make_move_iterator(rows.end()));
        endInsertRows();
    }
    if (kept > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(kept - 1, columnCount() - 1));
}

int WindowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int WindowModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant WindowModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const auto column = static_cast<size_t>(index.column());
    if (role == Qt::DisplayRole) {
        const QStringList& row = rows_[static_cast<size_t>(index.row())];
        return index.column() < row.size() ? QVariant(row.at(index.column())) : QVariant();
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(
            Qt::AlignVCenter | (columns_[column].rightAligned ? Qt::AlignRight : Qt::AlignLeft));
    return {};
}

QVariant WindowModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columnCount())
        return columns_[static_cast<size_t>(section)].title;
    return QAbstractTableModel::headerData(section, orientation, role);
}

}  // namespace gridlink
