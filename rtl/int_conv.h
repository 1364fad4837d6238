// int_conv.h: text to 32-bit integer with the tool's integer syntax.
//
// Accepted text: any number of leading blanks (' ' only), an optional '-' or '+', then
//   - decimal digits whose signed value lies in -2147483648..2147483647, or
//   - a hexadecimal prefix ('$', 'x', 'X', "0x" or "0X") and hexadecimal digits of either
//     case whose value fits in 32 bits; the value is taken as a 32-bit pattern, so
//     80000000..FFFFFFFF are negative. A '-' before the prefix negates that pattern modulo
//     2^32: "-$10" is -16, "-$FFFFFFFF" is 1.
// Nothing may follow the digits, not even a blank. Leading zeros are allowed. Anything
// else, the empty text and a prefix without digits included, is not an integer.
#ifndef BREVANTIS_RTL_INT_CONV_H
#define BREVANTIS_RTL_INT_CONV_H

#include <QString>
#include <cstdint>

namespace rtl {

// Returns the value of `text`.
// Throws rtl::EConvertError "'<text>' n'est pas une valeur entière correcte" (the text as
// given) when `text` is not an integer.
int32_t strToInt(const QString& text);

// Stores the value of `text` in *value and returns true; returns false and leaves *value
// untouched when `text` is not an integer. `value` must not be null.
bool tryStrToInt(const QString& text, int32_t* value);

}  // namespace rtl

#endif  // BREVANTIS_RTL_INT_CONV_H
