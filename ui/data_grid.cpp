// data_grid.cpp: the read-only grid's look, its colour hook delegate and row notifications.
#include "ui/data_grid.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStyledItemDelegate>

namespace ui {
namespace {

// Paints each cell with the style the grid's hook chose for it.
class HookDelegate : public QStyledItemDelegate {
  public:
    explicit HookDelegate(DataGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!grid_->cellColorHook()) return;
        CellStyle style{option->font, QColor(), QColor()};
        grid_->cellColorHook()(index.row(), index.column(), style);
        option->font = style.font;
        if (style.background.isValid()) {
            option->backgroundBrush = style.background;
            // The hook's colours are the row marking; the view's own selection must not hide it.
            option->state &= ~QStyle::State_Selected;
        }
        if (style.foreground.isValid()) option->palette.setColor(QPalette::Text, style.foreground);
    }

  private:
    DataGrid* grid_;
};

}  // namespace

DataGrid::DataGrid(QWidget* parent) : QTableView(parent) {
    setItemDelegate(new HookDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);

    QHeaderView* titles = horizontalHeader();
    titles->setDefaultAlignment(Qt::AlignCenter);
    titles->setHighlightSections(false);
    titles->setStretchLastSection(false);
    QFont bold = titles->font();
    bold.setBold(true);
    titles->setFont(bold);
    QPalette p = titles->palette();
    p.setColor(QPalette::Window, p.color(QPalette::Button));
    titles->setPalette(p);
}

void DataGrid::setBackgroundColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    setPalette(p);
}

QColor DataGrid::backgroundColor() const {
    return palette().color(QPalette::Base);
}

void DataGrid::setColumnWidthInChars(int column, int chars) {
    setColumnWidth(column, chars * fontMetrics().averageCharWidth() + 6);
}

int DataGrid::currentRow() const {
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

void DataGrid::setCurrentRow(int row) {
    if (model() == nullptr) return;
    const int column = std::max(currentIndex().column(), 0);
    setCurrentIndex(model()->index(row, column));
}

void DataGrid::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    if (selectionModel() == nullptr) return;
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) {
                emit rowChanged(current.isValid() ? current.row() : -1);
            });
}

}  // namespace ui
