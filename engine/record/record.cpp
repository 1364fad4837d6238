// record.cpp: column layouts, null encodings and value conversion for record images.
#include "engine/record/record.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "codepage/cp1252.h"
#include "engine/include/engine_api.h"
#include "engine/record/record_text.h"

namespace engine::record {
namespace {

constexpr int32_t kIntNull = INT32_MIN;
constexpr uint32_t kMaxTextLength = 65530;

Status mismatch(const ColumnDef& c) {
    return Status::error(AE_COLUMN_TYPE_MISMATCH,
                         "The value does not suit the type of column \"" + c.name + "\".");
}
Status outOfRange(const ColumnDef& c) {
    return Status::error(AE_COLUMN_VALUE_INVALID,
                         "The value is out of range for column \"" + c.name + "\".");
}

bool asInteger(const Value& v, int64_t* out) {
    switch (v.kind) {
        case Value::Kind::Integer:
            *out = v.integer;
            return true;
        case Value::Kind::Double:
            if (!std::isfinite(v.real) || std::fabs(v.real) > 9.2e18) return false;
            *out = std::llround(v.real);
            return true;
        case Value::Kind::String: {
            std::string t = trimBlanks(v.text);
            if (t.empty()) return false;
            char* end = nullptr;
            long long n = std::strtoll(t.c_str(), &end, 10);
            if (*end != '\0') return false;
            *out = n;
            return true;
        }
        default:
            return false;
    }
}

bool asDouble(const Value& v, double* out) {
    switch (v.kind) {
        case Value::Kind::Integer:
            *out = static_cast<double>(v.integer);
            return true;
        case Value::Kind::Double:
            *out = v.real;
            return std::isfinite(v.real);
        case Value::Kind::String: {
            std::string t = trimBlanks(v.text);
            if (t.empty()) return false;
            char* end = nullptr;
            *out = std::strtod(t.c_str(), &end);
            return *end == '\0' && std::isfinite(*out);
        }
        default:
            return false;
    }
}

// Dates as CCYYMMDD, YYYY-MM-DD or MM/DD/YYYY text.
bool parseDate(std::string_view t, int32_t* julian) {
    int y = 0, m = 0, d = 0;
    std::string s(t);
    if (s.size() == 8 && std::sscanf(s.c_str(), "%4d%2d%2d", &y, &m, &d) == 3) {
    } else if (std::sscanf(s.c_str(), "%d-%d-%d", &y, &m, &d) == 3 && s.find('-') == 4) {
    } else if (std::sscanf(s.c_str(), "%d/%d/%d", &m, &d, &y) == 3) {
    } else {
        return false;
    }
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31) return false;
    *julian = julianFromCivil(y, m, d);
    int yy, mm, dd;
    civilFromJulian(*julian, &yy, &mm, &dd);
    return yy == y && mm == m && dd == d;
}

bool parseTime(std::string_view t, int32_t* millis) {
    int h = 0, mi = 0, s = 0, ms = 0;
    std::string str(t);
    int n = std::sscanf(str.c_str(), "%d:%d:%d.%d", &h, &mi, &s, &ms);
    if (n < 2 || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59 || ms < 0 || ms > 999)
        return false;
    *millis = ((h * 60 + mi) * 60 + s) * 1000 + ms;
    return true;
}

bool asDate(const Value& v, int32_t* julian) {
    if (v.kind == Value::Kind::Date || v.kind == Value::Kind::TimeStamp) {
        *julian = v.julian;
        return true;
    }
    return v.kind == Value::Kind::String && parseDate(trimBlanks(v.text), julian);
}

void fill(uint8_t* p, size_t n, uint8_t b) {
    std::memset(p, b, n);
}

void putText(const ColumnDef& c, std::string_view text, uint8_t* p) {
    size_t n = std::min<size_t>(text.size(), c.length);
    fill(p, c.length, ' ');
    std::memcpy(p, text.data(), n);
}

// An INTEGER or AUTOINC column's value, refused when out of its range (AUTOINC keeps -1
// for null).
Status putInteger(const ColumnDef& c, int64_t n, uint8_t* p) {
    if (n <= INT32_MIN || n > INT32_MAX || (c.type == ColumnType::AutoInc && n == -1))
        return outOfRange(c);
    putU32(p, static_cast<uint32_t>(static_cast<int32_t>(n)));
    return Status::success();
}

void putWide(uint32_t chars, std::u16string_view w, uint8_t* p) {
    for (uint32_t i = 0; i < chars; ++i) putU16(p + 2 * i, i < w.size() ? w[i] : u' ');
}

}  // namespace

