// record_lookup.h: the locked record itself, found by the last six characters of its ROWID.
#ifndef BREVANTIS_LOCKSEARCH_RECORD_LOOKUP_H
#define BREVANTIS_LOCKSEARCH_RECORD_LOOKUP_H

#include <QString>

class TAdsQuery;

namespace locksearch {

// Sets the table line and the code line of `query` (QChercherRecordParRowID's template) to
// `tableName`, delimited when it is no plain name, and to the quoted six-character form of
// `recNo`, then opens it. True when a record came back (the query stays open on it); false
// with the query closed otherwise. Throws the data-access layer's errors with the query
// closed.
bool lookUpLockedRecord(TAdsQuery& query, const QString& tableName, int recNo);

}  // namespace locksearch

#endif  // BREVANTIS_LOCKSEARCH_RECORD_LOOKUP_H
