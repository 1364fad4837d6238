// data_source.h: data sources and data links, through which a grid follows a dataset.
#ifndef BREVANTIS_DB_DATA_SOURCE_H
#define BREVANTIS_DB_DATA_SOURCE_H

#include <QObject>
#include <vector>

#include "db/dataset.h"

class TDataLink;

// Connects data links (grids, controls) to one dataset and passes its events on.
class TDataSource : public QObject {
  public:
    explicit TDataSource(QObject* owner) : QObject(owner) {}
    ~TDataSource() override;

    TDataSet* DataSet() const { return dataSet_; }
    // Moves the source (and its links) to `dataSet`, which may be null.
    void SetDataSet(TDataSet* dataSet);
    TDataSetState State() const { return dataSet_ ? dataSet_->State() : TDataSetState::dsInactive; }

  private:
    friend class TDataSet;
    friend class TDataLink;
    void dataEvent(TDataEvent event, qintptr info);
    int maxBufferCount() const;

    TDataSet* dataSet_ = nullptr;
    std::vector<TDataLink*> links_;
};

// What a control overrides to follow a dataset. The notifications arrive after the change.
class TDataLink {
  public:
    TDataLink() = default;
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return dataSource_; }
    void SetDataSource(TDataSource* source);
    TDataSet* DataSet() const { return dataSource_ ? dataSource_->DataSet() : nullptr; }
    // Whether the linked dataset is open.
    bool Active() const { return active_; }

    // How many rows the control shows at once; the dataset keeps at least that many buffered.
    int BufferCount() const { return bufferCount_; }
    void SetBufferCount(int count);
    // The row (0 .. RecordCount()-1 of the window) whose values fields read; setting it is for
    // painting rows other than the current one, and must be restored afterwards.
    int ActiveRecord() const;
    void SetActiveRecord(int index);
    // Rows in the window; after a resync only the active one until the dataset's FillWindow.
    int RecordCount() const;

  protected:
    virtual void ActiveChanged() {}         // opened or closed
    virtual void DataSetChanged() {}        // the window was re-read or resized
    virtual void LayoutChanged() {}         // the fields or what a grid shows of them changed
    virtual void DataSetScrolled(int) {}    // the current row moved by that many rows
    virtual void RecordChanged(TField*) {}  // a value of the current row changed
    virtual void EditingChanged() {}        // edit or insert started or ended
    virtual void UpdateData() {}            // before a post: push pending control values
    virtual void CheckBrowseMode() {}       // before a move

  private:
    friend class TDataSource;
    void dataEvent(TDataEvent event, qintptr info);

    TDataSource* dataSource_ = nullptr;
    int bufferCount_ = 1;
    bool active_ = false;
    bool editing_ = false;
};

#endif  // BREVANTIS_DB_DATA_SOURCE_H
