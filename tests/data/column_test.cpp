// Column coding in the record image: null tests, decoding, encoding, type mapping.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "data/ace.h"
#include "data/adscolumn.h"
#include "data/adserror.h"

namespace {

using T = TFieldType;
using ads::ColumnContext;

TACEFieldDef column(uint16_t type, uint32_t length, uint16_t decimals = 0) {
    TACEFieldDef c;
    c.FNumber = 1;
    c.FType = type;
    c.FLength = length;
    c.FDecimals = decimals;
    c.FOffset = 2;  // not at the start, so offsets matter
    return c;
}

QByteArray image(const TACEFieldDef& c, const QByteArray& bytes) {
    QByteArray img(int(c.FOffset + c.FLength + 4), '\0');
    std::memcpy(img.data() + c.FOffset, bytes.constData(), size_t(bytes.size()));
    return img;
}

QByteArray i32(int32_t v) {
    return QByteArray(reinterpret_cast<const char*>(&v), 4);
}
QByteArray i16(int16_t v) {
    return QByteArray(reinterpret_cast<const char*>(&v), 2);
}
QByteArray i64(int64_t v) {
    return QByteArray(reinterpret_cast<const char*>(&v), 8);
}
QByteArray f64(double v) {
    return QByteArray(reinterpret_cast<const char*>(&v), 8);
}
QByteArray utf16(const QString& s) {
    return QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
}

TEST(Column, DecodesEveryTypeFromAnAdtImage) {
    const ColumnContext adt;
    struct Case {
        const char* what;
        TACEFieldDef col;
        QByteArray bytes;
        T field;
        QVariant expected;  // invalid: null
    } cases[] = {
        {"logical T", column(ADS_LOGICAL, 1), "T", T::ftBoolean, true},
        {"logical y", column(ADS_LOGICAL, 1), "y", T::ftBoolean, true},
        {"logical n", column(ADS_LOGICAL, 1), "n", T::ftBoolean, false},
        {"logical blank", column(ADS_LOGICAL, 1), " ", T::ftBoolean, QVariant()},
        {"numeric bcd", column(ADS_NUMERIC, 8, 2), "   12.50", T::ftBCD, QStringLiteral("12.50")},
        {"numeric float", column(ADS_NUMERIC, 8, 2), "  -12.50", T::ftFloat, -12.5},
        {"numeric smallint", column(ADS_NUMERIC, 4), "  42", T::ftSmallint, 42},
        {"numeric zeros", column(ADS_NUMERIC, 4), QByteArray(4, 0), T::ftSmallint, QVariant()},
        {"char trailing blanks", column(ADS_STRING, 12), "Inventaire  ", T::ftString,
         QByteArray("Inventaire")},
        {"cichar zero-terminated", column(ADS_CISTRING, 6), QByteArray("ab\0zz ", 6), T::ftString,
         QByteArray("ab")},
        {"char zeros", column(ADS_STRING, 4), QByteArray(4, 0), T::ftString, QVariant()},
        {"char blanks", column(ADS_STRING, 4), "    ", T::ftString, QByteArray()},
        {"integer", column(ADS_INTEGER, 4), i32(-7), T::ftInteger, -7},
        {"integer null", column(ADS_INTEGER, 4), i32(INT_MIN), T::ftInteger, QVariant()},
        {"shortint", column(ADS_SHORTINT, 2), i16(-5), T::ftSmallint, -5},
        {"shortint null", column(ADS_SHORTINT, 2), i16(-32768), T::ftSmallint, QVariant()},
        {"autoinc null", column(ADS_AUTOINC, 4), i32(-1), T::ftAutoInc, QVariant()},
        {"double", column(ADS_DOUBLE, 8), f64(2.5), T::ftFloat, 2.5},
        {"double null", column(ADS_DOUBLE, 8), i32(32) + i32(INT_MIN), T::ftFloat, QVariant()},
        {"date", column(ADS_DATE, 4), i32(2451545), T::ftDate, 2451545 - 1721425},
        {"date as datetime", column(ADS_DATE, 4), i32(2451545), T::ftDateTime,
         (2451545.0 - 1721425) * 86400000},
        {"date null", column(ADS_DATE, 4), i32(0), T::ftDate, QVariant()},
        {"time", column(ADS_TIME, 4), i32(3600000), T::ftTime, 3600000},
        {"time null", column(ADS_TIME, 4), i32(-1), T::ftTime, QVariant()},
        {"timestamp", column(ADS_TIMESTAMP, 8), i32(2451545) + i32(1500), T::ftDateTime,
         (2451545.0 - 1721425) * 86400000 + 1500},
        {"timestamp null", column(ADS_TIMESTAMP, 8), i32(0) + i32(5), T::ftDateTime, QVariant()},
        {"money", column(ADS_MONEY, 8), i64(-123456), T::ftBCD, QStringLiteral("-12.3456")},
        {"money null", column(ADS_MONEY, 8), i32(0) + i32(INT_MIN), T::ftBCD, QVariant()},
        {"rowversion", column(ADS_ROWVERSION, 8), i64(99), T::ftBCD, QStringLiteral("99")},
        {"raw", column(ADS_RAW, 3), QByteArray("\x01\x00\x02", 3), T::ftBytes,
         QByteArray("\x01\x00\x02", 3)},
        {"nchar", column(ADS_NCHAR, 8), utf16(QStringLiteral("é b ")), T::ftWideString,
         QStringLiteral("é b")},
        {"nvarchar", column(ADS_NVARCHAR, 8), utf16(QStringLiteral("abcd")) + i16(2),
         T::ftWideString, QStringLiteral("ab")},
        {"nvarchar null", column(ADS_NVARCHAR, 8), utf16(QStringLiteral("abcd")) + i16(-1),
         T::ftWideString, QVariant()},
        {"varchar_fox", column(ADS_VARCHAR_FOX, 6), QByteArray("abc   ") + i16(3), T::ftString,
         QByteArray("abc")},
        {"memo empty", column(ADS_MEMO, 4), i32(0), T::ftMemo, QVariant()},
    };
    for (const Case& c : cases) {
        QByteArray img = image(c.col, c.bytes);
        EXPECT_EQ(ads::isColumnBlank(c.col, img.constData(), adt), !c.expected.isValid()) << c.what;
        if (c.col.FType == ADS_MEMO) continue;
        EXPECT_EQ(ads::readColumn(c.col, img.constData(), c.field, adt), c.expected) << c.what;
    }
    TACEFieldDef numeric = column(ADS_NUMERIC, 4);
    QByteArray garbage = image(numeric, "  x1");
    EXPECT_FALSE(ads::readColumn(numeric, garbage.constData(), T::ftFloat, adt).isValid())
        << "a text that does not convert leaves no value, without failing";
}

TEST(Column, NullTestsOfOtherTableTypes) {
    ColumnContext ntx;
    ntx.tableType = ADS_NTX;
    EXPECT_TRUE(ads::isColumnBlank(column(ADS_STRING, 3),
                                   image(column(ADS_STRING, 3), "   ").constData(), ntx));
    EXPECT_FALSE(ads::isColumnBlank(column(ADS_INTEGER, 4),
                                    image(column(ADS_INTEGER, 4), i32(INT_MIN)).constData(), ntx));
    EXPECT_TRUE(ads::isColumnBlank(column(ADS_DATE, 8),
                                   image(column(ADS_DATE, 8), "        ").constData(), ntx));
}

TEST(Column, WritesReadBackAndNullsReadAsNull) {
    const ColumnContext adt;
    struct Case {
        const char* what;
        TACEFieldDef col;
        T field;
        QVariant value, readBack;
    } cases[] = {
        {"char cut to width", column(ADS_CISTRING, 5), T::ftString, QByteArray("Inventaire"),
         QByteArray("Inven")},
        {"empty char is zero bytes", column(ADS_CISTRING, 5), T::ftString, QByteArray(),
         QVariant()},
        {"integer", column(ADS_INTEGER, 4), T::ftInteger, 123, 123},
        {"shortint", column(ADS_SHORTINT, 2), T::ftSmallint, -3, -3},
        {"logical", column(ADS_LOGICAL, 1), T::ftBoolean, false, false},
        {"double", column(ADS_DOUBLE, 8), T::ftFloat, 0.25, 0.25},
        {"numeric", column(ADS_NUMERIC, 7, 2), T::ftBCD, QStringLiteral("-3.5"),
         QStringLiteral("-3.50")},
        {"date", column(ADS_DATE, 4), T::ftDate, 730120, 730120},
        {"timestamp", column(ADS_TIMESTAMP, 8), T::ftDateTime, 730120.0 * 86400000 + 61000,
         730120.0 * 86400000 + 61000},
        {"money", column(ADS_MONEY, 8), T::ftBCD, QStringLiteral("1.5"), QStringLiteral("1.5000")},
        {"nchar", column(ADS_NCHAR, 6), T::ftWideString, QStringLiteral("Zoé"),
         QStringLiteral("Zoé")},
        {"varchar_fox", column(ADS_VARCHAR_FOX, 6), T::ftString, QByteArray("ab"),
         QByteArray("ab")},
    };
    for (const Case& c : cases) {
        QByteArray img = image(c.col, QByteArray());
        ads::writeColumn(nullptr, c.col, img.data(), c.field, c.value, adt);
        EXPECT_EQ(ads::readColumn(c.col, img.constData(), c.field, adt), c.readBack) << c.what;
        ads::writeColumn(nullptr, c.col, img.data(), c.field, QVariant(), adt);
        EXPECT_TRUE(ads::isColumnBlank(c.col, img.constData(), adt)) << c.what << " null";
    }
}

TEST(Column, NumbersThatDoNotFitFail) {
    const ColumnContext adt;
    TACEFieldDef c = column(ADS_NUMERIC, 5, 2);
    QByteArray img = image(c, QByteArray());
    for (QVariant v : {QVariant(QStringLiteral("1234.5")), QVariant(QStringLiteral("12.34"))}) {
        try {
            ads::writeColumn(nullptr, c, img.data(), T::ftBCD, v, adt);
            FAIL() << v.toString().toStdString();
        } catch (const EADSDatabaseError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Numeric out of range."));
        }
    }
    ads::writeColumn(nullptr, c, img.data(), T::ftBCD, QStringLiteral("-1.25"), adt);
    EXPECT_EQ(QByteArray(img.constData() + c.FOffset, 5), QByteArray("-1.25"));
    ads::writeColumn(nullptr, c, img.data(), T::ftFloat, 1.5, adt);
    EXPECT_EQ(QByteArray(img.constData() + c.FOffset, 5), QByteArray(" 1.50"));
}

TEST(Column, EngineTypesMapToFieldTypes) {
    struct Case {
        uint16_t type;
        uint32_t length;
        uint16_t decimals, tableType;
        T field;
        int size, precision;
    } cases[] = {
        {ADS_NUMERIC, 10, 2, ADS_ADT, T::ftBCD, 2, 8},
        {ADS_NUMERIC, 20, 2, ADS_ADT, T::ftFMTBcd, 2, 18},
        {ADS_NUMERIC, 10, 5, ADS_ADT, T::ftFMTBcd, 5, 8},
        {ADS_NUMERIC, 6, 0, ADS_ADT, T::ftBCD, 0, 5},
        {ADS_NUMERIC, 4, 0, ADS_NTX, T::ftSmallint, 0, 0},
        {ADS_NUMERIC, 5, 0, ADS_NTX, T::ftFloat, 0, 0},
        {ADS_CISTRING, 25, 0, ADS_ADT, T::ftString, 25, 0},
        {ADS_NCHAR, 10, 0, ADS_ADT, T::ftWideString, 10, 0},
        {ADS_MONEY, 8, 0, ADS_ADT, T::ftBCD, 4, 20},
        {ADS_ROWVERSION, 8, 0, ADS_ADT, T::ftBCD, 0, 20},
        {ADS_MODTIME, 8, 0, ADS_ADT, T::ftDateTime, 0, 0},
        {ADS_CURDOUBLE, 8, 0, ADS_ADT, T::ftCurrency, 0, 0},
        {ADS_IMAGE, 9, 0, ADS_ADT, T::ftBlob, 1, 0},
        {ADS_VARBINARY_FOX, 7, 0, ADS_ADT, T::ftVarBytes, 7, 0},
    };
    for (const Case& c : cases) {
        ads::MappedType m =
            ads::mapColumnType(nullptr, c.type, c.length, c.decimals, c.tableType, false);
        EXPECT_EQ(m.type, c.field) << c.type;
        EXPECT_EQ(m.size, c.size) << c.type;
        EXPECT_EQ(m.precision, c.precision) << c.type;
    }
    for (uint16_t bad : {0, 19, 25, 99}) {
        try {
            ads::mapColumnType(nullptr, bad, 4, 0, ADS_ADT, false);
            FAIL() << bad;
        } catch (const EADSDatabaseError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Unknown field type (%1) encountered.").arg(bad));
        }
    }
}

}  // namespace
