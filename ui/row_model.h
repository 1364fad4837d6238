// row_model.h: a table model that reads its rows from a source in batches, as the grid
// scrolls, and never re-reads rows it already holds.
#ifndef BREVANTIS_UI_ROW_MODEL_H
#define BREVANTIS_UI_ROW_MODEL_H

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

namespace ui {

// What a grid needs of the rows it shows (a dataset, a query result, a test table): column
// titles and the rows read forward from the first, one text per column.
class RowSource {
  public:
    virtual ~RowSource() = default;
    virtual int columnCount() const = 0;
    virtual QString columnTitle(int column) const = 0;
    // Goes back before the first row; the next readRows starts there.
    virtual void restart() = 0;
    // Appends up to `max` rows that follow those already read to `rows`; returns false once
    // no row follows them.
    virtual bool readRows(int max, std::vector<QStringList>& rows) = 0;
};

// Rows are read `batchSize` at a time: the first batch when the view first asks, the next
// ones through canFetchMore()/fetchMore() as the view scrolls. Read-only.
class BatchedRowModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit BatchedRowModel(int batchSize = 64, QObject* parent = nullptr);

    // Shows `source` (not owned; null for none) from its first row; rows held are dropped.
    void setSource(RowSource* source);
    // Reads the same source again from its first row (its rows or order changed).
    void reload() { setSource(source_); }
    RowSource* source() const { return source_; }

    // The texts of row `row`. REQUIRES: 0 <= row < rowCount().
    const QStringList& rowValues(int row) const { return rows_.at(static_cast<size_t>(row)); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

  private:
    const int batchSize_;
    RowSource* source_ = nullptr;
    std::vector<QStringList> rows_;
    bool atEnd_ = true;
};

}  // namespace ui

#endif  // BREVANTIS_UI_ROW_MODEL_H
