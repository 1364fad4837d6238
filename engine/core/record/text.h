// text.h: small Windows-1252 text helpers shared by the record codec and the core.
#ifndef BREVANTIS_ENGINE_CORE_RECORD_TEXT_H
#define BREVANTIS_ENGINE_CORE_RECORD_TEXT_H

#include <string>
#include <string_view>

namespace engine::record {

// Upper-cases ASCII letters only (names, keywords).
std::string upperAscii(std::string_view s);

// Upper-cases Windows-1252 letters (ASCII, accented Latin letters, š œ ž ÿ).
unsigned char upper1252(unsigned char c);

// `s` without leading and trailing blanks (spaces and tabs).
std::string trimBlanks(std::string_view s);

// Whether two names are equal without regard to ASCII letter case.
bool equalsNoCase(std::string_view a, std::string_view b);

}  // namespace engine::record

#endif  // BREVANTIS_ENGINE_CORE_RECORD_TEXT_H
