// lock_filter_proxy.h: the filter box's match over the lock table, and its sorting.
#ifndef BREVANTIS_MONITOR_WINDOW_LOCK_FILTER_PROXY_H
#define BREVANTIS_MONITOR_WINDOW_LOCK_FILTER_PROXY_H

#include <QSortFilterProxyModel>

namespace monitor {

class LockTableModel;

// Keeps the rows whose user, OS login, application or table contains the filter text,
// without regard to letter case. Sorts by the rows themselves rather than through QVariant,
// so that 100,000 rows sort within a refresh's budget: texts without regard to letter case,
// the record and the times as numbers.
class LockFilterProxy : public QSortFilterProxyModel {
  public:
    explicit LockFilterProxy(LockTableModel* source, QObject* parent = nullptr);
    void setFilterText(const QString& text);

  protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

  private:
    LockTableModel* source_;
    QString text_;
};

}  // namespace monitor

#endif  // BREVANTIS_MONITOR_WINDOW_LOCK_FILTER_PROXY_H
