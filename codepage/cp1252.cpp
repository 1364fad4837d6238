// cp1252.cpp: the code page's table and the text conversions over it.
#include "codepage/cp1252.h"

namespace cp1252 {
namespace {

// The characters of bytes 0x80..0x9F; an unassigned byte stands for the control character
// of its own value.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

bool isHighSurrogate(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool isLowSurrogate(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

}  // namespace

char16_t toUnicode(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? kHigh[byte - 0x80] : char16_t{byte};
}

char fromUnicode(char32_t character) {
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
        return static_cast<char>(character);
    }
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == character) return static_cast<char>(0x80 + i);
    }
    return kUnrepresentable;
}

std::u16string toUtf16(std::string_view bytes) {
    std::u16string out(bytes.size(), u'\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        out[i] = toUnicode(static_cast<unsigned char>(bytes[i]));
    return out;
}

std::string fromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (isHighSurrogate(u) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) ++i;
        out += fromUnicode(u);  // a surrogate is no character of the code page
    }
    return out;
}

std::string fromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const size_t extra = lead < 0x80             ? 0
                             : (lead & 0xE0) == 0xC0 ? 1
                             : (lead & 0xF0) == 0xE0 ? 2
                             : (lead & 0xF8) == 0xF0 ? 3
                                                     : 4;  // not a lead byte
        bool ok = extra < 4 && i + extra < utf8.size();
        char32_t c = extra == 0 ? lead : lead & (0x3Fu >> extra);
        for (size_t k = 1; ok && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            ok = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        out += ok ? fromUnicode(c) : kUnrepresentable;
        i += ok ? extra + 1 : 1;
    }
    return out;
}

}  // namespace cp1252
