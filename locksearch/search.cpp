// search.cpp: collectLocks.
#include "locksearch/search.h"

#include "data/adscnnct.h"
#include "dictionary/table_list.h"
#include "locksearch/collection.h"
#include "locksearch/components.h"
#include "locksearch/progress.h"
#include "rtl/string_list.h"

namespace locksearch {

SearchOutcome collectLocks(const Components& c, const ChosenDictionary& d,
                           const std::optional<QString>& onlyTable, Progress& progress) {
    SearchOutcome outcome;
    try {
        if (onlyTable) {
            outcome.tableCount = 1;
            progress.table(1, 1, *onlyTable);
            outcome.tablesReached = 1;
            TrouverLocksParTable(c, d, *onlyTable, &progress);
            return outcome;
        }
        rtl::StringList ListAllTablesAndViews;
        c.ManagementConn->GetTableNames(&ListAllTablesAndViews, d.DictionaryPath);
        ListAllTablesAndViews.sort();
        outcome.tableCount = ListAllTablesAndViews.count();
        for (int i = 0; i < outcome.tableCount; ++i) {
            const QString& name = ListAllTablesAndViews.at(i);
            progress.table(i + 1, outcome.tableCount, name);
            outcome.tablesReached = i + 1;
            if (dictionary::hasTableFile(d.TrimmedPath, name))
                TrouverLocksParTable(c, d, name, &progress);
        }
    } catch (const Cancelled&) {
        outcome.cancelled = true;
    }
    return outcome;
}

}  // namespace locksearch
