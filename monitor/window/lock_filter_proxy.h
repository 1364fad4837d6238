// lock_filter_proxy.h: the filter box's match over the lock table.
#ifndef BREVANTIS_MONITOR_WINDOW_LOCK_FILTER_PROXY_H
#define BREVANTIS_MONITOR_WINDOW_LOCK_FILTER_PROXY_H

#include <QSortFilterProxyModel>

namespace monitor {

class LockTableModel;

// Keeps the rows whose user, OS login, application or table contains the filter text,
// without regard to letter case. Sorting is the lock table's own (it sorts off the event
// loop at each refresh): a sort asked of this proxy is passed to it, and the proxy keeps its
// rows' order.
class LockFilterProxy : public QSortFilterProxyModel {
  public:
    explicit LockFilterProxy(LockTableModel* source, QObject* parent = nullptr);
    void setFilterText(const QString& text);
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

  private:
    LockTableModel* source_;
    QString text_;
};

}  // namespace monitor

#endif  // BREVANTIS_MONITOR_WINDOW_LOCK_FILTER_PROXY_H
