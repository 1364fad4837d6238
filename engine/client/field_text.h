// field_text.h: a column's value as text (what AdsGetField gives) and text as a value
// (what AdsSetField gives a column that does not hold text).
#ifndef BREVANTIS_ENGINE_CLIENT_FIELD_TEXT_H
#define BREVANTIS_ENGINE_CLIENT_FIELD_TEXT_H

#include <string>
#include <string_view>

#include "engine/record/status.h"
#include "engine/record/value.h"

namespace engine::client {

// UTF-16 code units stored as bytes (a wide memo's content, text given to a wide setter).
std::u16string bytesAsWide(const std::string& bytes);

// The column's value in `image` as 8-bit text: text columns as stored (blanks kept),
// numbers in decimal, logicals "T"/"F", dates CCYYMMDD, times HH:MM:SS.mmm, timestamps
// "CCYYMMDD HH:MM:SS.mmm", wide text converted, raw bytes as they are; null is "".
// Blob columns take `blob` (nullptr: null).
std::string fieldText(const ColumnDef& column, const uint8_t* image, const std::string* blob);

// The column's value in UTF-16: wide columns as stored, the others from fieldText.
std::u16string fieldWideText(const ColumnDef& column, const uint8_t* image,
                             const std::string* blob);

// Text given for a column that does not store text, as the value to encode: numbers,
// logicals (T/Y/1 true), dates (CCYYMMDD), times. AE_COLUMN_VALUE_INVALID when it reads
// as none of these.
Status parseFieldText(const ColumnDef& column, std::string_view text, Value* out);

// Whether AdsSetField's bytes go into the column as they are (text, raw and wide columns)
// rather than being read as a value.
bool takesBytes(const ColumnDef& column);

// The bytes that write the column as it stands in `image` (the form AdsSetField and
// AdsSetFieldRaw give), for sending a value the client encoded. nullopt-like: returns false
// when the column holds its null encoding.
bool columnBytes(const ColumnDef& column, const uint8_t* image, std::string* bytes);

// CCYYMMDD text and Julian day numbers; false when the text is not a date.
bool julianFromText(std::string_view text, int32_t* julian);
std::string textFromJulian(int32_t julian);

}  // namespace engine::client

#endif  // BREVANTIS_ENGINE_CLIENT_FIELD_TEXT_H
