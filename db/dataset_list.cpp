// dataset_list.cpp: the process-wide dataset list.
#include "db/dataset_list.h"

#include <algorithm>

namespace db {

DataSetList& DataSetList::instance() {
    static DataSetList list;
    return list;
}

void DataSetList::add(TDataSet* dataSet) {
    std::lock_guard<std::mutex> lock(mutex_);
    items_.push_back(dataSet);
}

void DataSetList::remove(TDataSet* dataSet) {
    std::lock_guard<std::mutex> lock(mutex_);
    items_.erase(std::remove(items_.begin(), items_.end(), dataSet), items_.end());
}

std::vector<TDataSet*> DataSetList::snapshot() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return items_;
}

}  // namespace db
