// lock_table_model.h: the latest snapshot of the lock monitor as a table model, with the
// colours that tell new, released, unreadable and long-held locks apart.
#ifndef BREVANTIS_MONITOR_WINDOW_LOCK_TABLE_MODEL_H
#define BREVANTIS_MONITOR_WINDOW_LOCK_TABLE_MODEL_H

#include <QAbstractTableModel>
#include <QColor>
#include <memory>

#include "monitor/lock_row.h"

namespace monitor {

class LockTableModel : public QAbstractTableModel {
  public:
    static inline const QColor kNewBackground{198, 239, 206};
    static inline const QColor kOldForeground{Qt::red};
    static inline const QColor kGoneForeground{Qt::gray};

    explicit LockTableModel(QObject* parent = nullptr);

    // Shows `snapshot` (not null) in place of the previous one.
    void setSnapshot(std::shared_ptr<const TrackedSnapshot> snapshot);
    const TrackedSnapshot* snapshot() const { return snapshot_.get(); }
    // Locks held longer than `seconds` read in red.
    void setThresholdSeconds(int seconds);
    int thresholdSeconds() const { return thresholdSeconds_; }

    // REQUIRES: 0 <= row < rowCount().
    const TrackedLock& lockAt(int row) const { return snapshot_->locks[size_t(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::shared_ptr<const TrackedSnapshot> snapshot_;
    int thresholdSeconds_ = 60;
};

}  // namespace monitor

#endif  // BREVANTIS_MONITOR_WINDOW_LOCK_TABLE_MODEL_H
