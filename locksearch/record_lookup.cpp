// record_lookup.cpp: lookUpLockedRecord.
#include "locksearch/record_lookup.h"

#include "data/adstable.h"
#include "dictionary/sql_quoting.h"
#include "dictionary/template_lines.h"
#include "tools/codec.h"

namespace locksearch {

bool lookUpLockedRecord(TAdsQuery& query, const QString& tableName, int recNo) {
    using dictionary::RowIdLookupLine;
    query.Close();
    query.SQL().Set(RowIdLookupLine::kTableName, dictionary::sqlName(tableName));
    query.SQL().Set(RowIdLookupLine::kRowIdEnd,
                    QStringLiteral(" '") + Encode64(recNo) + QStringLiteral("' "));
    query.Open();
    if (query.RecordCount() > 0) return true;
    query.Close();
    return false;
}

}  // namespace locksearch
