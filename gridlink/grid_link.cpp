// grid_link.cpp: the data link between a dataset and a grid: its events, the coalesced
// refresh of the grid, the user's moves and the scroll bar.
#include "gridlink/grid_link.h"

#include <QPointer>
#include <algorithm>
#include <climits>

#include "gridlink/window_model.h"
#include "rtl/exception.h"
#include "ui/messages.h"

namespace gridlink {
namespace {

constexpr int kDefaultWidthChars = 10;  // a column whose field is missing

// What identifies the current record: "r" and its bookmark, "n" for a record being
// inserted, empty for none.
QByteArray identityOf(const TDataSet& ds) {
    if (ds.WindowRecordCount() == 0) return QByteArray();
    QByteArray bookmark = ds.Bookmark();
    if (!bookmark.isEmpty()) return 'r' + bookmark;
    return ds.State() == TDataSetState::dsInsert ? QByteArray("n") : QByteArray();
}

// The page that makes the thumb of a bar over rows 0..count-1 (the current row's place) as
// long, in its track, as the `shown` rows are among `count`.
int thumbPage(int count, int shown) {
    if (shown >= count) return count;
    const qint64 page = (qint64{shown} * (count - 1) + (count - shown) / 2) / (count - shown);
    return static_cast<int>(std::clamp<qint64>(page, 1, INT_MAX / 2));
}

}  // namespace

// Hands the dataset's events to the GridLink.
class GridLink::Link : public TDataLink {
  public:
    explicit Link(GridLink& owner) : owner_(owner) {}

  protected:
    void ActiveChanged() override { owner_.opened(Active()); }
    void DataSetChanged() override { owner_.windowChanged(); }
    void DataSetScrolled(int moved) override { owner_.scrolled(moved); }
    void RecordChanged(TField*) override { owner_.schedule(); }
    void EditingChanged() override { owner_.editingChanged(); }
    void LayoutChanged() override { owner_.layoutChanged(); }

