// lock_table_model.h: the latest snapshot of the lock monitor as a table model, in the order
// of the column the user sorts by, with the colours that tell new, released, unreadable and
// long-held locks apart.
#ifndef BREVANTIS_MONITOR_WINDOW_LOCK_TABLE_MODEL_H
#define BREVANTIS_MONITOR_WINDOW_LOCK_TABLE_MODEL_H

#include <QAbstractTableModel>
#include <QColor>
#include <memory>
#include <vector>

#include "monitor/lock_order.h"
#include "monitor/lock_row.h"

namespace monitor {

// The model sorts itself rather than leaving it to a proxy: a refresh brings its rows already
// in order (sorted on the refresh thread), so that 100,000 rows never sort on the event loop.
class LockTableModel : public QAbstractTableModel {
  public:
    static inline const QColor kNewBackground{198, 239, 206};
    static inline const QColor kOldForeground{Qt::red};
    static inline const QColor kGoneForeground{Qt::gray};

    explicit LockTableModel(QObject* parent = nullptr);

    // Shows `snapshot` (not null) in place of the previous one, in the order `rows` (indexes
    // of snapshot->locks) when it was sorted by sortKey(), else sorted here. Returns the
    // previous snapshot, for the caller to let go of where it costs nothing.
    std::shared_ptr<const TrackedSnapshot> setSnapshot(
        std::shared_ptr<const TrackedSnapshot> snapshot, const SortKey& sortedBy = {},
        std::vector<int> rows = {});
    const TrackedSnapshot* snapshot() const { return snapshot_.get(); }
    // The order the rows are shown in; the next snapshots are expected in it.
    const SortKey& sortKey() const { return sortKey_; }
    // Locks held longer than `seconds` read in red.
    void setThresholdSeconds(int seconds);
    int thresholdSeconds() const { return thresholdSeconds_; }

    // REQUIRES: 0 <= row < rowCount().
    const TrackedLock& lockAt(int row) const { return snapshot_->locks[size_t(rows_[size_t(row)])]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Reorders the rows shown; selections and other kept indexes follow their rows.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  private:
    std::shared_ptr<const TrackedSnapshot> snapshot_;
    std::vector<int> rows_;  // rows_[r]: the index in snapshot_->locks of the row shown at r
    SortKey sortKey_;
    int thresholdSeconds_ = 60;
};

}  // namespace monitor

#endif  // BREVANTIS_MONITOR_WINDOW_LOCK_TABLE_MODEL_H