bool isStorableType(ColumnType t) {
    switch (t) {
        case ColumnType::Logical:
        case ColumnType::Numeric:
        case ColumnType::Date:
        case ColumnType::String:
        case ColumnType::Memo:
        case ColumnType::Binary:
        case ColumnType::Image:
        case ColumnType::Varchar:
        case ColumnType::CompactDate:
        case ColumnType::Double:
        case ColumnType::Integer:
        case ColumnType::ShortInt:
        case ColumnType::Time:
        case ColumnType::TimeStamp:
        case ColumnType::AutoInc:
        case ColumnType::Raw:
        case ColumnType::CurDouble:
        case ColumnType::Money:
        case ColumnType::CiString:
        case ColumnType::RowVersion:
        case ColumnType::ModTime:
        case ColumnType::VarcharFox:
        case ColumnType::VarbinaryFox:
        case ColumnType::NChar:
        case ColumnType::NVarchar:
        case ColumnType::NMemo:
            return true;
    }
    return false;
}

bool isTextType(ColumnType t) {
    return t == ColumnType::String || t == ColumnType::CiString || t == ColumnType::VarcharFox ||
           t == ColumnType::Numeric;
}

uint32_t layoutColumns(std::vector<ColumnDef>& columns) {
    uint32_t offset = 0;
    for (ColumnDef& c : columns) {
        if (defaultLength(c.type) != 0) c.length = defaultLength(c.type);
        c.offset = offset;
        offset += storageSize(c);
    }
    return offset;
}

Status validateColumns(const std::vector<ColumnDef>& columns, bool uniqueNames) {
    if (columns.empty() || columns.size() > kMaxColumns)
        return Status::error(AE_INVALID_ARGUMENT, "A table needs between 1 and 2000 columns.");
    std::unordered_set<std::string> names;
    uint64_t recordLength = 0;
    for (const ColumnDef& c : columns) {
        if (c.name.empty() || c.name.size() > 128)
            return Status::error(AE_INVALID_ARGUMENT, "A column name needs 1 to 128 characters.");
        if (uniqueNames && !names.insert(upperAscii(c.name)).second)
            return Status::error(AE_INVALID_ARGUMENT,
                                 "The column \"" + c.name + "\" is declared twice.");
        if (!isStorableType(c.type))
            return Status::error(AE_COLUMN_TYPE_MISMATCH,
                                 "The type of column \"" + c.name + "\" cannot be stored.");
        if (defaultLength(c.type) == 0) {
            uint32_t max = c.type == ColumnType::Numeric ? 32 : kMaxTextLength;
            uint32_t min = c.type == ColumnType::Numeric ? 2 : 1;
            if (c.length < min || c.length > max ||
                (c.type == ColumnType::Numeric && c.decimals + 1u >= c.length && c.decimals))
                return Status::error(AE_COLUMN_VALUE_INVALID,
                                     "The length of column \"" + c.name + "\" is invalid.");
        }
        recordLength += storageSize(c);  // each at most 2 * 65530 + 2: no overflow
    }
    if (recordLength > kMaxRecordLength)
        return Status::error(AE_COLUMN_VALUE_INVALID, "A record of " +
                                                          std::to_string(recordLength) +
                                                          " bytes is longer than the limit of " +
                                                          std::to_string(kMaxRecordLength) + ".");
    return Status::success();
}

