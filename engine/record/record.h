// record.h: column layouts, record images, null encodings and typed values in and out.
//
// A record image is the fixed-length byte string that AdsGetRecord returns: every column
// at its offset, in the storage form below (all integers little-endian). The image is
// also what a table file stores per slot, so the client library and the server share
// exactly these rules. Storage size per column type (length = declared length):
//
//   LOGICAL          1        'T' / 'F'; null: a blank (32)
//   NUMERIC          length   decimal text right-aligned with blanks; null: all 0
//   DATE             4        int32 Julian day; null: all 0
//   STRING, CISTRING length   Windows-1252 text, blank-padded; null (or empty): all 0
//   MEMO, BINARY, IMAGE, VARCHAR, NMEMO
//                    8        uint32 cell (0: empty or null, else the content's place in
//                             the side file, -1 in an image sent to a client) + uint32 length
//   COMPACTDATE      3        year << 9 | month << 5 | day, big-endian; null: all 0
//   DOUBLE, CURDOUBLE 8       IEEE double; null: int32 32 then int32 -2147483648
//   INTEGER          4        int32; null: -2147483648
//   SHORTINT         2        int16; null: -32768
//   TIME             4        int32 milliseconds since midnight; null: -1
//   TIMESTAMP, MODTIME 8      int32 Julian day, int32 milliseconds; null: 0 then -1
//   AUTOINC          4        int32; null: -1
//   RAW              length   bytes; null: all 0
//   MONEY            8        int64, 4 implied decimals; null: low int32 0, high -2147483648
//   ROWVERSION       8        int64; null as MONEY
//   VARCHAR_FOX      length+2 text blank-padded, then int16 stored length; null: length -1
//   VARBINARY_FOX    length+2 bytes zero-padded, then int16 stored length; null: length -1
//   NCHAR            2*length UTF-16 code units, blank-padded; null: all 0
//   NVARCHAR         2*length+2 UTF-16 blank-padded, then int16 character count; null: -1
#ifndef BREVANTIS_ENGINE_RECORD_RECORD_H
#define BREVANTIS_ENGINE_RECORD_RECORD_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/record/status.h"
#include "engine/record/value.h"

