// text.h: Windows-1252 text helpers shared by expressions and SQL.
#ifndef BREVANTIS_ENGINE_CORE_EXPR_TEXT_H
#define BREVANTIS_ENGINE_CORE_EXPR_TEXT_H

#include <string>
#include <string_view>

namespace engine::expr {

// Upper-case of one Windows-1252 byte (ASCII letters, accented letters, š œ ž ÿ).
unsigned char upper1252(unsigned char c);

// Lower-case of one Windows-1252 byte; the inverse of upper1252 on letters.
unsigned char lower1252(unsigned char c);

// Whole-string case conversions in Windows-1252.
std::string upper1252(std::string_view s);
std::string lower1252(std::string_view s);

// `s` without its trailing blanks.
std::string_view trimRight(std::string_view s);

// True when a and b are equal without regard to ASCII letter case (names, keywords).
bool equalsNoCase(std::string_view a, std::string_view b);

}  // namespace engine::expr

#endif  // BREVANTIS_ENGINE_CORE_EXPR_TEXT_H