void writeNull(const ColumnDef& c, uint8_t* image) {
    uint8_t* p = image + c.offset;
    switch (c.type) {
        case ColumnType::Logical:
            p[0] = ' ';
            break;
        case ColumnType::Double:
        case ColumnType::CurDouble:
            putU32(p, 32);
            putU32(p + 4, static_cast<uint32_t>(kIntNull));
            break;
        case ColumnType::Integer:
            putU32(p, static_cast<uint32_t>(kIntNull));
            break;
        case ColumnType::ShortInt:
            putU16(p, 0x8000);
            break;
        case ColumnType::Time:
        case ColumnType::AutoInc:
            putU32(p, 0xFFFFFFFFu);
            break;
        case ColumnType::TimeStamp:
        case ColumnType::ModTime:
            putU32(p, 0);
            putU32(p + 4, 0xFFFFFFFFu);
            break;
        case ColumnType::Money:
        case ColumnType::RowVersion:
            putU32(p, 0);
            putU32(p + 4, static_cast<uint32_t>(kIntNull));
            break;
        case ColumnType::VarcharFox:
        case ColumnType::VarbinaryFox:
        case ColumnType::NVarchar: {
            uint32_t width = storageSize(c) - 2;
            fill(p, width, 0);
            putU16(p + width, 0xFFFF);
            break;
        }
        default:
            fill(p, storageSize(c), 0);
            break;
    }
}

bool isNull(const ColumnDef& c, const uint8_t* image) {
    const uint8_t* p = image + c.offset;
    switch (c.type) {
        case ColumnType::Logical:
            return p[0] == ' ';
        case ColumnType::Double:
        case ColumnType::CurDouble:
            return getU32(p) == 32 && getU32(p + 4) == static_cast<uint32_t>(kIntNull);
        case ColumnType::Integer:
            return getU32(p) == static_cast<uint32_t>(kIntNull);
        case ColumnType::ShortInt:
            return getU16(p) == 0x8000;
        case ColumnType::Time:
        case ColumnType::AutoInc:
            return getU32(p) == 0xFFFFFFFFu;
        case ColumnType::TimeStamp:
        case ColumnType::ModTime:
            return getU32(p) == 0;
        case ColumnType::Money:
        case ColumnType::RowVersion:
            return getU32(p) == 0 && getU32(p + 4) == static_cast<uint32_t>(kIntNull);
        case ColumnType::VarcharFox:
        case ColumnType::VarbinaryFox:
        case ColumnType::NVarchar:
            return getU16(p + storageSize(c) - 2) == 0xFFFF;
        case ColumnType::Memo:
        case ColumnType::Binary:
        case ColumnType::Image:
        case ColumnType::Varchar:
        case ColumnType::NMemo:
            return getU32(p) == 0;
        default: {
            uint32_t n = storageSize(c);
            for (uint32_t i = 0; i < n; ++i)
                if (p[i] != 0) return false;
            return true;
        }
    }
}

std::string blankImage(const std::vector<ColumnDef>& columns, uint32_t recordLength) {
    std::string image(recordLength, '\0');
    for (const ColumnDef& c : columns) writeNull(c, reinterpret_cast<uint8_t*>(image.data()));
    return image;
}

SharedLayout makeLayout(std::vector<ColumnDef> columns, uint32_t recordLength) {
    auto layout = std::make_shared<RecordLayout>();
    layout->blankRecord = blankImage(columns, recordLength);
    layout->columns = std::move(columns);
    layout->recordLength = recordLength;
    return layout;
}

Status makeResultLayout(std::vector<ColumnDef> columns, SharedLayout* out) {
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name.empty()) columns[i].name = "EXPR" + std::to_string(i + 1);
    for (ColumnDef& c : columns)
        if (defaultLength(c.type) == 0 && c.length == 0) c.length = 1;
    Status s = validateColumns(columns, false);
    if (!s.ok()) return s;
    uint32_t recordLength = layoutColumns(columns);
    *out = makeLayout(std::move(columns), recordLength);
    return s;
}

