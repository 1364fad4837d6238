// coerce.h: turns an SQL value into the kind a column stores, refusing what does not fit.
#ifndef BREVANTIS_ENGINE_CORE_SQL_COERCE_H
#define BREVANTIS_ENGINE_CORE_SQL_COERCE_H

#include "engine/core/sql/catalog.h"
#include "engine/record/value.h"

namespace engine::sql {

// Converts `in` for storage in `column` (see Table::insertRow for the kinds). Text goes
// to date, time and timestamp columns through the date texts of the filter language.
// Answers AE_SQL_ERROR with kNativeTypeMismatch for a value of the wrong kind and
// kNativeValueTooLong for one that does not fit (text longer than the column, an
// integer out of range, a number with more digits than NUMERIC(n,d) holds).
Status coerceForColumn(const Value& in, const ColumnDef& column, Value* out);

}  // namespace engine::sql

#endif  // BREVANTIS_ENGINE_CORE_SQL_COERCE_H
