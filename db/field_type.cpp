// field_type.cpp: field type names and families.
#include "db/field_type.h"

#include <array>

namespace db {
namespace {

using T = TFieldType;

// Family numbers; 0 means "alone".
int family(T t) {
    switch (t) {
        case T::ftString:
        case T::ftFixedChar:
        case T::ftGuid:
            return 1;
        case T::ftSmallint:
        case T::ftInteger:
        case T::ftWord:
        case T::ftAutoInc:
        case T::ftShortint:
        case T::ftByte:
            return 2;
        case T::ftFloat:
        case T::ftCurrency:
            return 3;
        case T::ftDate:
        case T::ftTime:
        case T::ftDateTime:
            return 4;
        case T::ftBlob:
        case T::ftMemo:
        case T::ftGraphic:
        case T::ftFmtMemo:
        case T::ftParadoxOle:
        case T::ftDBaseOle:
        case T::ftTypedBinary:
        case T::ftOraBlob:
        case T::ftOraClob:
        case T::ftWideMemo:
            return 5;
        case T::ftWideString:
        case T::ftFixedWideChar:
            return 6;
        default:
            return 0;
    }
}

}  // namespace

QString fieldTypeName(TFieldType type) {
    static const std::array<const char*, 42> kNames = {
        "Unknown",    "String",     "SmallInt",      "Integer",     "Word",      "Boolean",
        "Float",      "Currency",   "BCD",           "Date",        "Time",      "DateTime",
        "Bytes",      "VarBytes",   "AutoInc",       "Blob",        "Memo",      "Graphic",
        "FmtMemo",    "ParadoxOle", "DBaseOle",      "TypedBinary", "Cursor",    "FixedChar",
        "WideString", "LargeInt",   "ADT",           "Array",       "Reference", "DataSet",
        "OraBlob",    "OraClob",    "Variant",       "Interface",   "IDispatch", "Guid",
        "TimeStamp",  "FMTBcd",     "FixedWideChar", "WideMemo",    "ShortInt",  "Byte"};
    return QString::fromLatin1(kNames.at(static_cast<size_t>(type)));
}

bool sameFieldFamily(TFieldType a, TFieldType b) {
    if (a == b) return true;
    int fa = family(a);
    return fa != 0 && fa == family(b);
}

bool fieldSizeMustMatch(TFieldType type) {
    return type == T::ftBCD || type == T::ftBytes || type == T::ftVarBytes ||
           type == T::ftReference;
}

}  // namespace db
