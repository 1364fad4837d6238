// Presents the history's episodes to a QTableView.
#include "episode_table_model.h"

#include "history_output.h"

namespace history {

void EpisodeTableModel::setEpisodes(std::vector<Episode> episodes) {
  beginResetModel();
  episodes_ = std::move(episodes);
  cells_.clear();
  cells_.reserve(episodes_.size());
  for (const Episode& e : episodes_) cells_.push_back(episodeCells(e));
  endResetModel();
}

int EpisodeTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(episodes_.size());
}

int EpisodeTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(episodeTitles().size());
}

QVariant EpisodeTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) return {};
  return cells_[static_cast<size_t>(index.row())].value(index.column());
}

QVariant EpisodeTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return episodeTitles().value(section);
}

}  // namespace history
