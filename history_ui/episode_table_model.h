// The history view's table: one row per episode, the command line's columns.
#pragma once

#include "observation.h"

#include <QAbstractTableModel>
#include <vector>

namespace history {

class EpisodeTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using QAbstractTableModel::QAbstractTableModel;

  // Replaces the rows, in the given order (the query's: longest first).
  void setEpisodes(std::vector<Episode> episodes);
  // REQUIRES: 0 <= row < rowCount().
  const Episode& episodeAt(int row) const { return episodes_[static_cast<size_t>(row)]; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<Episode> episodes_;
  std::vector<QStringList> cells_;  // formatted once per load, not per paint
};

}  // namespace history
