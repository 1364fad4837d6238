// values.h: comparison, emptiness, dates and hash keys of the engine's typed values.
#ifndef BREVANTIS_ENGINE_EXPR_VALUES_H
#define BREVANTIS_ENGINE_EXPR_VALUES_H

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/record/value.h"

namespace engine::expr {

// Static type of an expression: the families that compare with each other.
enum class Type : uint8_t { Null, Logical, Number, String, Date, Time, TimeStamp, Binary };

Type typeOfColumn(ColumnType type);
Type typeOfValue(const Value& v);
const char* typeName(Type t);

// Whether values of these types may be compared (Null compares with anything; a date with
// a timestamp).
bool comparable(Type a, Type b);

// Three-way comparison of two values of comparable types: text without trailing blanks
// (without regard to letter case when either side comes from a CIChar column; only as
// many characters as `b` has when `prefix`), numbers by value, dates and times by their
// numbers, false before true. A Null side counts as the blank value of the other's kind
// ("" , 0, the empty date, false).
int compareValues(const Value& a, const Value& b, bool prefix);

// True for Null, text of blanks only, 0, false, the empty date (Julian day 0) and empty binary.
bool isEmptyValue(const Value& v);

// Julian day number of a proleptic Gregorian date; 0 when the date is not valid.
int32_t julianDay(int year, int month, int day);

// Date text: "DD/MM/YYYY", the form the tool's date fields give as text (one-digit day and
// month allowed; a two-digit year means 19YY from 50, 20YY below), or "YYYY-MM-DD". Blank
// text gives the empty date (0). Returns false for anything else.
bool parseDate(std::string_view text, int32_t* julian);

// Time text: "HH:MM[:SS[.mmm]]" with an optional " AM"/" PM"; false when not valid.
bool parseTime(std::string_view text, int32_t* millis);

// Timestamp text: a date text, blanks, then a time text (the time may be left out).
bool parseTimeStamp(std::string_view text, int32_t* julian, int32_t* millis);

}  // namespace engine::expr

#endif  // BREVANTIS_ENGINE_EXPR_VALUES_H
