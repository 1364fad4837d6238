// int_conv.cpp: the integer syntax of int_conv.h.
#include "rtl/int_conv.h"

#include "rtl/exception.h"

namespace rtl {
namespace {

int hexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

}  // namespace

bool tryStrToInt(const QString& text, int32_t* value) {
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text.at(i) == u' ') ++i;
    bool negative = false;
    if (i < n && (text.at(i) == u'-' || text.at(i) == u'+')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    bool hex = false;
    if (i < n && (text.at(i) == u'$' || text.at(i) == u'x' || text.at(i) == u'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text.at(i) == u'0' &&
               (text.at(i + 1) == u'x' || text.at(i + 1) == u'X')) {
        hex = true;
        i += 2;
    }
    if (i == n) return false;  // no digits

    // Magnitude in 64 bits; stop as soon as it leaves the range that can still be valid.
    const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    const int base = hex ? 16 : 10;
    uint64_t magnitude = 0;
    for (; i < n; ++i) {
        const int d = hexDigit(text.at(i).unicode());
        if (d < 0 || d >= base) return false;
        magnitude = magnitude * base + static_cast<uint64_t>(d);
        if (magnitude > limit) return false;
    }
    auto pattern = static_cast<uint32_t>(magnitude);
    if (negative) pattern = 0u - pattern;
    *value = static_cast<int32_t>(pattern);
    return true;
}

int32_t strToInt(const QString& text) {
    int32_t value = 0;
    if (!tryStrToInt(text, &value)) {
        throw EConvertError(QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(text));
    }
    return value;
}

}  // namespace rtl
