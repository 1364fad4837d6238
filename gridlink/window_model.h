// window_model.h: the rows a grid shows, as texts taken from a dataset's record window.
#ifndef BREVANTIS_GRIDLINK_WINDOW_MODEL_H
#define BREVANTIS_GRIDLINK_WINDOW_MODEL_H

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

namespace gridlink {

// Read-only; changes only through setColumns and setRows, so that what a view reads
// between two changes stays the same whatever the dataset does meanwhile.
class WindowModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    struct Column {
        QString title;
        bool rightAligned = false;
    };

    explicit WindowModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Replaces the columns, and with them the rows (none until the next setRows).
    void setColumns(std::vector<Column> columns);
    // Replaces the rows, one text per column each: rows kept are told changed, the others
    // inserted or removed.
    void setRows(std::vector<QStringList> rows);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    std::vector<Column> columns_;
    std::vector<QStringList> rows_;
};

}  // namespace gridlink

#endif  // BREVANTIS_GRIDLINK_WINDOW_MODEL_H
