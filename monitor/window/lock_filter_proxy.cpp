// lock_filter_proxy.cpp: LockFilterProxy.
#include "monitor/window/lock_filter_proxy.h"

#include "monitor/lock_text.h"
#include "monitor/window/lock_table_model.h"

namespace monitor {
namespace {

// The text a text column shows, or null for the other columns.
const QString* textOf(const LockRow& row, int column) {
    switch (column) {
        case kDictionnaire:
            return &row.dictionary;
        case kTable:
            return &row.table;
        case kRowId:
            return &row.rowId;
        case kUtilisateur:
            return &row.userName;
        case kLoginOs:
            return &row.osLogin;
        case kApplication:
            return &row.application;
        case kTypeLock:
            return &row.lockType;
        default:
            return nullptr;
    }
}

}  // namespace

LockFilterProxy::LockFilterProxy(LockTableModel* source, QObject* parent)
    : QSortFilterProxyModel(parent), source_(source) {
    setSourceModel(source);
}

void LockFilterProxy::setFilterText(const QString& text) {
    text_ = text.trimmed();
    invalidateRowsFilter();
}

bool LockFilterProxy::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    if (text_.isEmpty()) return true;
    const LockRow& row = source_->lockAt(sourceRow).row;
    for (const QString* field : {&row.userName, &row.osLogin, &row.application, &row.table})
        if (field->contains(text_, Qt::CaseInsensitive)) return true;
    return false;
}

}  // namespace monitor

namespace monitor {

bool LockFilterProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const LockRow& a = source_->lockAt(left.row()).row;
    const LockRow& b = source_->lockAt(right.row()).row;
    switch (left.column()) {
        case kEnregistrement:
            return a.recNo < b.recNo;
        case kVuDepuis:
            return a.firstSeen < b.firstSeen;
        case kDuree:
            return b.firstSeen < a.firstSeen;  // seen earlier: held longer
        default:
            break;
    }
    const QString* x = textOf(a, left.column());
    const QString* y = textOf(b, left.column());
    if (!x || !y || x->constData() == y->constData()) return false;  // shared text: equal
    return x->compare(*y, Qt::CaseInsensitive) < 0;
}

}  // namespace monitor
