// lock_filter_proxy.cpp: LockFilterProxy.
#include "monitor/window/lock_filter_proxy.h"

#include "monitor/window/lock_table_model.h"

namespace monitor {

LockFilterProxy::LockFilterProxy(LockTableModel* source, QObject* parent)
    : QSortFilterProxyModel(parent), source_(source) {
    setSourceModel(source);
}

void LockFilterProxy::setFilterText(const QString& text) {
    text_ = text.trimmed();
    invalidateRowsFilter();
}

void LockFilterProxy::sort(int column, Qt::SortOrder order) {
    source_->sort(column, order);
}

bool LockFilterProxy::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    if (text_.isEmpty()) return true;
    const LockRow& row = source_->lockAt(sourceRow).row;
    for (const QString* field : {&row.userName, &row.osLogin, &row.application, &row.table})
        if (field->contains(text_, Qt::CaseInsensitive)) return true;
    return false;
}

}  // namespace monitor
