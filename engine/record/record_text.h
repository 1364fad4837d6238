// record_text.h: small text helpers shared by the record codec, the core and the client
// (the code page itself is codepage/cp1252.h).
#ifndef BREVANTIS_ENGINE_RECORD_RECORD_TEXT_H
#define BREVANTIS_ENGINE_RECORD_RECORD_TEXT_H

#include <cstdint>
#include <string>
#include <string_view>

namespace engine::record {

// Upper-cases ASCII letters only (names, keywords).
std::string upperAscii(std::string_view s);

// `s` without leading and trailing blanks (spaces and tabs).
std::string trimBlanks(std::string_view s);
// The same, as a view of `s`.
std::string_view trimBlanksView(std::string_view s);

// Whether two names are equal without regard to ASCII letter case. Inline: column lookups
// by name call it for every column.
inline bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i]) continue;
        // Different bytes match only as the two cases of one letter (they differ in 0x20).
        char lower = static_cast<char>(a[i] | 0x20);
        if (lower != (b[i] | 0x20) || lower < 'a' || lower > 'z') return false;
    }
    return true;
}

}  // namespace engine::record

#endif  // BREVANTIS_ENGINE_RECORD_RECORD_TEXT_H
