// record_text.h: small Windows-1252 text helpers shared by the record codec and the core.
#ifndef BREVANTIS_ENGINE_RECORD_RECORD_TEXT_H
#define BREVANTIS_ENGINE_RECORD_RECORD_TEXT_H

#include <cstdint>
#include <string>
#include <string_view>

namespace engine::record {

// Makes *out the Windows-1252 text of n UTF-16 code units, as fromUtf16 (record.h) makes
// it from a string ('?' for what the code page does not have), in the buffer *out has.
void fromUtf16Units(const uint16_t* units, size_t n, std::string* out);
// The number of UTF-16 code units before the NUL that ends `text`.
size_t utf16Length(const uint16_t* text);

// Upper-cases ASCII letters only (names, keywords).
std::string upperAscii(std::string_view s);

// Upper-cases Windows-1252 letters (ASCII, accented Latin letters, š œ ž ÿ).
unsigned char upper1252(unsigned char c);

// `s` without leading and trailing blanks (spaces and tabs).
std::string trimBlanks(std::string_view s);
// The same, as a view of `s`.
std::string_view trimBlanksView(std::string_view s);

// Whether two names are equal without regard to ASCII letter case. Inline: column lookups
// by name call it for every column.
inline bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    if (a == b) return true;  // names are mostly given in their own case: one compare
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
