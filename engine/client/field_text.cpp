// field_text.cpp: column values as text and back, over the record codec.
#include "engine/client/field_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "codepage/cp1252.h"
#include "engine/include/engine_api.h"
#include "engine/record/record.h"
#include "engine/record/record_text.h"

namespace engine::client {
namespace {

std::string timeText(int32_t ms) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", ms / 3600000, ms / 60000 % 60,
                  ms / 1000 % 60, ms % 1000);
    return buf;
}

std::string numberText(double v, uint16_t decimals) {
    char buf[64];
    if (decimals > 0) {
        std::snprintf(buf, sizeof buf, "%.*f", static_cast<int>(decimals), v);
    } else {
        std::snprintf(buf, sizeof buf, "%.15g", v);
    }
    return buf;
}

bool isWide(ColumnType t) {
    return t == ColumnType::NChar || t == ColumnType::NVarchar;
}

}  // namespace

bool julianFromText(std::string_view text, int32_t* julian) {
    std::string t = record::trimBlanks(text);
    if (t.empty()) {
        *julian = 0;
        return true;
    }
    if (t.size() != 8) return false;
    for (char ch : t) {
        if (ch < '0' || ch > '9') return false;
    }
    int y = std::atoi(t.substr(0, 4).c_str());
    int m = std::atoi(t.substr(4, 2).c_str());
    int d = std::atoi(t.substr(6, 2).c_str());
    if (m < 1 || m > 12 || d < 1 || d > 31) return false;
    int32_t jd = record::julianFromCivil(y, m, d);
    int yy, mm, dd;
    record::civilFromJulian(jd, &yy, &mm, &dd);
    if (yy != y || mm != m || dd != d) return false;  // 31 April and the like
    *julian = jd;
    return true;
}

std::string textFromJulian(int32_t julian) {
    if (julian <= 0) return std::string(8, ' ');
    int y, m, d;
    record::civilFromJulian(julian, &y, &m, &d);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", y % 10000, m, d);
    return buf;
}

std::u16string bytesAsWide(const std::string& bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    std::memcpy(units.data(), bytes.data(), units.size() * 2);
    return units;
}

std::string fieldText(const ColumnDef& column, const uint8_t* image, const std::string* blob) {
    if (record::isBlobType(column.type)) {
        if (!blob) return "";
        if (column.type == ColumnType::NMemo) return cp1252::fromUtf16(bytesAsWide(*blob));
        return *blob;
    }
    Value v = record::decodeValue(column, image);
    switch (v.kind) {
        case Value::Kind::Null:
            return "";
        case Value::Kind::Logical:
            return v.logical ? "T" : "F";
        case Value::Kind::Integer:
            return std::to_string(v.integer);
        case Value::Kind::Double:
            if (column.type == ColumnType::Numeric) {
                // The stored text itself, without the blanks that right-align it.
                return record::trimBlanks(std::string_view(
                    reinterpret_cast<const char*>(image + column.offset), column.length));
            }
            return numberText(v.real, column.type == ColumnType::Money ? 4 : column.decimals);
        case Value::Kind::String:
        case Value::Kind::Binary:
            return std::move(v.text);
        case Value::Kind::Date:
            return textFromJulian(v.julian);
        case Value::Kind::Time:
            return timeText(v.millis);
        case Value::Kind::TimeStamp:
            return textFromJulian(v.julian) + " " + timeText(v.millis);
    }
    return "";
}

std::u16string fieldWideText(const ColumnDef& column, const uint8_t* image,
                             const std::string* blob) {
    if (column.type == ColumnType::NMemo && blob) return bytesAsWide(*blob);
    if (isWide(column.type) && !record::isNull(column, image)) {
        size_t units = column.length;
        if (column.type == ColumnType::NVarchar) {
            units =
                std::min<size_t>(record::getU16(image + column.offset + column.length * 2), units);
        }
        std::u16string wide(units, u'\0');
        std::memcpy(wide.data(), image + column.offset, units * 2);
        return wide;
    }
    return cp1252::toUtf16(fieldText(column, image, blob));
}

bool takesBytes(const ColumnDef& column) {
    switch (column.type) {
        case ColumnType::String:
        case ColumnType::CiString:
        case ColumnType::VarcharFox:
        case ColumnType::VarbinaryFox:
        case ColumnType::Raw:
        case ColumnType::Numeric:
        case ColumnType::NChar:
        case ColumnType::NVarchar:
            return true;
        default:
            return false;
    }
}

Status parseFieldText(const ColumnDef& column, std::string_view text, Value* out) {
    std::string t = record::trimBlanks(text);
    auto invalid = [&]() {
        return Status::error(AE_COLUMN_VALUE_INVALID,
                             "Invalid value \"" + t + "\" for column \"" + column.name + "\".");
    };
    if (t.empty()) {
        *out = Value::null();
        return {};
    }
    char* end = nullptr;
    switch (column.type) {
        case ColumnType::Logical: {
            char c = static_cast<char>(cp1252::upper(
                static_cast<unsigned char>(t[0] == '.' && t.size() > 1 ? t[1] : t[0])));
            *out = Value::ofLogical(c == 'T' || c == 'Y' || c == '1');
            return {};
        }
        case ColumnType::Integer:
        case ColumnType::ShortInt:
        case ColumnType::AutoInc:
        case ColumnType::RowVersion: {
            long long v = std::strtoll(t.c_str(), &end, 10);
            if (*end) return invalid();
            *out = Value::ofInteger(v);
            return {};
        }
        case ColumnType::Double:
        case ColumnType::CurDouble:
        case ColumnType::Money: {
            double v = std::strtod(t.c_str(), &end);
            if (*end || !std::isfinite(v)) return invalid();
            *out = Value::ofDouble(v);
            return {};
        }
        case ColumnType::Date:
        case ColumnType::CompactDate: {
            int32_t jd = 0;
            if (!julianFromText(t, &jd)) return invalid();
            *out = Value::ofDate(jd);
            return {};
        }
        default:
            *out = Value::ofString(t);
            return {};
    }
}

bool columnBytes(const ColumnDef& column, const uint8_t* image, std::string* bytes) {
    if (record::isNull(column, image)) return false;
    const char* p = reinterpret_cast<const char*>(image + column.offset);
    switch (column.type) {
        case ColumnType::VarcharFox:
        case ColumnType::VarbinaryFox:
            bytes->assign(p,
                          std::min<uint32_t>(record::getU16(image + column.offset + column.length),
                                             column.length));
            return true;
        case ColumnType::NVarchar:
            bytes->assign(
                p, 2 * std::min<uint32_t>(record::getU16(image + column.offset + 2 * column.length),
                                          column.length));
            return true;
        default:
            bytes->assign(p, record::storageSize(column));
            return true;
    }
}

}  // namespace engine::client
