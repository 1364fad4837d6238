// search.h: the locks of one named table, or of every table of the dictionary, collected into
// the result table.
#ifndef BREVANTIS_LOCKSEARCH_SEARCH_H
#define BREVANTIS_LOCKSEARCH_SEARCH_H

#include <QString>
#include <optional>

namespace locksearch {

struct Components;
struct ChosenDictionary;
class Progress;

// How a collection ended. When cancelled, the result holds the locks of the first
// `tablesReached` of `tableCount` tables (the last of them possibly in part).
struct SearchOutcome {
    bool cancelled = false;
    int tablesReached = 0;
    int tableCount = 0;
};

// Collects the locks of `onlyTable` when given (any text: it is not checked against the
// dictionary), else of every table of the dictionary, in the user's locale order, whose file
// exists now. Tells `progress` each table in turn (i of n, the tables without a file
// counted) and ends early when it throws Cancelled. REQUIRES: the result table re-created
// (recreateResultTable). Throws the data-access layer's errors; the rows found stay.
SearchOutcome collectLocks(const Components& c, const ChosenDictionary& d,
                           const std::optional<QString>& onlyTable, Progress& progress);

}  // namespace locksearch

#endif  // BREVANTIS_LOCKSEARCH_SEARCH_H
