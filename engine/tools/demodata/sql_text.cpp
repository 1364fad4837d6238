// sql_text.cpp: SQL literals of the demo data.
#include "engine/tools/demodata/sql_text.h"

#include <cstdio>

#include "codepage/cp1252.h"

namespace demo {
namespace {

std::string quoted(const std::string& utf8) {
    std::string out = "'";
    for (char c : cp1252::fromUtf8(utf8)) {
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
