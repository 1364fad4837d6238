// data_grid.cpp: the read-only grid's look, its colour hook delegate, and the user's moves
// turned into requests to the grid's owner.
#include "ui/data_grid.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QWheelEvent>

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
            // The hook's colours are the row marking; the view's own selection, and the tint the
            // style gives the focused cell, must not hide them.
            option->state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        }
        if (style.foreground.isValid()) option->palette.setColor(QPalette::Text, style.foreground);
    }

  private:
    DataGrid* grid_;
};

constexpr int kWheelNotch = 120;  // angle delta of one notch, in eighths of a degree

}  // namespace

DataGrid::DataGrid(QWidget* parent) : QTableView(parent) {
    setItemDelegate(new HookDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
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

    // The vertical bar stands for the owner's list: its value changes only through
    // setScrollPosition, and a dragged thumb counts once it is dropped.
    QScrollBar* bar = verticalScrollBar();
    bar->setTracking(false);
    bar->installEventFilter(this);
    connect(bar, &QAbstractSlider::actionTriggered, this, &DataGrid::scrollBarAction);
    connect(bar, &QAbstractSlider::sliderReleased, this, [this] {
        emit moveRequested(Move::ToPosition, verticalScrollBar()->sliderPosition());
        verticalScrollBar()->setSliderPosition(scrollValue_);
    });
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

int DataGrid::visibleRowCount() const {
    return std::max(1, viewport()->height() / std::max(1, verticalHeader()->defaultSectionSize()));
}

void DataGrid::setScrollPosition(int value, int maximum, int page) {
    scrollMaximum_ = std::max(0, maximum);
    scrollValue_ = std::clamp(value, 0, scrollMaximum_);
    scrollPage_ = std::max(1, page);
    applyScrollPosition();
}

void DataGrid::applyScrollPosition() {
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, scrollMaximum_);
    bar->setPageStep(scrollPage_);
    bar->setValue(scrollValue_);
    bar->setSliderPosition(scrollValue_);
}

void DataGrid::scrollBarAction(int action) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            emit moveRequested(Move::By, 1);
            break;
        case QAbstractSlider::SliderSingleStepSub:
            emit moveRequested(Move::By, -1);
            break;
        case QAbstractSlider::SliderPageStepAdd:
            emit moveRequested(Move::By, visibleRowCount());
            break;
        case QAbstractSlider::SliderPageStepSub:
            emit moveRequested(Move::By, -visibleRowCount());
            break;
        case QAbstractSlider::SliderToMinimum:
            emit moveRequested(Move::First, 0);
            break;
        case QAbstractSlider::SliderToMaximum:
            emit moveRequested(Move::Last, 0);
            break;
        default:
            return;  // a drag counts when the thumb is dropped
    }
    // The bar shows where the owner went, not where the action alone would put it.
    verticalScrollBar()->setSliderPosition(scrollValue_);
}

QModelIndex DataGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const bool control = modifiers & Qt::ControlModifier;
    switch (action) {
        case MoveUp:
            emit moveRequested(Move::By, -1);
            break;
        case MoveDown:
            emit moveRequested(Move::By, 1);
            break;
        case MovePageUp:
            emit moveRequested(Move::By, -visibleRowCount());
            break;
        case MovePageDown:
            emit moveRequested(Move::By, visibleRowCount());
            break;
        case MoveHome:
            if (!control) return QTableView::moveCursor(action, modifiers);
            emit moveRequested(Move::First, 0);
            break;
        case MoveEnd:
            if (!control) return QTableView::moveCursor(action, modifiers);
            emit moveRequested(Move::Last, 0);
            break;
        default:
            return QTableView::moveCursor(action, modifiers);  // along the row
    }
    return currentIndex();
}

void DataGrid::mousePressEvent(QMouseEvent* event) {
    if (focusPolicy() & Qt::ClickFocus) setFocus(Qt::MouseFocusReason);
    event->accept();
    const QModelIndex at = indexAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !at.isValid()) return;
    if (currentRow() >= 0 && at.row() != currentRow())
        emit moveRequested(Move::By, at.row() - currentRow());
    if (currentRow() >= 0) setCurrentIndex(model()->index(currentRow(), at.column()));
}

void DataGrid::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta == 0) return QTableView::wheelEvent(event);  // sideways
    event->accept();
    wheelDelta_ += delta;
    const int notches = wheelDelta_ / kWheelNotch;
    wheelDelta_ -= notches * kWheelNotch;
    if (notches != 0) emit moveRequested(Move::By, -notches * QApplication::wheelScrollLines());
}

bool DataGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == verticalScrollBar() && event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void DataGrid::updateGeometries() {
    {
        // The view would size the bar for the model's rows alone.
        const QSignalBlocker block(verticalScrollBar());
        QTableView::updateGeometries();
    }
    applyScrollPosition();
    const int rows = visibleRowCount();
    if (rows != visibleRows_) {
        visibleRows_ = rows;
        emit visibleRowCountChanged(rows);
    }
}

void DataGrid::scrollContentsBy(int dx, int) {
    // Every row of the model is on screen: the cells never move up or down.
    QTableView::scrollContentsBy(dx, 0);
}

void DataGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
    {
        const QSignalBlocker block(verticalScrollBar());
        QTableView::scrollTo(index, hint);
    }
    applyScrollPosition();
}

}  // namespace ui
