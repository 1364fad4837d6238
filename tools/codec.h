// codec.h: record numbers to and from the six-character base-64 form that ends a ROWID.
//
// The form is six positional base-64 digits, most significant first (weights 64^5 .. 1),
// written with the alphabet "A..Za..z0..9+/" where a character's 0-based position is its
// digit value. Characters compare exactly: 'a' and 'A' are different digits.
#ifndef BREVANTIS_TOOLS_CODEC_H
#define BREVANTIS_TOOLS_CODEC_H

#include <QString>
#include <cstdint>

// Where TrouverRecNo finds the six characters it reads.
enum class RecNoForm {
    SixChars,  // characters 1 to 6: the six-character form itself (the converter's input)
    RowId,     // characters 13 to 18: a whole 18-character ROWID
};

// Returns the six-character form of `recNo`; always exactly six characters.
// 0..2147483647 give 'A' or 'B' first. A negative value, which is no record number, is
// encoded as its 32-bit pattern read unsigned (2147483648..4294967295), giving 'C' or 'D'
// first, so that TrouverRecNo(Encode64(n)) == n holds for every 32-bit n.
QString Encode64(int32_t recNo);

// Decodes the six characters that `form` designates in `text`. A character that is missing
// (text too short) or not in the alphabet counts as the digit -1; the sum of digit times
// weight wraps modulo 2^32 and is read as a signed value. Never fails: "" gives
// -1090785345, "B" gives 1056698303. Characters after the six read are ignored.
int32_t TrouverRecNo(const QString& text, RecNoForm form = RecNoForm::SixChars);

#endif  // BREVANTIS_TOOLS_CODEC_H