Status encodeValue(const ColumnDef& c, const Value& v, uint8_t* image) {
    uint8_t* p = image + c.offset;
    if (isBlobType(c.type))
        return Status::error(AE_INTERNAL_ERROR,
                             "Blob column \"" + c.name + "\" written as a value.");
    bool emptyText = v.kind == Value::Kind::String && v.text.empty();
    if (v.isNull() || (emptyText && c.type != ColumnType::Logical)) {
        writeNull(c, image);
        return Status::success();
    }
    int64_t n = 0;
    double d = 0;
    int32_t jd = 0, ms = 0;
    switch (c.type) {
        case ColumnType::Logical: {
            bool b;
            if (v.kind == Value::Kind::Logical) {
                b = v.logical;
            } else if (v.kind == Value::Kind::Integer) {
                b = v.integer != 0;
            } else if (v.kind == Value::Kind::String && !v.text.empty()) {
                char ch = static_cast<char>(std::toupper(static_cast<unsigned char>(v.text[0])));
                if (std::string_view("TY1FN0.").find(ch) == std::string_view::npos)
                    return mismatch(c);
                b = ch == 'T' || ch == 'Y' || ch == '1' ||
                    (ch == '.' && v.text.size() > 1 && std::toupper(v.text[1]) == 'T');
            } else {
                return mismatch(c);
            }
            p[0] = b ? 'T' : 'F';
            return Status::success();
        }
        case ColumnType::Numeric: {
            if (!asDouble(v, &d)) return mismatch(c);
            char buf[64];
            int len = std::snprintf(buf, sizeof buf, "%.*f", c.decimals, d);
            if (len < 0 || static_cast<uint32_t>(len) > c.length) return outOfRange(c);
            fill(p, c.length, ' ');
            std::memcpy(p + c.length - len, buf, len);
            return Status::success();
        }
        case ColumnType::Date:
            if (!asDate(v, &jd)) return mismatch(c);
            putU32(p, static_cast<uint32_t>(jd));
            return Status::success();
        case ColumnType::CompactDate: {
            if (!asDate(v, &jd)) return mismatch(c);
            int y, m, dd;
            civilFromJulian(jd, &y, &m, &dd);
            uint32_t packed = (static_cast<uint32_t>(y) << 9) | (m << 5) | dd;
            p[0] = static_cast<uint8_t>(packed >> 16);
            p[1] = static_cast<uint8_t>(packed >> 8);
            p[2] = static_cast<uint8_t>(packed);
            return Status::success();
        }
        case ColumnType::String:
        case ColumnType::CiString:
            if (v.kind != Value::Kind::String && v.kind != Value::Kind::Binary) return mismatch(c);
            putText(c, v.text, p);
            return Status::success();
        case ColumnType::VarcharFox:
        case ColumnType::VarbinaryFox: {
            if (v.kind != Value::Kind::String && v.kind != Value::Kind::Binary) return mismatch(c);
            size_t len = std::min<size_t>(v.text.size(), c.length);
            fill(p, c.length, c.type == ColumnType::VarcharFox ? ' ' : 0);
            std::memcpy(p, v.text.data(), len);
            putU16(p + c.length, static_cast<uint16_t>(len));
            return Status::success();
        }
        case ColumnType::Raw:
            if (v.kind != Value::Kind::String && v.kind != Value::Kind::Binary) return mismatch(c);
            fill(p, c.length, 0);
            std::memcpy(p, v.text.data(), std::min<size_t>(v.text.size(), c.length));
            return Status::success();
        case ColumnType::NChar:
        case ColumnType::NVarchar: {
            if (v.kind != Value::Kind::String) return mismatch(c);
            std::u16string w = cp1252::toUtf16(v.text);
            if (w.size() > c.length) w.resize(c.length);
            putWide(c.length, w, p);
            if (c.type == ColumnType::NVarchar)
                putU16(p + 2 * c.length, static_cast<uint16_t>(w.size()));
            return Status::success();
        }
        case ColumnType::Double:
        case ColumnType::CurDouble: {
            if (!asDouble(v, &d)) return mismatch(c);
            uint64_t bits;
            std::memcpy(&bits, &d, 8);
            putU64(p, bits);
            return Status::success();
        }
        case ColumnType::Integer:
        case ColumnType::AutoInc:
            if (!asInteger(v, &n)) return mismatch(c);
            return putInteger(c, n, p);
        case ColumnType::ShortInt:
            if (!asInteger(v, &n)) return mismatch(c);
            if (n <= INT16_MIN || n > INT16_MAX) return outOfRange(c);
            putU16(p, static_cast<uint16_t>(static_cast<int16_t>(n)));
            return Status::success();
        case ColumnType::Time:
            if (v.kind == Value::Kind::Time || v.kind == Value::Kind::TimeStamp) {
                ms = v.millis;
            } else if (v.kind == Value::Kind::String) {
                if (!parseTime(trimBlanks(v.text), &ms)) return mismatch(c);
            } else if (asInteger(v, &n)) {
                if (n < 0 || n >= 86400000) return outOfRange(c);
                ms = static_cast<int32_t>(n);
            } else {
                return mismatch(c);
            }
            putU32(p, static_cast<uint32_t>(ms));
            return Status::success();
        case ColumnType::TimeStamp:
        case ColumnType::ModTime:
            if (v.kind == Value::Kind::TimeStamp || v.kind == Value::Kind::Date) {
                jd = v.julian;
                ms = v.kind == Value::Kind::TimeStamp ? v.millis : 0;
            } else if (v.kind == Value::Kind::String) {
                std::string t = trimBlanks(v.text);
                size_t sp = t.find(' ');
                if (!parseDate(t.substr(0, sp), &jd)) return mismatch(c);
                if (sp != std::string::npos && !parseTime(t.substr(sp + 1), &ms))
                    return mismatch(c);
            } else {
                return mismatch(c);
            }
            if (jd <= 0 || ms < 0 || ms >= 86400000) return outOfRange(c);
            putU32(p, static_cast<uint32_t>(jd));
            putU32(p + 4, static_cast<uint32_t>(ms));
            return Status::success();
        case ColumnType::Money:
        case ColumnType::RowVersion: {
            if (c.type == ColumnType::Money) {
                if (!asDouble(v, &d) || std::fabs(d) > 9.2e14) return mismatch(c);
                n = std::llround(d * 10000.0);
            } else if (!asInteger(v, &n)) {
                return mismatch(c);
            }
            if (static_cast<uint32_t>(n) == 0 &&
                static_cast<uint32_t>(static_cast<uint64_t>(n) >> 32) == 0x80000000u)
                return outOfRange(c);
            putU64(p, static_cast<uint64_t>(n));
            return Status::success();
        }
        default:
            return mismatch(c);
    }
}

