// value.h: the engine's column types, column descriptions and typed values.
//
// Shared by storage (record images), expressions and SQL. Text inside the engine is
// Windows-1252 bytes held in std::string; wide columns are converted to it ('?' for a
// character the code page lacks) when they take part in expressions.
#ifndef BREVANTIS_ENGINE_RECORD_VALUE_H
#define BREVANTIS_ENGINE_RECORD_VALUE_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace engine {

// Column types by their engine numbers (the same numbers as the C interface's ADS_* types).
enum class ColumnType : uint16_t {
    Logical = 1,
    Numeric = 2,
    Date = 3,
    String = 4,
    Memo = 5,
    Binary = 6,
    Image = 7,
    Varchar = 8,
    CompactDate = 9,
    Double = 10,
    Integer = 11,
    ShortInt = 12,
    Time = 13,
    TimeStamp = 14,
    AutoInc = 15,
    Raw = 16,
    CurDouble = 17,
    Money = 18,
    CiString = 20,
    RowVersion = 21,
    ModTime = 22,
    VarcharFox = 23,
    VarbinaryFox = 24,
    NChar = 26,
    NVarchar = 27,
    NMemo = 28,
};

// One column of a table or a result.
// Invariant: offset + storage size (see the record layout in storage) <= record length.
struct ColumnDef {
    std::string name;  // as declared; looked up without regard to letter case
    ColumnType type = ColumnType::String;
    uint32_t length = 0;    // declared length: characters for text, bytes otherwise
    uint16_t decimals = 0;  // NUMERIC only
    uint32_t offset = 0;    // position in the record image
    bool nullable = true;
    uint8_t permissions = 7;  // ADS_COLUMN_READ | UPDATE | INSERT
};

// How the records of a table or a result are laid out: the columns at their offsets, the
// image length and the blank image. Never changed once made, so that the table, its
// cursors, a procedure's results and their answers can all share one.
// Invariant: every column lies wholly inside recordLength; blankRecord has that length.
struct RecordLayout {
    std::vector<ColumnDef> columns;
    uint32_t recordLength = 0;
    std::string blankRecord;
};
using SharedLayout = std::shared_ptr<const RecordLayout>;

// The layout of no columns, for descriptions that have none of their own.
inline const SharedLayout& emptyLayout() {
    static const SharedLayout empty = std::make_shared<const RecordLayout>();
    return empty;
}

// A typed value. Dates are Julian day numbers; times are milliseconds since midnight.
struct Value {
    enum class Kind : uint8_t {
        Null,
        Logical,
        Integer,
        Double,
        String,
        Date,
        Time,
        TimeStamp,
        Binary
    };

    Kind kind = Kind::Null;
    bool logical = false;
    int64_t integer = 0;
    double real = 0;
    std::string text;              // String: Windows-1252 bytes; Binary: raw bytes
    int32_t julian = 0;            // Date, TimeStamp
    int32_t millis = 0;            // Time, TimeStamp
    bool caseInsensitive = false;  // String read from a CIChar column

    static Value null() { return Value{}; }
    static Value ofLogical(bool b) {
        Value v;
        v.kind = Kind::Logical;
        v.logical = b;
        return v;
    }
    static Value ofInteger(int64_t i) {
        Value v;
        v.kind = Kind::Integer;
        v.integer = i;
        return v;
    }
    static Value ofDouble(double d) {
        Value v;
        v.kind = Kind::Double;
        v.real = d;
        return v;
    }
    static Value ofString(std::string s, bool ci = false) {
        Value v;
        v.kind = Kind::String;
        v.text = std::move(s);
        v.caseInsensitive = ci;
        return v;
    }
    static Value ofDate(int32_t jd) {
        Value v;
        v.kind = Kind::Date;
        v.julian = jd;
        return v;
    }
    static Value ofTime(int32_t ms) {
        Value v;
        v.kind = Kind::Time;
        v.millis = ms;
        return v;
    }
    static Value ofTimeStamp(int32_t jd, int32_t ms) {
        Value v;
        v.kind = Kind::TimeStamp;
        v.julian = jd;
        v.millis = ms;
        return v;
    }
    static Value ofBinary(std::string bytes) {
        Value v;
        v.kind = Kind::Binary;
        v.text = std::move(bytes);
        return v;
    }
    bool isNull() const { return kind == Kind::Null; }
};

using Row = std::vector<Value>;

}  // namespace engine

#endif  // BREVANTIS_ENGINE_RECORD_VALUE_H
