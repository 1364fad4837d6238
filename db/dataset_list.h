// dataset_list.h: the process-wide list of every dataset, guarded by a lock.
#ifndef BREVANTIS_DB_DATASET_LIST_H
#define BREVANTIS_DB_DATASET_LIST_H

#include <mutex>
#include <vector>

class TDataSet;

namespace db {

// Datasets add themselves when created and remove themselves when destroyed, from any
// thread; the list is compacted under the lock.
class DataSetList {
  public:
    static DataSetList& instance();
    void add(TDataSet* dataSet);
    void remove(TDataSet* dataSet);
    // A copy of the list as it stands.
    std::vector<TDataSet*> snapshot() const;

  private:
    mutable std::mutex mutex_;
    std::vector<TDataSet*> items_;  // GUARDED_BY(mutex_)
};

}  // namespace db

#endif  // BREVANTIS_DB_DATASET_LIST_H