Value decodeValue(const ColumnDef& c, const uint8_t* image) {
    if (isBlobType(c.type) || isNull(c, image)) return Value::null();
    const uint8_t* p = image + c.offset;
    const char* s = reinterpret_cast<const char*>(p);
    switch (c.type) {
        case ColumnType::Logical:
            return Value::ofLogical(std::string_view("1TtYy").find(s[0]) != std::string_view::npos);
        case ColumnType::Numeric:
            return Value::ofDouble(std::strtod(std::string(s, c.length).c_str(), nullptr));
        case ColumnType::Date:
            return Value::ofDate(static_cast<int32_t>(getU32(p)));
        case ColumnType::CompactDate: {
            uint32_t packed = (p[0] << 16) | (p[1] << 8) | p[2];
            return Value::ofDate(julianFromCivil(packed >> 9, (packed >> 5) & 15, packed & 31));
        }
        case ColumnType::String:
        case ColumnType::CiString: {
            std::string t(s, c.length);
            for (char& ch : t)
                if (ch == '\0') ch = ' ';
            return Value::ofString(std::move(t), c.type == ColumnType::CiString);
        }
        case ColumnType::VarcharFox:
        case ColumnType::VarbinaryFox: {
            uint16_t len = std::min<uint16_t>(getU16(p + c.length), c.length);
            std::string t(s, len);
            return c.type == ColumnType::VarcharFox ? Value::ofString(std::move(t))
                                                    : Value::ofBinary(std::move(t));
        }
        case ColumnType::Raw:
            return Value::ofBinary(std::string(s, c.length));
        case ColumnType::NChar:
        case ColumnType::NVarchar: {
            uint32_t chars = c.length;
            if (c.type == ColumnType::NVarchar)
                chars = std::min<uint32_t>(getU16(p + 2 * c.length), c.length);
            std::u16string w(chars, u' ');
            for (uint32_t i = 0; i < chars; ++i) w[i] = getU16(p + 2 * i);
            return Value::ofString(cp1252::fromUtf16(w));
        }
        case ColumnType::Double:
        case ColumnType::CurDouble: {
            uint64_t bits = getU64(p);
            double d;
            std::memcpy(&d, &bits, 8);
            return Value::ofDouble(d);
        }
        case ColumnType::Integer:
        case ColumnType::AutoInc:
            return Value::ofInteger(static_cast<int32_t>(getU32(p)));
        case ColumnType::ShortInt:
            return Value::ofInteger(static_cast<int16_t>(getU16(p)));
        case ColumnType::Time:
            return Value::ofTime(static_cast<int32_t>(getU32(p)));
        case ColumnType::TimeStamp:
        case ColumnType::ModTime:
            return Value::ofTimeStamp(static_cast<int32_t>(getU32(p)),
                                      static_cast<int32_t>(getU32(p + 4)));
        case ColumnType::Money:
            return Value::ofDouble(static_cast<double>(static_cast<int64_t>(getU64(p))) / 10000.0);
        case ColumnType::RowVersion:
            return Value::ofInteger(static_cast<int64_t>(getU64(p)));
        default:
            return Value::null();
    }
}

