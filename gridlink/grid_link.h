// grid_link.h: shows the dataset of a data source in a grid, as a data link of the dataset
// framework.
//
// The grid holds only the rows of the dataset's record window, which the link sizes to the
// rows the grid can show; the dataset's current row is the grid's current row. Painting
// reads the window's buffers and never moves the cursor. Every dataset event only marks the
// grid out of date: the rows are taken again, and the record count the scroll bar may need is
// asked, once, when the event loop next runs. A move the user makes in the grid is made on
// the dataset (MoveBy, First), and shown at once.
//
// The vertical scroll bar: while the link knows the current row's place (from the open or
// First and the moves since, or from reaching either end) its thumb is that place among the
// record count; otherwise (after Locate, Append, Post, an order change) it has three places,
// at the first row, in between, at the end. Without more rows than the grid shows, no bar.
#ifndef BREVANTIS_GRIDLINK_GRID_LINK_H
#define BREVANTIS_GRIDLINK_GRID_LINK_H

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

#include "db/data_source.h"
#include "ui/data_grid.h"

namespace gridlink {

class WindowModel;

struct Column {
    QString fieldName;
    int widthChars = 0;  // 0: the field's DisplayWidth
    QString title;       // empty: the field's DisplayLabel
};

class GridLink : public QObject {
    Q_OBJECT
  public:
    // Shows the dataset of `source` in `grid`; child of `grid`. One link per grid and per
    // data source.
    GridLink(ui::DataGrid* grid, TDataSource* source);
    ~GridLink() override;

    // Columns in this order, shown even while the dataset is closed. Without a call: one
    // column per visible field of the open dataset, in field order, titled by DisplayLabel,
    // DisplayWidth characters wide (a query without declared fields: every column that comes
    // back, titled by its name); both follow later changes of the fields.
    void setColumns(std::vector<Column> columns);

    // Called for every cell painted, with the dataset's fields reading the painted row (the
    // current row is restored afterwards); `field` is null for a column whose field the
    // dataset lacks. May change the cell's font and colours. An error it raises leaves the
    // cell as it was.
    using CalcCellColors = std::function<void(TField* field, ui::CellStyle& style)>;
    void setCalcCellColors(CalcCellColors hook) { hook_ = std::move(hook); }

  signals:
    // The dataset's current record became another record: moved by the user in the grid
    // (click, arrows, page keys, wheel, scroll bar) or by the program (open, First, Locate,
    // Append, Post ...). Raised synchronously, after the move (once for a move of the user);
    // not raised when the dataset closes or is left without a record.
    void rowChanged();

  private:
    class Link;
    // What the link knows of the current row's place in the result.
    enum class Place { Unknown, Known, AtEnd };

    TDataSet* openDataSet() const;
    void opened(bool active);
    void windowChanged();
    void editingChanged();
    void scrolled(int moved);
    void layoutChanged();
    void visibleRowsChanged(int rows);
    // Raises rowChanged when the current record is another than last time.
    void checkRow();
    // Marks the grid out of date and asks the event loop for one refresh.
    void schedule();
    void refreshIfStale();
    void refresh();
    void resolveColumns();
    std::vector<QStringList> readWindow();
    void showScrollPosition();
    void userMove(ui::DataGrid::Move move, int amount);
    void moveToPosition(int position);
    void paintCell(int row, int column, ui::CellStyle& style);

    ui::DataGrid* grid_;
    WindowModel* model_;
    std::vector<Column> configured_;
    bool configuredSet_ = false;
    std::vector<TField*> fields_;  // of the columns shown, null when missing
    CalcCellColors hook_;
    QByteArray identity_;  // of the current record; empty: none
    Place place_ = Place::Unknown;
    int position_ = 0;          // when Known: rows before the current one
    int count_ = -1;            // the record count, -1 when not known
    bool scrollKnown_ = false;  // the bar shows position_ among count_
    bool stale_ = false;        // the dataset changed since the grid was refreshed
    bool posted_ = false;       // a refreshIfStale call waits in the event queue
    bool layoutDirty_ = true;
    bool resizing_ = false;  // the link itself changes the window's size
    int userMoves_ = 0;      // inside a move of the user: rowChanged waits
    std::unique_ptr<Link> link_;
};

}  // namespace gridlink

#endif  // BREVANTIS_GRIDLINK_GRID_LINK_H