  private:
    GridLink& owner_;
};

GridLink::GridLink(ui::DataGrid* grid, TDataSource* source)
    : QObject(grid),
      grid_(grid),
      model_(new WindowModel(this)),
      link_(std::make_unique<Link>(*this)) {
    grid_->setModel(model_);
    // Weak: the grid may outlive the link.
    grid_->setCellColorHook(
        [self = QPointer<GridLink>(this)](int row, int column, ui::CellStyle& style) {
            if (self) self->paintCell(row, column, style);
        });
    connect(grid_, &ui::DataGrid::moveRequested, this, &GridLink::userMove);
    connect(grid_, &ui::DataGrid::visibleRowCountChanged, this, &GridLink::visibleRowsChanged);
    link_->SetBufferCount(grid_->visibleRowCount());
    link_->SetDataSource(source);
    schedule();
}

GridLink::~GridLink() = default;

TDataSet* GridLink::openDataSet() const {
    TDataSet* ds = link_->DataSet();
    return ds && ds->Active() ? ds : nullptr;
}

void GridLink::setColumns(std::vector<Column> columns) {
    configured_ = std::move(columns);
    configuredSet_ = true;
    layoutChanged();
}

void GridLink::opened(bool active) {
    layoutDirty_ = true;
    count_ = -1;
    // Opening stands on the first row.
    place_ = active ? Place::Known : Place::Unknown;
    position_ = 0;
    if (active) {
        checkRow();
    } else {
        identity_.clear();
    }
    schedule();
}

void GridLink::windowChanged() {
    if (!resizing_) {
        // First (and a result found empty) stands on the first row; a resync anywhere.
        TDataSet* ds = openDataSet();
        place_ = ds && ds->Bof() ? Place::Known : Place::Unknown;
        position_ = 0;
    }
    checkRow();
    schedule();
}

void GridLink::editingChanged() {
    // Only an insert or its end changes how many rows there are.
    count_ = -1;
    schedule();
}

void GridLink::scrolled(int moved) {
    TDataSet* ds = openDataSet();
    if (ds && ds->Bof()) {
        place_ = Place::Known;
        position_ = 0;
    } else if (ds && ds->Eof()) {
        place_ = count_ > 0 ? Place::Known : Place::AtEnd;
        position_ = count_ - 1;
    } else if (place_ == Place::Known) {
        position_ += moved;
    } else {
        place_ = Place::Unknown;
    }
    checkRow();
    schedule();
}

void GridLink::layoutChanged() {
    layoutDirty_ = true;
    schedule();
}

void GridLink::visibleRowsChanged(int rows) {
    resizing_ = true;
    link_->SetBufferCount(rows);
    resizing_ = false;
    schedule();
}

void GridLink::checkRow() {
    if (userMoves_ > 0) return;
    TDataSet* ds = openDataSet();
    QByteArray now = ds ? identityOf(*ds) : QByteArray();
    if (now == identity_) return;
    identity_ = now;
    if (!now.isEmpty()) emit rowChanged();
}

void GridLink::schedule() {
    stale_ = true;
    if (posted_) return;
    posted_ = true;
    QMetaObject::invokeMethod(this, &GridLink::refreshIfStale, Qt::QueuedConnection);
}

void GridLink::refreshIfStale() {
    posted_ = false;
    if (stale_) refresh();
}

void GridLink::refresh() {
    stale_ = false;
    if (layoutDirty_) resolveColumns();
    TDataSet* ds = openDataSet();
    model_->setRows(ds ? readWindow() : std::vector<QStringList>());
    grid_->setCurrentRow(ds && model_->rowCount() > 0 ? link_->ActiveRecord() : -1);
    showScrollPosition();
    grid_->viewport()->update();
}

void GridLink::resolveColumns() {
    layoutDirty_ = false;
    TDataSet* ds = openDataSet();
    std::vector<WindowModel::Column> shown;
    std::vector<int> widths;
    fields_.clear();
    auto add = [&](TField* field, const QString& title, int width) {
        fields_.push_back(field);
        shown.push_back({title, field && field->RightAligned()});
        widths.push_back(width);
    };
    if (configuredSet_) {
        for (const Column& c : configured_) {
            TField* f = ds ? ds->FindField(c.fieldName) : nullptr;
            add(f,
                !c.title.isEmpty() ? c.title
                : f                ? f->DisplayLabel()
                                   : c.fieldName,
                c.widthChars > 0 ? c.widthChars
                : f              ? f->DisplayWidth()
                                 : kDefaultWidthChars);
        }
    } else if (ds) {
        for (int i = 0; i < ds->FieldCount(); ++i)
            if (TField* f = ds->Fields(i); f->Visible())
                add(f, f->DisplayLabel(), f->DisplayWidth());
    }
    model_->setColumns(std::move(shown));
    for (size_t i = 0; i < widths.size(); ++i)
        grid_->setColumnWidthInChars(static_cast<int>(i), widths[i]);
}

std::vector<QStringList> GridLink::readWindow() {
    TDataSet* ds = link_->DataSet();
    std::vector<QStringList> rows;
    try {
        ds->FillWindow();
    } catch (const rtl::Exception&) {
        // The rows held are shown; the user's next move reports what failed.
    }
    const int active = link_->ActiveRecord();
    const int count = link_->RecordCount();
    try {
        for (int r = 0; r < count; ++r) {
            link_->SetActiveRecord(r);
            QStringList texts;
            for (TField* f : fields_) texts << (f ? f->DisplayText() : QString());
            rows.push_back(std::move(texts));
        }
    } catch (const rtl::Exception&) {
    }
    link_->SetActiveRecord(active);
    return rows;
}

void GridLink::showScrollPosition() {
    scrollKnown_ = false;
    TDataSet* ds = openDataSet();
    const int rows = link_->RecordCount();
    if (!ds || rows == 0) return grid_->setScrollPosition(0, 0);
    if (rows < link_->BufferCount() && ds->State() != TDataSetState::dsInsert) {
        // The whole result is on screen.
        place_ = Place::Known;
        position_ = link_->ActiveRecord();
        return grid_->setScrollPosition(0, 0);
    }
    if (place_ != Place::Unknown && count_ < 0) {
        try {
            count_ = ds->RecordCount();
        } catch (const rtl::Exception&) {
            count_ = -1;
        }
    }
    if (place_ == Place::AtEnd && count_ > 0) {
        place_ = Place::Known;
        position_ = count_ - 1;
    }
    if (place_ == Place::Known && count_ > 0) {
        scrollKnown_ = true;
        const int maximum = std::max(count_ - 1, position_);
        return grid_->setScrollPosition(position_, maximum,
                                        thumbPage(maximum + 1, link_->BufferCount()));
    }
    grid_->setScrollPosition(ds->Bof() ? 0 : ds->Eof() ? 2 : 1, 2);
}

void GridLink::userMove(ui::DataGrid::Move move, int amount) {
    TDataSet* ds = openDataSet();
    if (!ds) return;
    ++userMoves_;
    ui::guarded([&] {
        switch (move) {
            case ui::DataGrid::Move::By:
                ds->MoveBy(amount);
                break;
            case ui::DataGrid::Move::First:
                ds->First();
                break;
            case ui::DataGrid::Move::Last:
                ds->MoveBy(INT_MAX);
                break;
            case ui::DataGrid::Move::ToPosition:
                moveToPosition(amount);
                break;
        }
    });
    --userMoves_;
    checkRow();
    refresh();
}

void GridLink::moveToPosition(int position) {
    TDataSet* ds = link_->DataSet();
    if (!scrollKnown_) {
        // Three places: the first row, the last, or no move.
        if (position == 0) ds->First();
        if (position == 2) ds->MoveBy(INT_MAX);
        return;
    }
    if (position == position_) return;
    if (position < std::abs(position - position_)) {
        ds->First();
        ds->MoveBy(position);
    } else {
        ds->MoveBy(position - position_);
    }
}

void GridLink::paintCell(int row, int column, ui::CellStyle& style) {
    // Out of date, the window's rows may no longer be the grid's: the refresh repaints.
    if (!hook_ || stale_ || !openDataSet() || row >= link_->RecordCount() ||
        column >= static_cast<int>(fields_.size()))
        return;
    const int active = link_->ActiveRecord();
    link_->SetActiveRecord(row);
    try {
        hook_(fields_[static_cast<size_t>(column)], style);
    } catch (const rtl::Exception&) {
    } catch (const std::exception&) {
    }
    link_->SetActiveRecord(active);
}

}  // namespace gridlink
