// record_text.cpp: Windows-1252 text helpers and the 1252 <-> UTF-16 conversion.
#include "engine/record/record_text.h"

#include "engine/record/record.h"


namespace engine::record {
namespace {

// Code points of bytes 0x80..0x9F; 0 where Windows-1252 leaves the byte undefined.
constexpr char16_t k1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The Windows-1252 byte of a UTF-16 unit; '?' for what the code page does not have.
char unitTo1252(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (k1252High[i] == c && c != 0) return static_cast<char>(0x80 + i);
    return '?';
}

template <typename Unit>
void narrowInto(const Unit* units, size_t n, std::string* out) {
    static_assert(sizeof(Unit) == 2);
    out->resize(n);
    for (size_t i = 0; i < n; ++i) (*out)[i] = unitTo1252(static_cast<char16_t>(units[i]));
}

}  // namespace

std::string upperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return out;
}

unsigned char upper1252(unsigned char c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    switch (c) {
        case 0x9A: return 0x8A;
        case 0x9C: return 0x8C;
        case 0x9E: return 0x8E;
        case 0xFF: return 0x9F;
        default: return c;
    }
}

std::string trimBlanks(std::string_view s) { return std::string(trimBlanksView(s)); }

std::string_view trimBlanksView(std::string_view s) {
    // Two direct scans: most texts have no blank to trim, and a character-set search
    // would look each byte up in the set.
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    size_t b = 0, e = s.size();
    while (b < e && blank(s[b])) ++b;
    if (b == e) return {};
    while (blank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::u16string toUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (unsigned char c : s) {
        char16_t w = c;
        if (c >= 0x80 && c <= 0x9F) w = k1252High[c - 0x80] ? k1252High[c - 0x80] : u'?';
        out.push_back(w);
    }
    return out;
}

std::string fromUtf16(std::u16string_view w) {
    std::string out;
    narrowInto(w.data(), w.size(), &out);
    return out;
}

void fromUtf16Units(const uint16_t* units, size_t n, std::string* out) { narrowInto(units, n, out); }

size_t utf16Length(const uint16_t* text) {
    size_t n = 0;
    while (text[n] != 0) ++n;
    return n;
}

}  // namespace engine::record
