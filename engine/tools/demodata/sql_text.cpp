// sql_text.cpp: SQL literals of the demo data and the UTF-8 to Windows-1252 conversion.
#include "engine/tools/demodata/sql_text.h"

#include <cstdio>

namespace demo {
namespace {

// Windows-1252 bytes 0x80..0x9F and the Unicode characters they stand for (0 = unassigned).
constexpr uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char cp1252Of(uint32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == cp) return static_cast<char>(0x80 + i);
    }
    return '?';
}

std::string quoted(const std::string& utf8) {
    std::string out = "'";
    for (char c : toCp1252(utf8)) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

std::string twoDigits(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

std::string isoDate(Date d) {
    return std::to_string(d.year) + "-" + twoDigits(d.month) + "-" + twoDigits(d.day);
}

}  // namespace

std::string toCp1252(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const size_t extra = b < 0x80             ? 0
                             : (b & 0xE0) == 0xC0 ? 1
                             : (b & 0xF0) == 0xE0 ? 2
                             : (b & 0xF8) == 0xF0 ? 3
                                                  : 99;
        if (extra == 99 || i + extra >= utf8.size() + (extra == 0 ? 1 : 0)) {
            out += '?';  // invalid lead byte, or a sequence cut short by the end of the text
            ++i;
            continue;
        }
        uint32_t cp = extra == 0 ? b : b & (0x3Fu >> extra);
        bool ok = true;
        for (size_t k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(utf8[i + k]);
            ok = ok && (c & 0xC0) == 0x80;
            cp = (cp << 6) | (c & 0x3F);
        }
        out += ok ? cp1252Of(cp) : '?';
        i += ok ? extra + 1 : 1;
    }
    return out;
}

Date dateFromDays(int64_t days) {
    // Civil-from-days over the proleptic Gregorian calendar, counted from 1970-01-01.
    int64_t z = days + 10957 + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day};
}

InsertRow& InsertRow::text(const std::string& utf8) {
    values_.push_back(quoted(utf8));
    return *this;
}

InsertRow& InsertRow::integer(int64_t v) {
    values_.push_back(std::to_string(v));
    return *this;
}

InsertRow& InsertRow::real(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    values_.push_back(buf);
    return *this;
}

InsertRow& InsertRow::logical(bool v) {
    values_.push_back(v ? "TRUE" : "FALSE");
    return *this;
}

InsertRow& InsertRow::date(Date d) {
    values_.push_back("'" + isoDate(d) + "'");
    return *this;
}

InsertRow& InsertRow::timestamp(Date d, int hour, int minute, int second) {
    values_.push_back("'" + isoDate(d) + " " + twoDigits(hour) + ":" + twoDigits(minute) + ":" +
                      twoDigits(second) + "'");
    return *this;
}

InsertRow& InsertRow::null() {
    values_.push_back("NULL");
    return *this;
}

std::string InsertRow::sql(const std::string& table) const {
    std::string cols, vals;
    for (size_t i = 0; i < columns_.size(); ++i) {
        cols += (i ? ", " : "") + columns_[i];
        vals += (i ? ", " : "") + (i < values_.size() ? values_[i] : std::string("NULL"));
    }
    return "INSERT INTO " + table + " (" + cols + ") VALUES (" + vals + ")";
}

}  // namespace demo
