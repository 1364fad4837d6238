// field_type.h: the framework's field types, their names and their binding families.
#ifndef BREVANTIS_DB_FIELD_TYPE_H
#define BREVANTIS_DB_FIELD_TYPE_H

#include <QString>

enum class TFieldType {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary,
    ftCursor,
    ftFixedChar,
    ftWideString,
    ftLargeint,
    ftADT,
    ftArray,
    ftReference,
    ftDataSet,
    ftOraBlob,
    ftOraClob,
    ftVariant,
    ftInterface,
    ftIDispatch,
    ftGuid,
    ftTimeStamp,
    ftFMTBcd,
    ftFixedWideChar,
    ftWideMemo,
    ftShortint,
    ftByte
};

namespace db {

// The name shown in binding messages: "String", "SmallInt", "Integer", "Boolean", ...
QString fieldTypeName(TFieldType type);

// Whether a field of type `a` may be bound to a column of type `b` (same family: string
// kinds; integer kinds; Float and Currency; date and time kinds; blob kinds; wide strings;
// every other type alone).
bool sameFieldFamily(TFieldType a, TFieldType b);

// Whether a field of the type must have exactly its column's size.
bool fieldSizeMustMatch(TFieldType type);

// The decimal separator of the framework's number texts.
inline constexpr QChar kDecimalSeparator = u'.';

}  // namespace db

#endif  // BREVANTIS_DB_FIELD_TYPE_H
