// cp1252.h: the 8-bit code page, Windows-1252 — the one table of its characters and of their
// letter case, for rtl/, the engine and the demo builder.
//
// Every byte is one character: 0x00..0x7F and 0xA0..0xFF the Unicode characters of the same
// value, 0x80..0x9F the code page's signs and letters. The five bytes the code page leaves
// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters of the same
// value (U+0081 ...), so that every byte comes back from Unicode as it went: text read from
// a file or a column and written back is never altered. A character the code page cannot
// represent becomes '?', a surrogate pair (one character) a single '?'.
#ifndef BREVANTIS_CODEPAGE_CP1252_H
#define BREVANTIS_CODEPAGE_CP1252_H

#include <array>
#include <string>
#include <string_view>

namespace cp1252 {

// What a character the code page cannot represent becomes.
constexpr char kUnrepresentable = '?';

// The character a byte stands for.
char16_t toUnicode(unsigned char byte);
// The byte of a character (a Unicode code point); kUnrepresentable when it has none.
char fromUnicode(char32_t character);

// Whole texts.
std::u16string toUtf16(std::string_view bytes);
std::string fromUtf16(std::u16string_view text);
// UTF-8 text; a malformed or cut sequence becomes kUnrepresentable, a byte at a time.
std::string fromUtf8(std::string_view utf8);

namespace detail {
// Case tables: ASCII letters, the accented letters of 0xC0..0xFE (not 0xD7/0xF7) and the
// pairs s/S caron (9A/8A), oe/OE (9C/8C), z/Z caron (9E/8E), y/Y diaeresis (FF/9F).
constexpr std::array<unsigned char, 256> caseTable(bool upper) {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c) t[c] = static_cast<unsigned char>(c);
    auto pair = [&](int lower, int upperCase) {
        t[upper ? lower : upperCase] = static_cast<unsigned char>(upper ? upperCase : lower);
    };
    for (int c = 'a'; c <= 'z'; ++c) pair(c, c - 32);
    for (int c = 0xE0; c <= 0xFE; ++c)
        if (c != 0xF7) pair(c, c - 32);
    pair(0x9A, 0x8A);
    pair(0x9C, 0x8C);
    pair(0x9E, 0x8E);
    pair(0xFF, 0x9F);
    return t;
}
inline constexpr std::array<unsigned char, 256> kUpper = caseTable(true);
inline constexpr std::array<unsigned char, 256> kLower = caseTable(false);
}  // namespace detail

// The upper and the lower case of a letter; any other byte as it is.
inline unsigned char upper(unsigned char byte) {
    return detail::kUpper[byte];
}
inline unsigned char lower(unsigned char byte) {
    return detail::kLower[byte];
}

}  // namespace cp1252

#endif  // BREVANTIS_CODEPAGE_CP1252_H
