// data_grid.h: a read-only grid over a window of rows of a longer list, with a per-cell
// colour hook.
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

// Titles are centred, bold, on one line, in the button-face colour; no row header; a
// horizontal scroll bar; nothing can be edited.
//
// The model set with setModel() holds only the rows on screen (at most visibleRowCount()):
// a window onto a longer list that the grid's owner moves through. The grid never moves its
// current row itself: the keys, a left click, the wheel and the vertical scroll bar ask the
// owner through moveRequested(), and the owner then sets the current row (setCurrentRow) and
// the scroll bar (setScrollPosition). A right click leaves the current row where it is.
class DataGrid : public QTableView {
    Q_OBJECT
  public:
    // What the user asks: By `amount` rows (negative: up), to the First or Last row, or
    // ToPosition `amount` of the scroll bar's range (the thumb dropped there).
    enum class Move { By, First, Last, ToPosition };
    Q_ENUM(Move)

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

    // The current row of the model, -1 when there is none.
    int currentRow() const;
    // Makes `row` of the model current (-1: none), keeping the current column.
    void setCurrentRow(int row);

    // Rows that fit whole in the cell area, at least 1.
    int visibleRowCount() const;
    // The vertical scroll bar: the thumb at `value` of 0..maximum, as long as `page` of the
    // range (1 when not given); a maximum of 0 hides it.
    void setScrollPosition(int value, int maximum, int page = 1);

  signals:
    void moveRequested(ui::DataGrid::Move move, int amount);
    // visibleRowCount() changed (the grid was resized).
    void visibleRowCountChanged(int rows);

  protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void keyboardSearch(const QString&) override {}
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override { mousePressEvent(event); }
    void mouseMoveEvent(QMouseEvent*) override {}
    void mouseReleaseEvent(QMouseEvent*) override {}
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

  private:
    void scrollBarAction(int action);
    void applyScrollPosition();

    CellColorHook hook_;
    int scrollValue_ = 0;
    int scrollMaximum_ = 0;
    int scrollPage_ = 1;
    int visibleRows_ = 0;  // as last told by visibleRowCountChanged
    int wheelDelta_ = 0;   // wheel turn not yet worth a notch
};

}  // namespace ui

#endif  // BREVANTIS_UI_DATA_GRID_H
