// row_model.cpp: batched reading of a row source into a table model.
#include "ui/row_model.h"

namespace ui {

BatchedRowModel::BatchedRowModel(int batchSize, QObject* parent)
    : QAbstractTableModel(parent), batchSize_(std::max(batchSize, 1)) {}

void BatchedRowModel::setSource(RowSource* source) {
    beginResetModel();
    source_ = source;
    rows_.clear();
    atEnd_ = source_ == nullptr;
    if (source_ != nullptr) source_->restart();
    endResetModel();
}

int BatchedRowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int BatchedRowModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || source_ == nullptr ? 0 : source_->columnCount();
}

QVariant BatchedRowModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const QStringList& row = rowValues(index.row());
    return index.column() < row.size() ? QVariant(row.at(index.column())) : QVariant();
}

QVariant BatchedRowModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || source_ == nullptr)
        return QAbstractTableModel::headerData(section, orientation, role);
    return source_->columnTitle(section);
}

bool BatchedRowModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !atEnd_;
}

void BatchedRowModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    std::vector<QStringList> batch;
    atEnd_ = !source_->readRows(batchSize_, batch);
    if (batch.size() > static_cast<size_t>(batchSize_)) batch.resize(batchSize_);
    if (batch.empty()) return;
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(batch.size()) - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(batch.begin()),
                 std::make_move_iterator(batch.end()));
    endInsertRows();
}

}  // namespace ui