Status writeColumnBytes(const ColumnDef& c, std::string_view bytes, uint8_t* image) {
    uint8_t* p = image + c.offset;
    switch (c.type) {
        case ColumnType::String:
        case ColumnType::CiString:
        case ColumnType::Numeric:
            fill(p, c.length, ' ');
            std::memcpy(p, bytes.data(), std::min<size_t>(bytes.size(), c.length));
            return Status::success();
        case ColumnType::Raw:
            fill(p, c.length, 0);
            std::memcpy(p, bytes.data(), std::min<size_t>(bytes.size(), c.length));
            return Status::success();
        case ColumnType::VarcharFox:
        case ColumnType::VarbinaryFox: {
            size_t len = std::min<size_t>(bytes.size(), c.length);
            fill(p, c.length, c.type == ColumnType::VarcharFox ? ' ' : 0);
            std::memcpy(p, bytes.data(), len);
            putU16(p + c.length, static_cast<uint16_t>(len));
            return Status::success();
        }
        case ColumnType::NChar:
        case ColumnType::NVarchar: {
            size_t chars = std::min<size_t>(bytes.size() / 2, c.length);
            putWide(c.length, u"", p);
            std::memcpy(p, bytes.data(), 2 * chars);
            if (c.type == ColumnType::NVarchar)
                putU16(p + 2 * c.length, static_cast<uint16_t>(chars));
            return Status::success();
        }
        default:
            if (isBlobType(c.type) || bytes.size() != storageSize(c)) return mismatch(c);
            std::memcpy(p, bytes.data(), bytes.size());
            return Status::success();
    }
}

int32_t julianFromCivil(int y, int m, int d) {
    int a = (14 - m) / 12;
    int yy = y + 4800 - a;
    int mm = m + 12 * a - 3;
    return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}

void civilFromJulian(int32_t jd, int* y, int* m, int* d) {
    int64_t a = static_cast<int64_t>(jd) + 32044;
    int64_t b = (4 * a + 3) / 146097;
    int64_t c = a - 146097 * b / 4;
    int64_t dd = (4 * c + 3) / 1461;
    int64_t e = c - 1461 * dd / 4;
    int64_t mm = (5 * e + 2) / 153;
    *d = static_cast<int>(e - (153 * mm + 2) / 5 + 1);
    *m = static_cast<int>(mm + 3 - 12 * (mm / 10));
    *y = static_cast<int>(100 * b + dd - 4800 + mm / 10);
}

}  // namespace engine::record
