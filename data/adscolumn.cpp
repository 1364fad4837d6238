// adscolumn.cpp: decoding and encoding column values in the record image.
#include "data/adscolumn.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "data/ace.h"
#include "data/adserror.h"
#include "db/field.h"

namespace ads {
namespace {

using T = TFieldType;
constexpr int32_t kJulianOffset = 1721425;  // Julian day of the framework's day 0
constexpr double kMsPerDay = 86400000.0;
constexpr int32_t kIntNull = std::numeric_limits<int32_t>::min();
constexpr uint16_t kAdt = 3, kVfp = 4;

bool allBytes(const char* p, uint32_t n, char a, char b) {
    for (uint32_t i = 0; i < n; ++i)
        if (p[i] != a && p[i] != b) return false;
    return true;
}

// The bytes of [p, p+n) up to the first NUL.
QByteArray zeroTerminated(const char* p, uint32_t n) {
    const void* nul = std::memchr(p, 0, n);
    return QByteArray(p, nul ? static_cast<const char*>(nul) - p : static_cast<qsizetype>(n));
}

QByteArray withoutTrailingBlanks(QByteArray b) {
    while (!b.isEmpty() && b.endsWith(' ')) b.chop(1);
    return b;
}

QString wideText(const char* p, uint32_t chars) {
    QString s;
    for (uint32_t i = 0; i < chars; ++i) {
        auto c = static_cast<char16_t>(static_cast<uint16_t>(get16(p + 2 * i)));
        if (c == 0) break;
        s.append(QChar(c));
    }
    while (s.endsWith(u' ')) s.chop(1);
    return s;
}

// A day number from CCYYMMDD text through the engine; invalid when the engine refuses.
QVariant dayFromText(const QByteArray& text) {
    double julian = 0;
    if (ace::api().AdsConvertStringToJulian(text.constData(), static_cast<UNSIGNED16>(text.size()),
                                            &julian) != AE_SUCCESS)
        return QVariant();
    return static_cast<int>(julian) - kJulianOffset;
}

QString scaledText(int64_t v, int scale) {
    if (scale == 0) return QString::number(v);
    bool negative = v < 0;
    uint64_t a = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    uint64_t div = 1;
    for (int i = 0; i < scale; ++i) div *= 10;
    return (negative ? QStringLiteral("-") : QString()) + QString::number(a / div) + u'.' +
           QStringLiteral("%1").arg(a % div, scale, 10, QChar(u'0'));
}

// Converts a date/time value between the native forms of the date family.
QVariant toFieldForm(const QVariant& v, uint16_t colType, T fieldType) {
    bool colIsDay = colType == ADS_DATE || colType == ADS_COMPACTDATE;
    bool colIsStamp = colType == ADS_TIMESTAMP || colType == ADS_MODTIME;
    bool wantsStamp = fieldType == T::ftDateTime || fieldType == T::ftTimeStamp;
    if (colIsDay && wantsStamp) return v.toInt() * kMsPerDay;
    if (colIsStamp && fieldType == T::ftDate)
        return static_cast<int>(std::floor(v.toDouble() / kMsPerDay));
    if (colIsStamp && fieldType == T::ftTime)
        return static_cast<int>(std::fmod(v.toDouble(), kMsPerDay));
    return v;
}

// The stored length of a variable-length column.
uint32_t storedLength(const TACEFieldDef& col, const char* p, uint16_t tableType) {
    uint32_t n = col.FLength;
    if (tableType == kAdt)
        n = static_cast<uint16_t>(get16(p + col.FLength));
    else if (tableType == kVfp && col.FLength > 0)
        n = static_cast<uint8_t>(p[col.FLength - 1]);
    return std::min(n, col.FLength);
}

[[noreturn]] void numericOutOfRange(const TAdsDataSet* ds) {
    adsLayerError(ds, QStringLiteral("Numeric out of range."));
}

QByteArray julianText(const TAdsDataSet* ds, int day) {
    char buf[32] = {};
    UNSIGNED16 len = sizeof buf - 1;
    if (ace::api().AdsConvertJulianToString(double(day + kJulianOffset), buf, &len) != AE_SUCCESS ||
        len >= sizeof buf)
        adsLayerError(ds, QStringLiteral("Something's wrong with the engine date functions"));
    return QByteArray(buf, len);
}

void writeNull(const TACEFieldDef& col, char* p, const ColumnContext& ctx) {
    uint32_t n = col.FLength;
    if (ctx.tableType != kAdt) {
        bool charLike = col.FType == ADS_LOGICAL || col.FType == ADS_NUMERIC ||
                        col.FType == ADS_STRING || col.FType == ADS_CISTRING ||
                        col.FType == ADS_VARCHAR_FOX || (col.FType == ADS_DATE && n != 4);
        std::memset(p, charLike ? ' ' : 0, n);
        if (ctx.tableType == kVfp && col.FNullable) {
            UNSIGNED8 flag = 1;
            UNSIGNED32 len = 1;
            ace::api().AdsAccessVfpSystemField(ctx.handle, ADSFIELD(col.FNumber), &flag, &len, 2);
        }
        return;
    }
    switch (col.FType) {
        case ADS_LOGICAL:
            p[0] = ' ';
            break;
        case ADS_DOUBLE:
        case ADS_CURDOUBLE:
            put32(p, 32);
            put32(p + 4, kIntNull);
            break;
        case ADS_INTEGER:
            put32(p, kIntNull);
            break;
        case ADS_SHORTINT:
            put16(p, -32768);
            break;
        case ADS_TIME:
        case ADS_AUTOINC:
            put32(p, -1);
            break;
        case ADS_TIMESTAMP:
        case ADS_MODTIME:
            put32(p, 0);
            put32(p + 4, -1);
            break;
        case ADS_MONEY:
        case ADS_ROWVERSION:
            put32(p, 0);
            put32(p + 4, kIntNull);
            break;
        case ADS_VARCHAR_FOX:
        case ADS_VARBINARY_FOX:
        case ADS_NVARCHAR:
            put16(p + n, -1);
            break;
        default:
            std::memset(p, 0, n);
            break;
    }
}

QString numericText(const TAdsDataSet* ds, const TACEFieldDef& col, T fieldType,
                    const QVariant& value) {
    if (fieldType == T::ftSmallint) return QString::number(value.toInt());
    bool ok = true;
    double d = value.toDouble(&ok);
    if (!ok) numericOutOfRange(ds);
    return QString::number(d, 'f', col.FDecimals);
}

}  // namespace

int16_t get16(const char* p) {
    int16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
int32_t get32(const char* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
int64_t get64(const char* p) {
    int64_t v;
    std::memcpy(&v, p, 8);
    return v;
}
void put16(char* p, int16_t v) {
    std::memcpy(p, &v, 2);
}
void put32(char* p, int32_t v) {
    std::memcpy(p, &v, 4);
}
void put64(char* p, int64_t v) {
    std::memcpy(p, &v, 8);
}

bool isStringColumn(uint16_t t) {
    return t == ADS_STRING || t == ADS_CISTRING || t == ADS_VARCHAR_FOX;
}
bool isWideColumn(uint16_t t) {
    return t == ADS_NCHAR || t == ADS_NVARCHAR;
}
bool isBlobColumn(uint16_t t) {
    return t == ADS_MEMO || t == ADS_BINARY || t == ADS_IMAGE || t == ADS_VARCHAR ||
           t == ADS_NMEMO || t == 51 || t == 52;
}

MappedType mapColumnType(const TAdsDataSet* ds, uint16_t type, uint32_t length, uint16_t decimals,
                         uint16_t tableType, bool numericsAsFloats) {
    int len = static_cast<int>(length);
    switch (type) {
        case ADS_LOGICAL:
            return {T::ftBoolean};
        case ADS_NUMERIC:
            if (tableType == kAdt && !numericsAsFloats) {
                int precision = decimals > 0 ? len - 2 : len - 1;
                T t = decimals <= 4 && length <= 18 ? T::ftBCD : T::ftFMTBcd;
                return {t, decimals, precision};
            }
            return {decimals > 0 || length >= 5 ? T::ftFloat : T::ftSmallint};
        case ADS_DATE:
        case ADS_COMPACTDATE:
            return {T::ftDate};
        case ADS_STRING:
        case ADS_CISTRING:
        case ADS_VARCHAR_FOX:
            return {T::ftString, len};
        case ADS_MEMO:
        case ADS_VARCHAR:
            return {T::ftMemo, 1};
        case ADS_BINARY:
        case ADS_IMAGE:
        case 51:
        case 52:
            return {T::ftBlob, 1};
        case ADS_DOUBLE:
            return {T::ftFloat};
        case ADS_INTEGER:
            return {T::ftInteger};
        case ADS_SHORTINT:
            return {T::ftSmallint};
        case ADS_TIME:
            return {T::ftTime};
        case ADS_TIMESTAMP:
        case ADS_MODTIME:
            return {T::ftDateTime};
        case ADS_AUTOINC:
            return {T::ftAutoInc};
        case ADS_RAW:
            return {T::ftBytes, len};
        case ADS_CURDOUBLE:
            return {T::ftCurrency};
        case ADS_MONEY:
            return {T::ftBCD, 4, 20};
        case ADS_ROWVERSION:
            return {T::ftBCD, 0, 20};
        case ADS_VARBINARY_FOX:
            return {T::ftVarBytes, len};
        case ADS_NCHAR:
        case ADS_NVARCHAR:
            return {T::ftWideString, len};
        case ADS_NMEMO:
            return {T::ftWideMemo, 1};
        default:
            adsLayerError(ds, QStringLiteral("Unknown field type (%1) encountered.").arg(type));
    }
}

bool isColumnBlank(const TACEFieldDef& col, const char* image, const ColumnContext& ctx) {
    const char* p = image + col.FOffset;
    uint32_t n = col.FLength;
    uint16_t t = col.FType;
    if (ctx.tableType == kAdt) {
        switch (t) {
            case ADS_LOGICAL:
                return p[0] == ' ';
            case ADS_NUMERIC:
            case ADS_DATE:
            case ADS_STRING:
            case ADS_COMPACTDATE:
            case ADS_RAW:
            case ADS_CISTRING:
            case ADS_NCHAR:
                return allBytes(p, n, 0, 0);
            case ADS_MEMO:
            case ADS_BINARY:
            case ADS_IMAGE:
            case ADS_VARCHAR:
            case ADS_NMEMO:
                return get32(p) == 0;
            case ADS_DOUBLE:
            case ADS_CURDOUBLE:
                return get32(p) == 32 && get32(p + 4) == kIntNull;
            case ADS_INTEGER:
                return get32(p) == kIntNull;
            case ADS_SHORTINT:
                return get16(p) == -32768;
            case ADS_TIME:
            case ADS_AUTOINC:
                return get32(p) == -1;
            case ADS_TIMESTAMP:
            case ADS_MODTIME:
                return get32(p) == 0;
            case ADS_MONEY:
            case ADS_ROWVERSION:
                return get32(p) == 0 && get32(p + 4) == kIntNull;
            case ADS_VARCHAR_FOX:
            case ADS_VARBINARY_FOX:
            case ADS_NVARCHAR:
                return get16(p + n) == -1;
            default:
                return true;
        }
    }
    if (ctx.tableType == kVfp) {
        if (t == ADS_LOGICAL || t == ADS_NUMERIC || t == ADS_DATE) return allBytes(p, n, ' ', ' ');
        if (t == ADS_MEMO || t == ADS_BINARY || t == ADS_IMAGE || t == ADS_TIMESTAMP ||
            t == ADS_NMEMO)
            return get32(p) == 0;
        if (t == ADS_NVARCHAR) return get16(p + n) == -1;
        if (!col.FNullable) return false;
        UNSIGNED8 flag = 0;
        UNSIGNED32 len = 1;
        ace::api().AdsAccessVfpSystemField(ctx.handle, ADSFIELD(col.FNumber), &flag, &len, 1);
        return flag != 0;
    }
    switch (t) {
        case ADS_LOGICAL:
        case ADS_NUMERIC:
        case ADS_STRING:
            return allBytes(p, n, 0, ' ');
        case ADS_DATE:
            return n == 4 ? get32(p) == 0 : allBytes(p, n, 0, ' ');
        case ADS_COMPACTDATE:
            return allBytes(p, n, 0, 0);
        case ADS_MEMO:
        case ADS_BINARY:
        case ADS_IMAGE:
        case ADS_VARCHAR:
        case ADS_NMEMO:
            return get32(p) == 0;
        case ADS_DOUBLE:
        case ADS_INTEGER:
        case ADS_SHORTINT:
        case ADS_CURDOUBLE:
            return false;
        case ADS_NCHAR:
            return allBytes(p, n / 2, 0, ' ');
        case ADS_NVARCHAR:
            return get16(p + n) == -1;
        default:
            return true;
    }
}

QVariant readColumn(const TACEFieldDef& col, const char* image, TFieldType fieldType,
                    const ColumnContext& ctx) {
    if (isColumnBlank(col, image, ctx)) return QVariant();
    const char* p = image + col.FOffset;
    uint32_t n = col.FLength;
    QVariant v;
    switch (col.FType) {
        case ADS_LOGICAL:
            return QByteArray("1TYty").contains(p[0]);
        case ADS_NUMERIC: {
            QByteArray text = zeroTerminated(p, n).trimmed();
            bool ok = false;
            if (fieldType == T::ftSmallint)
                v = text.toInt(&ok);
            else if (fieldType == T::ftBCD || fieldType == T::ftFMTBcd) {
                text.toDouble(&ok);
                v = QString::fromLatin1(text);
            } else
                v = text.toDouble(&ok);
            return ok ? v : QVariant();
        }
        case ADS_DATE:
            v = n == 4 ? QVariant(get32(p) - kJulianOffset) : dayFromText(QByteArray(p, n));
            break;
        case ADS_COMPACTDATE: {
            auto b = reinterpret_cast<const uint8_t*>(p);
            int year = ((b[0] << 8) | b[1]) >> 1;
            int month = (b[1] & 1) * 8 + (b[2] >> 5);
            int day = b[2] & 0x1F;
            v = dayFromText(QStringLiteral("%1%2%3")
                                .arg(year, 4, 10, QChar(u'0'))
                                .arg(month, 2, 10, QChar(u'0'))
                                .arg(day, 2, 10, QChar(u'0'))
                                .toLatin1());
            break;
        }
        case ADS_STRING:
        case ADS_CISTRING:
            return withoutTrailingBlanks(zeroTerminated(p, n));
        case ADS_VARCHAR_FOX:
            return withoutTrailingBlanks(zeroTerminated(p, storedLength(col, p, ctx.tableType)));
        case ADS_VARBINARY_FOX:
            return QByteArray(p, storedLength(col, p, ctx.tableType));
        case ADS_DOUBLE:
        case ADS_CURDOUBLE: {
            double d;
            std::memcpy(&d, p, 8);
            return d;
        }
        case ADS_INTEGER:
        case ADS_AUTOINC:
        case ADS_TIME:
            return get32(p);
        case ADS_SHORTINT:
            return int{get16(p)};
        case ADS_TIMESTAMP:
        case ADS_MODTIME: {
            double ms = get32(p + 4);
            if (ctx.tableType == kVfp) ms = std::round(ms / 1000) * 1000;
            double stamp = (double(get32(p)) - kJulianOffset) * kMsPerDay + ms;
            v = stamp < 0 ? 0.0 : stamp;
            break;
        }
        case ADS_RAW:
            return QByteArray(p, n);
        case ADS_MONEY:
            return scaledText(get64(p), 4);
        case ADS_ROWVERSION:
            return scaledText(get64(p), 0);
        case ADS_NCHAR:
            return wideText(p, n / 2);
        case ADS_NVARCHAR:
            return wideText(p, std::min<uint32_t>(static_cast<uint16_t>(get16(p + n)), n / 2));
        default:
            return QVariant();  // blobs are not held in the image
    }
    return v.isValid() ? toFieldForm(v, col.FType, fieldType) : v;
}

void writeColumn(const TAdsDataSet* ds, const TACEFieldDef& col, char* image, TFieldType fieldType,
                 const QVariant& value, const ColumnContext& ctx) {
    char* p = image + col.FOffset;
    uint32_t n = col.FLength;
    if (!value.isValid()) return writeNull(col, p, ctx);
    bool dayForm = fieldType == T::ftDate;
    switch (col.FType) {
        case ADS_LOGICAL:
            p[0] = value.toBool() ? 'T' : 'F';
            break;
        case ADS_NUMERIC: {
            QString text = numericText(ds, col, fieldType, value);
            bool bcd = fieldType == T::ftBCD || fieldType == T::ftFMTBcd;
            if (text.isEmpty() || text.size() > static_cast<qsizetype>(n) || text.contains(u'E') ||
                (bcd && text.size() == static_cast<qsizetype>(n) && !text.startsWith(u'-')))
                numericOutOfRange(ds);
            std::memset(p, ' ', n);
            QByteArray b = text.toLatin1();
            std::memcpy(p + n - b.size(), b.constData(), static_cast<size_t>(b.size()));
            break;
        }
        case ADS_DATE:
        case ADS_COMPACTDATE: {
            int day = dayForm ? value.toInt()
                              : static_cast<int>(std::floor(value.toDouble() / kMsPerDay));
            if (col.FType == ADS_DATE && n == 4) {
                put32(p, day + kJulianOffset);
                break;
            }
            QByteArray text = julianText(ds, day);
            if (col.FType == ADS_DATE) {
                std::memset(p, ' ', n);
                std::memcpy(p, text.constData(),
                            std::min<size_t>(n, static_cast<size_t>(text.size())));
                break;
            }
            int year = text.left(4).toInt(), month = text.mid(4, 2).toInt(),
                dd = text.mid(6, 2).toInt();
            p[0] = static_cast<char>(year >> 7);
            p[1] = static_cast<char>(((year & 0x7F) << 1) | (month >> 3));
            p[2] = static_cast<char>(((month & 7) << 5) | dd);
            break;
        }
        case ADS_STRING:
        case ADS_CISTRING:
        case ADS_VARCHAR_FOX:
        case ADS_VARBINARY_FOX: {
            QByteArray b = value.toByteArray();
            bool zeros = b.isEmpty() && ctx.tableType == kAdt && !ctx.preserveSpaces &&
                         (col.FType == ADS_STRING || col.FType == ADS_CISTRING);
            std::memset(p, zeros ? 0 : ' ', n);
            size_t count = std::min<size_t>(n, static_cast<size_t>(b.size()));
            std::memcpy(p, b.constData(), count);
            if ((col.FType == ADS_VARCHAR_FOX || col.FType == ADS_VARBINARY_FOX) &&
                ctx.tableType == kAdt)
                put16(p + n, static_cast<int16_t>(count));
            break;
        }
        case ADS_NCHAR:
        case ADS_NVARCHAR: {
            QString s = value.toString();
            uint32_t chars = n / 2;
            bool zeros = s.isEmpty() && ctx.tableType == kAdt && !ctx.preserveSpaces;
            for (uint32_t i = 0; i < chars; ++i) put16(p + 2 * i, zeros ? 0 : 0x20);
            uint32_t count = std::min<uint32_t>(chars, static_cast<uint32_t>(s.size()));
            for (uint32_t i = 0; i < count; ++i)
                put16(p + 2 * i, static_cast<int16_t>(s[static_cast<qsizetype>(i)].unicode()));
            if (col.FType == ADS_NVARCHAR) put16(p + n, static_cast<int16_t>(count));
            break;
        }
        case ADS_DOUBLE:
        case ADS_CURDOUBLE: {
            double d = value.toDouble();
            std::memcpy(p, &d, 8);
            break;
        }
        case ADS_INTEGER:
        case ADS_AUTOINC:
        case ADS_TIME:
            put32(p, value.toInt());
            break;
        case ADS_SHORTINT:
            put16(p, static_cast<int16_t>(value.toInt()));
            break;
        case ADS_TIMESTAMP:
        case ADS_MODTIME: {
            double ms = dayForm ? value.toInt() * kMsPerDay : value.toDouble();
            double days = std::floor(ms / kMsPerDay);
            put32(p, static_cast<int32_t>(days) + kJulianOffset);
            put32(p + 4, static_cast<int32_t>(std::lround(ms - days * kMsPerDay)));
            break;
        }
        case ADS_RAW: {
            QByteArray b = value.toByteArray();
            std::memset(p, 0, n);
            std::memcpy(p, b.constData(), std::min<size_t>(n, static_cast<size_t>(b.size())));
            break;
        }
        case ADS_MONEY:
            put64(p, std::llround(value.toString().toDouble() * 10000));
            break;
        case ADS_ROWVERSION:
            put64(p, value.toString().toLongLong());
            break;
        default:
            break;  // blobs are written from their own values, not the image
    }
}

}  // namespace ads
