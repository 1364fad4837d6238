// values.cpp: comparison, emptiness, date parsing and equality keys of Values.
#include "engine/expr/values.h"

#include <cmath>
#include <cstring>

#include "engine/expr/expr_text.h"
#include "engine/expr/expression.h"

namespace engine::expr {

Type typeOfColumn(ColumnType type) {
    switch (type) {
        case ColumnType::Logical:
            return Type::Logical;
        case ColumnType::Numeric:
        case ColumnType::Double:
        case ColumnType::Integer:
        case ColumnType::ShortInt:
        case ColumnType::AutoInc:
        case ColumnType::CurDouble:
        case ColumnType::Money:
        case ColumnType::RowVersion:
            return Type::Number;
        case ColumnType::Date:
        case ColumnType::CompactDate:
            return Type::Date;
        case ColumnType::Time:
            return Type::Time;
        case ColumnType::TimeStamp:
        case ColumnType::ModTime:
            return Type::TimeStamp;
        case ColumnType::Binary:
        case ColumnType::Image:
        case ColumnType::Raw:
        case ColumnType::VarbinaryFox:
            return Type::Binary;
        default:
            return Type::String;
    }
}

Type typeOfValue(const Value& v) {
    switch (v.kind) {
        case Value::Kind::Null:
            return Type::Null;
        case Value::Kind::Logical:
            return Type::Logical;
        case Value::Kind::Integer:
        case Value::Kind::Double:
            return Type::Number;
        case Value::Kind::String:
            return Type::String;
        case Value::Kind::Date:
            return Type::Date;
        case Value::Kind::Time:
            return Type::Time;
        case Value::Kind::TimeStamp:
            return Type::TimeStamp;
        case Value::Kind::Binary:
            return Type::Binary;
    }
    return Type::Null;
}

const char* typeName(Type t) {
    static const char* const kNames[] = {"null", "logical", "numeric",   "character",
                                         "date", "time",    "timestamp", "binary"};
    return kNames[static_cast<int>(t)];
}

namespace {

bool isDateLike(Type t) {
    return t == Type::Date || t == Type::TimeStamp;
}

template <typename T>
int threeWay(T a, T b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

int compareText(std::string_view a, std::string_view b, bool ci, bool prefix) {
    a = trimRight(a);
    b = trimRight(b);
    if (prefix && a.size() > b.size()) a = a.substr(0, b.size());
    size_t n = std::min(a.size(), b.size());
    if (!ci) {
        int c = a.substr(0, n).compare(b.substr(0, n));
        return c != 0 ? (c < 0 ? -1 : 1) : threeWay(a.size(), b.size());
    }
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (ci) {
            x = cp1252::upper(x);
            y = cp1252::upper(y);
        }
        if (x != y) return x < y ? -1 : 1;
    }
    return threeWay(a.size(), b.size());
}

double numberOf(const Value& v) {
    return v.kind == Value::Kind::Integer ? static_cast<double>(v.integer) : v.real;
}

// Date-like values as (day, millisecond) pairs; a Date is at midnight.
int compareMoments(const Value& a, const Value& b) {
    int32_t am = a.kind == Value::Kind::TimeStamp ? a.millis : 0;
    int32_t bm = b.kind == Value::Kind::TimeStamp ? b.millis : 0;
    if (a.julian != b.julian) return threeWay(a.julian, b.julian);
    return threeWay(am, bm);
}

}  // namespace

bool comparable(Type a, Type b) {
    if (a == Type::Null || b == Type::Null || a == b) return true;
    return isDateLike(a) && isDateLike(b);
}

int compareValues(const Value& a, const Value& b, bool prefix) {
    if (a.isNull() && b.isNull()) return 0;
    if (a.isNull() || b.isNull()) {
        // A missing value compares as the blank value of the other side's kind.
        const Value& other = a.isNull() ? b : a;
        int c = 0;
        switch (other.kind) {
            case Value::Kind::String:
            case Value::Kind::Binary:
                c = compareText("", other.text, other.caseInsensitive, false);
                break;
            case Value::Kind::Integer:
            case Value::Kind::Double:
                c = threeWay(0.0, numberOf(other));
                break;
            case Value::Kind::Logical:
                c = threeWay(false, other.logical);
                break;
            case Value::Kind::Time:
                c = threeWay(0, other.millis);
                break;
            default:
                c = isEmptyValue(other) ? 0 : -1;
                break;
        }
        // With a prefix match an empty right-hand side matches anything.
        if (b.isNull() && prefix && other.kind == Value::Kind::String) return 0;
        return a.isNull() ? c : -c;
    }
    switch (a.kind) {
        case Value::Kind::String:
            return compareText(a.text, b.text, a.caseInsensitive || b.caseInsensitive, prefix);
        case Value::Kind::Binary:
            return compareText(a.text, b.text, false, prefix);
        case Value::Kind::Integer:
            if (b.kind == Value::Kind::Integer) return threeWay(a.integer, b.integer);
            return threeWay(numberOf(a), numberOf(b));
        case Value::Kind::Double:
            return threeWay(numberOf(a), numberOf(b));
        case Value::Kind::Logical:
            return threeWay(a.logical, b.logical);
        case Value::Kind::Time:
            return threeWay(a.millis, b.millis);
        case Value::Kind::Date:
        case Value::Kind::TimeStamp:
            return compareMoments(a, b);
        case Value::Kind::Null:
            break;
    }
    return 0;
}

bool isEmptyValue(const Value& v) {
    switch (v.kind) {
        case Value::Kind::Null:
            return true;
        case Value::Kind::Logical:
            return !v.logical;
        case Value::Kind::Integer:
            return v.integer == 0;
        case Value::Kind::Double:
            return v.real == 0;
        case Value::Kind::String:
            return trimRight(v.text).empty();
        case Value::Kind::Binary:
            return v.text.empty();
        case Value::Kind::Date:
            return v.julian == 0;
        case Value::Kind::Time:
            return false;
        case Value::Kind::TimeStamp:
            return v.julian == 0;
    }
    return true;
}

int32_t julianDay(int year, int month, int day) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return 0;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    if (day > last) return 0;
    int a = (14 - month) / 12;
    int y = year + 4800 - a;
    int m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

namespace {

// Reads 1..maxDigits digits at *p; false when there is none.
bool readInt(std::string_view s, size_t* p, int maxDigits, int* out) {
    int n = 0, v = 0;
    while (*p < s.size() && n < maxDigits && s[*p] >= '0' && s[*p] <= '9') {
        v = v * 10 + (s[*p] - '0');
        ++*p;
        ++n;
    }
    *out = v;
    return n > 0;
}

bool readChar(std::string_view s, size_t* p, char c) {
    if (*p < s.size() && s[*p] == c) {
        ++*p;
        return true;
    }
    return false;
}

std::string_view trimBoth(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// Parses a date at the start of `s`, leaving *p after it.
bool parseDateAt(std::string_view s, size_t* p, int32_t* julian) {
    int a = 0, b = 0, c = 0;
    size_t start = *p;
    if (!readInt(s, p, 4, &a)) return false;
    if (*p - start == 4 && readChar(s, p, '-')) {
        if (!readInt(s, p, 2, &b) || !readChar(s, p, '-') || !readInt(s, p, 2, &c)) return false;
        *julian = julianDay(a, b, c);
        return *julian != 0;
    }
    if (*p - start > 2 || !readChar(s, p, '/') || !readInt(s, p, 2, &b) || !readChar(s, p, '/'))
        return false;
    size_t yearStart = *p;
    if (!readInt(s, p, 4, &c)) return false;
    if (*p - yearStart == 2)
        c += c >= 50 ? 1900 : 2000;
    else if (*p - yearStart != 4)
        return false;
    *julian = julianDay(c, b, a);
    return *julian != 0;
}

bool parseTimeAt(std::string_view s, size_t* p, int32_t* millis) {
    int h = 0, m = 0, sec = 0, ms = 0;
    if (!readInt(s, p, 2, &h) || !readChar(s, p, ':') || !readInt(s, p, 2, &m)) return false;
    if (readChar(s, p, ':')) {
        if (!readInt(s, p, 2, &sec)) return false;
        if (readChar(s, p, '.')) {
            size_t start = *p;
            if (!readInt(s, p, 3, &ms)) return false;
            for (size_t n = *p - start; n < 3; ++n) ms *= 10;
        }
    }
    std::string_view rest = trimBoth(s.substr(*p));
    if (equalsNoCase(rest, "AM") || equalsNoCase(rest, "PM")) {
        if (h < 1 || h > 12) return false;
        h = h % 12 + (equalsNoCase(rest, "PM") ? 12 : 0);
        *p = s.size();
    }
    if (h > 23 || m > 59 || sec > 59) return false;
    *millis = ((h * 60 + m) * 60 + sec) * 1000 + ms;
    return true;
}

bool isBlankDateText(std::string_view s) {
    for (char c : s) {
        if (c != ' ' && c != '/' && c != '-' && c != ':' && c != '.') return false;
    }
    return true;
}

}  // namespace

bool parseDate(std::string_view text, int32_t* julian) {
    text = trimBoth(text);
    if (isBlankDateText(text)) {
        *julian = 0;
        return true;
    }
    size_t p = 0;
    return parseDateAt(text, &p, julian) && p == text.size();
}

bool parseTime(std::string_view text, int32_t* millis) {
    text = trimBoth(text);
    size_t p = 0;
    return parseTimeAt(text, &p, millis) && p == text.size();
}

bool parseTimeStamp(std::string_view text, int32_t* julian, int32_t* millis) {
    text = trimBoth(text);
    *millis = 0;
    if (isBlankDateText(text)) {
        *julian = 0;
        return true;
    }
    size_t p = 0;
    if (!parseDateAt(text, &p, julian)) return false;
    if (p < text.size() && text[p] == 'T')
        ++p;  // ISO form
    else if (p < text.size() && text[p] != ' ')
        return false;
    std::string_view rest = trimBoth(text.substr(p));
    return rest.empty() || parseTime(rest, millis);
}

std::string equalityKey(const Value& value, bool caseInsensitive) {
    std::string key;
    auto append = [&key](const void* p, size_t n) { key.append(static_cast<const char*>(p), n); };
    switch (value.kind) {
        case Value::Kind::Null:
            key = std::string(1, '\0');
            break;
        case Value::Kind::Logical:
            key = value.logical ? "LT" : "LF";
            break;
        case Value::Kind::String:
        case Value::Kind::Binary: {
            // Length first, so that keys of several columns can be concatenated unambiguously.
            bool text = value.kind == Value::Kind::String;
            std::string_view t = text ? trimRight(value.text) : std::string_view(value.text);
            uint32_t n = static_cast<uint32_t>(t.size());
            key = text ? "S" : "B";
            append(&n, sizeof n);
            if (text && caseInsensitive)
                key += upper1252(t);
            else
                key += t;
            break;
        }
        case Value::Kind::Integer:
        case Value::Kind::Double: {
            double d = numberOf(value);
            // Whole numbers share one form, whether they came as integers or doubles.
            if (value.kind == Value::Kind::Integer ||
                (std::trunc(d) == d && std::fabs(d) < 9.0e18)) {
                int64_t i =
                    value.kind == Value::Kind::Integer ? value.integer : static_cast<int64_t>(d);
                key = "I";
                append(&i, sizeof i);
            } else {
                key = "D";
                append(&d, sizeof d);
            }
            break;
        }
        case Value::Kind::Date:
        case Value::Kind::TimeStamp: {
            int32_t ms = value.kind == Value::Kind::TimeStamp ? value.millis : 0;
            key = "M";
            append(&value.julian, sizeof value.julian);
            append(&ms, sizeof ms);
            break;
        }
        case Value::Kind::Time:
            key = "T";
            append(&value.millis, sizeof value.millis);
            break;
    }
    return key;
}

}  // namespace engine::expr
