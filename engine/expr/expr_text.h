// expr_text.h: Windows-1252 text helpers shared by expressions and SQL.
#ifndef BREVANTIS_ENGINE_EXPR_EXPR_TEXT_H
#define BREVANTIS_ENGINE_EXPR_EXPR_TEXT_H

#include <array>
#include <string>
#include <string_view>

#include "engine/record/record_text.h"  // equalsNoCase, header-only

namespace engine::expr {

namespace detail {
// Case tables of Windows-1252: ASCII letters, accented letters and the pairs
// s/S caron (9A/8A), oe/OE (9C/8C), z/Z caron (9E/8E), y/Y diaeresis (FF/9F).
constexpr std::array<unsigned char, 256> caseTable(bool upper) {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c) t[c] = static_cast<unsigned char>(c);
    for (int c = 'a'; c <= 'z'; ++c) t[upper ? c : c - 32] = static_cast<unsigned char>(upper ? c - 32 : c);
    for (int c = 0xE0; c <= 0xFE; ++c) {
        if (c != 0xF7) t[upper ? c : c - 32] = static_cast<unsigned char>(upper ? c - 32 : c);
    }
    const int pairs[][2] = {{0x9A, 0x8A}, {0x9C, 0x8C}, {0x9E, 0x8E}, {0xFF, 0x9F}};
    for (const auto& p : pairs) t[upper ? p[0] : p[1]] = static_cast<unsigned char>(upper ? p[1] : p[0]);
    return t;
}
inline constexpr std::array<unsigned char, 256> kUpper = caseTable(true);
inline constexpr std::array<unsigned char, 256> kLower = caseTable(false);
}  // namespace detail

// Upper-case of one Windows-1252 byte (ASCII letters, accented letters, š œ ž ÿ).
inline unsigned char upper1252(unsigned char c) { return detail::kUpper[c]; }

// Lower-case of one Windows-1252 byte; the inverse of upper1252 on letters.
inline unsigned char lower1252(unsigned char c) { return detail::kLower[c]; }

// Whole-string case conversions in Windows-1252.
std::string upper1252(std::string_view s);
std::string lower1252(std::string_view s);

// `s` without its trailing blanks.
std::string_view trimRight(std::string_view s);

// True when a and b are equal without regard to ASCII letter case (names, keywords).
using record::equalsNoCase;

}  // namespace engine::expr

#endif  // BREVANTIS_ENGINE_EXPR_EXPR_TEXT_H
