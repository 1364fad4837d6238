// data_source.cpp: passing a dataset's events to the controls that show it.
#include "db/data_source.h"

#include <algorithm>

TDataSource::~TDataSource() {
    SetDataSet(nullptr);
    for (TDataLink* l : links_) l->dataSource_ = nullptr;
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
    if (dataSet == dataSet_) return;
    if (dataSet_) {
        auto& v = dataSet_->dataSources_;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
        dataSet_->UpdateBufferCount();
    }
    dataSet_ = dataSet;
    if (dataSet_) {
        dataSet_->dataSources_.push_back(this);
        dataSet_->UpdateBufferCount();
    }
    dataEvent(TDataEvent::deUpdateState, 0);
}

int TDataSource::maxBufferCount() const {
    int n = 1;
    for (const TDataLink* l : links_) n = std::max(n, l->bufferCount_);
    return n;
}

void TDataSource::dataEvent(TDataEvent event, qintptr info) {
    for (TDataLink* l : std::vector<TDataLink*>(links_)) l->dataEvent(event, info);
}

TDataLink::~TDataLink() {
    SetDataSource(nullptr);
}

void TDataLink::SetDataSource(TDataSource* source) {
    if (source == dataSource_) return;
    if (dataSource_) {
        auto& v = dataSource_->links_;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
        if (dataSource_->dataSet_) dataSource_->dataSet_->UpdateBufferCount();
    }
    dataSource_ = source;
    if (dataSource_) {
        dataSource_->links_.push_back(this);
        if (dataSource_->dataSet_) dataSource_->dataSet_->UpdateBufferCount();
    }
    dataEvent(TDataEvent::deUpdateState, 0);
}

void TDataLink::SetBufferCount(int count) {
    bufferCount_ = std::max(1, count);
    if (TDataSet* ds = DataSet()) ds->UpdateBufferCount();
}

int TDataLink::ActiveRecord() const {
    TDataSet* ds = DataSet();
    return ds ? ds->ActiveRecord() : 0;
}

void TDataLink::SetActiveRecord(int index) {
    if (TDataSet* ds = DataSet()) ds->SetActiveRecord(index);
}

int TDataLink::RecordCount() const {
    TDataSet* ds = DataSet();
    return ds && ds->Active() ? ds->WindowRecordCount() : 0;
}

void TDataLink::dataEvent(TDataEvent event, qintptr info) {
    if (event == TDataEvent::deUpdateState) {
        TDataSet* ds = DataSet();
        bool active = ds && ds->Active();
        if (active != active_) {
            active_ = active;
            ActiveChanged();
        }
        bool editing =
            ds && (ds->State() == TDataSetState::dsEdit || ds->State() == TDataSetState::dsInsert);
        if (editing != editing_) {
            editing_ = editing;
            EditingChanged();
        }
        return;
    }
    if (!active_) return;
    switch (event) {
        case TDataEvent::deFieldChange:
        case TDataEvent::deRecordChange:
            RecordChanged(reinterpret_cast<TField*>(info));
            break;
        case TDataEvent::deDataSetChange:
            DataSetChanged();
            break;
        case TDataEvent::deLayoutChange:
            LayoutChanged();
            break;
        case TDataEvent::deDataSetScroll:
            DataSetScrolled(static_cast<int>(info));
            break;
        case TDataEvent::deUpdateRecord:
            UpdateData();
            break;
        case TDataEvent::deCheckBrowseMode:
            CheckBrowseMode();
            break;
        case TDataEvent::deUpdateState:
            break;
    }
}