namespace engine::record {

// Whether an ADT table can hold a column of this type.
bool isStorableType(ColumnType type);

// Memo-like columns whose content lives outside the record image.
inline bool isBlobType(ColumnType t) {
    return t == ColumnType::Memo || t == ColumnType::Binary || t == ColumnType::Image ||
           t == ColumnType::Varchar || t == ColumnType::NMemo;
}

// Text columns (STRING, CISTRING, VARCHAR_FOX, NUMERIC's text) whose short writes are
// blank-padded.
bool isTextType(ColumnType type);

// Declared length a column of this type takes when a statement gives none (INTEGER 4,
// DOUBLE 8, DATE 4, ...); 0 for types that need one (STRING, NUMERIC, RAW, ...).
// Inline, with storageSize and isBlobType: every layout, image and row asks them per column.
inline uint32_t defaultLength(ColumnType t) {
    switch (t) {
        case ColumnType::Logical:
            return 1;
        case ColumnType::Date:
        case ColumnType::Integer:
        case ColumnType::Time:
        case ColumnType::AutoInc:
            return 4;
        case ColumnType::CompactDate:
            return 3;
        case ColumnType::ShortInt:
            return 2;
        case ColumnType::Double:
        case ColumnType::CurDouble:
        case ColumnType::TimeStamp:
        case ColumnType::ModTime:
        case ColumnType::Money:
        case ColumnType::RowVersion:
        case ColumnType::Memo:
        case ColumnType::Binary:
        case ColumnType::Image:
        case ColumnType::Varchar:
        case ColumnType::NMemo:
            return 8;
        default:
            return 0;
    }
}

// Bytes the column takes in the record image.
inline uint32_t storageSize(const ColumnDef& c) {
    switch (c.type) {
        case ColumnType::Numeric:
        case ColumnType::String:
        case ColumnType::CiString:
        case ColumnType::Raw:
            return c.length;
        case ColumnType::VarcharFox:
        case ColumnType::VarbinaryFox:
            return c.length + 2;
        case ColumnType::NChar:
            return 2 * c.length;
        case ColumnType::NVarchar:
            return 2 * c.length + 2;
        default:
            return defaultLength(c.type);
    }
}

// Assigns offsets in column order from 0 and returns the record length.
// REQUIRES: every column's type is storable.
uint32_t layoutColumns(std::vector<ColumnDef>& columns);

// The longest record image a table or result may have.
inline constexpr uint32_t kMaxRecordLength = 1u << 24;
// The most columns a table or result may have.
inline constexpr size_t kMaxColumns = 2000;

// Checks that a schema can be stored: storable types, lengths within limits (text up to
// 65530, NUMERIC 2..32 with decimals below the length), a record of at most
// kMaxRecordLength bytes, names of 1 to 128 characters, unique unless `uniqueNames` is false
// (SQL results may repeat a name). The same limits hold for a table read from its file.
Status validateColumns(const std::vector<ColumnDef>& columns, bool uniqueNames = true);

// Writes the null encoding of `column` into `image` at the column's offset.
void writeNull(const ColumnDef& column, uint8_t* image);

// Whether the column's bytes in `image` are its null (blank) encoding.
bool isNull(const ColumnDef& column, const uint8_t* image);

// The blank record: every column null. This is what AdsClearRecordBuffer gives.
std::string blankImage(const std::vector<ColumnDef>& columns, uint32_t recordLength);

// The shared layout of columns already laid out in `recordLength` bytes.
SharedLayout makeLayout(std::vector<ColumnDef> columns, uint32_t recordLength);

// Lays out the columns of a result (of a query or a procedure): unnamed columns become
// EXPRn, a column of a type without a fixed length gets at least 1, and names may repeat.
Status makeResultLayout(std::vector<ColumnDef> columns, SharedLayout* out);

// Writes `value` into the column's place in `image`, converting between kinds where the
// conversion is lossless or conventional (numbers between integer and double, text
// "T"/"F" for logicals, dates as CCYYMMDD or YYYY-MM-DD text, text to UTF-16 for NCHAR).
// A null value, and empty text, write the null encoding. Text longer than the column is
// cut to it. Answers AE_COLUMN_TYPE_MISMATCH (5148) for a value of the wrong kind and
// AE_COLUMN_VALUE_INVALID (5149) for one out of range; the image is then unchanged.
// Blob columns are not written here (their cells belong to the storage layer).
Status encodeValue(const ColumnDef& column, const Value& value, uint8_t* image);

// Reads the column from `image` as a Value: Null when isNull; text keeps its trailing
// blanks (CIChar text carries caseInsensitive); NCHAR/NVARCHAR converted to
// Windows-1252 ('?' for what it lacks); NUMERIC as Double, MONEY as Double;
// blob columns as Null (the caller supplies their content).
Value decodeValue(const ColumnDef& column, const uint8_t* image);

// Writes bytes as AdsSetField / AdsSetFieldRaw / AdsSetFieldW give them for the column:
// text and raw columns take up to their width, the rest blank-padded (text, UTF-16 blanks
// for NCHAR) or zero-padded (RAW); VARCHAR_FOX, VARBINARY_FOX and NVARCHAR also get their
// stored length; every fixed-size column must get exactly its storage size (else 5148).
// Zero bytes stay zero bytes (an empty ADT string is written as zeros, that is null).
Status writeColumnBytes(const ColumnDef& column, std::string_view bytes, uint8_t* image);

// Julian day of a civil date and back (proleptic Gregorian). 1 January 2000 = 2451545.
int32_t julianFromCivil(int year, int month, int day);
void civilFromJulian(int32_t julian, int* year, int* month, int* day);

// Fixed-width little-endian helpers: the one pair every format goes through.
inline void putU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void putU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void putU64(uint8_t* p, uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline uint16_t getU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t getU32(const uint8_t* p) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}
inline uint64_t getU64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

}  // namespace engine::record

#endif  // BREVANTIS_ENGINE_RECORD_RECORD_H
