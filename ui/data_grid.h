// data_grid.h: a read-only grid over any table model, with a per-cell colour hook and a
// current-row notification.
#ifndef BREVANTIS_UI_DATA_GRID_H
#define BREVANTIS_UI_DATA_GRID_H

#include <QColor>
#include <QFont>
#include <QTableView>
#include <functional>

namespace ui {

// The look of one cell, as the colour hook may change it before the cell is painted.
struct CellStyle {
    QFont font;
    QColor background;  // invalid: the grid's own background
    QColor foreground;  // invalid: the grid's own text colour
};

// Rows come from a QAbstractItemModel set with setModel(), typically a BatchedRowModel over a
// RowSource (row_model.h), which reads a dataset's rows in batches as the user scrolls. With
// no model the grid is empty. Titles are centred, bold, on one line, in the
// button-face colour; no row header; a horizontal scroll bar; nothing can be edited.
class DataGrid : public QTableView {
    Q_OBJECT
  public:
    // Called for every cell about to be painted; may change `style`.
    using CellColorHook = std::function<void(int row, int column, CellStyle& style)>;

    explicit DataGrid(QWidget* parent = nullptr);

    void setCellColorHook(CellColorHook hook) { hook_ = std::move(hook); }
    const CellColorHook& cellColorHook() const { return hook_; }

    // The background of the cell area (e.g. the window colour or a highlight).
    void setBackgroundColor(const QColor& color);
    QColor backgroundColor() const;

    // Sets column `column` to `chars` average characters of the grid's font.
    void setColumnWidthInChars(int column, int chars);

    // The current row, -1 when there is none.
    int currentRow() const;
    // Moves the current row to `row` (raising rowChanged() when it moves).
    void setCurrentRow(int row);

    void setModel(QAbstractItemModel* model) override;

  signals:
    // The current row moved to another row, by the user or the program; -1 when emptied.
    void rowChanged(int row);

  private:
    CellColorHook hook_;
};

}  // namespace ui

#endif  // BREVANTIS_UI_DATA_GRID_H
