// Record images: storage form and null encoding of every column type, value round trips,
// key ordering and the ROWID digits.
#include "engine/record/record.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/include/engine_api.h"
#include "engine/record/raw_key.h"
#include "engine/record/record_text.h"

namespace engine::record {
namespace {

ColumnDef column(ColumnType type, uint32_t length = 0, uint16_t decimals = 0) {
    ColumnDef c;
    c.name = "C";
    c.type = type;
    c.length = length ? length : defaultLength(type);
    c.decimals = decimals;
    return c;
}

std::string hex(const std::string& bytes) {
    static const char* k = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out.push_back(k[b >> 4]);
        out.push_back(k[b & 15]);
    }
    return out;
}

// Null encodings byte by byte, as the data-access layer's blank test reads them.
struct NullCase {
    ColumnType type;
    uint32_t length;
    const char* bytes;  // hex of the whole storage
};

TEST(RecordImage, NullEncodingOfEveryType) {
    const NullCase cases[] = {
        {ColumnType::Logical, 1, "20"},
        {ColumnType::Numeric, 5, "0000000000"},
        {ColumnType::Date, 4, "00000000"},
        {ColumnType::String, 3, "000000"},
        {ColumnType::CiString, 2, "0000"},
        {ColumnType::Memo, 0, "0000000000000000"},
        {ColumnType::NMemo, 0, "0000000000000000"},
        {ColumnType::CompactDate, 3, "000000"},
        {ColumnType::Double, 8, "2000000000000080"},
        {ColumnType::CurDouble, 8, "2000000000000080"},
        {ColumnType::Integer, 4, "00000080"},
        {ColumnType::ShortInt, 2, "0080"},
        {ColumnType::Time, 4, "ffffffff"},
        {ColumnType::AutoInc, 4, "ffffffff"},
        {ColumnType::TimeStamp, 8, "00000000ffffffff"},
        {ColumnType::ModTime, 8, "00000000ffffffff"},
        {ColumnType::Raw, 2, "0000"},
        {ColumnType::Money, 8, "0000000000000080"},
        {ColumnType::RowVersion, 8, "0000000000000080"},
        {ColumnType::VarcharFox, 2, "0000ffff"},
        {ColumnType::VarbinaryFox, 2, "0000ffff"},
        {ColumnType::NChar, 2, "00000000"},
        {ColumnType::NVarchar, 1, "0000ffff"},
    };
    for (const NullCase& nc : cases) {
        std::vector<ColumnDef> cols{column(nc.type, nc.length)};
        uint32_t len = layoutColumns(cols);
        std::string image = blankImage(cols, len);
        EXPECT_EQ(hex(image), nc.bytes) << "type " << int(nc.type);
        EXPECT_TRUE(isNull(cols[0], reinterpret_cast<const uint8_t*>(image.data())));
    }
}

// Value in, bytes stored, value back out.
struct RoundTrip {
    ColumnDef col;
    Value in;
    const char* bytes;  // hex of the storage, or nullptr to skip the byte check
};

TEST(RecordImage, ValuesRoundTripThroughTheirStorageForm) {
    int32_t jd = julianFromCivil(2024, 2, 29);
    const RoundTrip cases[] = {
        {column(ColumnType::Logical), Value::ofLogical(true), "54"},
        {column(ColumnType::Logical), Value::ofLogical(false), "46"},
        {column(ColumnType::Integer), Value::ofInteger(-5), "fbffffff"},
        {column(ColumnType::ShortInt), Value::ofInteger(300), "2c01"},
        {column(ColumnType::AutoInc), Value::ofInteger(7), "07000000"},
        {column(ColumnType::String, 5), Value::ofString("ab"), "6162202020"},
        {column(ColumnType::Numeric, 6, 2), Value::ofDouble(-1.5), "2d312e3530"},
        {column(ColumnType::Date), Value::ofDate(jd), nullptr},
        {column(ColumnType::CompactDate), Value::ofDate(jd), "0fd05d"},
        {column(ColumnType::Time), Value::ofTime(3723004), nullptr},
        {column(ColumnType::TimeStamp), Value::ofTimeStamp(jd, 1000), nullptr},
        {column(ColumnType::Double), Value::ofDouble(2.5), "0000000000000440"},
        {column(ColumnType::Money), Value::ofDouble(1.25), "d430000000000000"},
        {column(ColumnType::RowVersion), Value::ofInteger(9), nullptr},
        {column(ColumnType::VarcharFox, 4), Value::ofString("xy"), "787920200200"},
        {column(ColumnType::NChar, 2), Value::ofString("\xe9"), "e9002000"},
        {column(ColumnType::NVarchar, 3), Value::ofString("\x80"),
         "ac2020002000"
         "0100"},
        {column(ColumnType::Raw, 3), Value::ofBinary(std::string("\x01\x02", 2)), "010200"},
    };
    for (const RoundTrip& rt : cases) {
        std::vector<ColumnDef> cols{rt.col};
        uint32_t len = layoutColumns(cols);
        std::string image(len, '\0');
        auto* p = reinterpret_cast<uint8_t*>(image.data());
        ASSERT_TRUE(encodeValue(cols[0], rt.in, p).ok()) << "type " << int(rt.col.type);
        // Numeric text is right-aligned: "-1.50" in 6 bytes has one leading blank.
        if (rt.col.type == ColumnType::Numeric) {
            EXPECT_EQ(image, " -1.50");
        } else if (rt.bytes) {
            EXPECT_EQ(hex(image), rt.bytes) << "type " << int(rt.col.type);
        }
        EXPECT_FALSE(isNull(cols[0], p));
        Value out = decodeValue(cols[0], p);
        switch (rt.in.kind) {
            case Value::Kind::String:
                if (rt.col.type == ColumnType::String)
                    EXPECT_EQ(out.text, "ab   ");
                else if (rt.col.type == ColumnType::NChar)
                    EXPECT_EQ(out.text, "\xe9 ");
                else if (rt.col.type == ColumnType::NVarchar)
                    EXPECT_EQ(out.text, "\x80");
                else
                    EXPECT_EQ(out.text, rt.in.text);
                break;
            case Value::Kind::Double:
                EXPECT_DOUBLE_EQ(out.real, rt.in.real);
                break;
            case Value::Kind::Integer:
                EXPECT_EQ(out.integer, rt.in.integer);
                break;
            case Value::Kind::Logical:
                EXPECT_EQ(out.logical, rt.in.logical);
                break;
            case Value::Kind::Date:
                EXPECT_EQ(out.julian, rt.in.julian);
                break;
            case Value::Kind::Time:
                EXPECT_EQ(out.millis, rt.in.millis);
                break;
            case Value::Kind::TimeStamp:
                EXPECT_EQ(out.julian, rt.in.julian);
                EXPECT_EQ(out.millis, rt.in.millis);
                break;
            case Value::Kind::Binary:
                EXPECT_EQ(out.text, std::string("\x01\x02\x00", 3));
                break;
            default:
                break;
        }
    }
}

TEST(RecordImage, RefusesWhatDoesNotFit) {
    struct Bad {
        ColumnDef col;
        Value v;
        uint32_t code;
    } cases[] = {
        {column(ColumnType::Integer), Value::ofInteger(INT32_MIN), AE_COLUMN_VALUE_INVALID},
        {column(ColumnType::Integer), Value::ofInteger(1ll << 40), AE_COLUMN_VALUE_INVALID},
        {column(ColumnType::ShortInt), Value::ofInteger(-32768), AE_COLUMN_VALUE_INVALID},
        {column(ColumnType::Numeric, 4, 1), Value::ofDouble(1234.5), AE_COLUMN_VALUE_INVALID},
        {column(ColumnType::Integer), Value::ofString("12x"), AE_COLUMN_TYPE_MISMATCH},
        {column(ColumnType::Date), Value::ofString("2023-02-30"), AE_COLUMN_TYPE_MISMATCH},
        {column(ColumnType::Logical), Value::ofString("maybe"), AE_COLUMN_TYPE_MISMATCH},
    };
    for (const Bad& b : cases) {
        std::vector<ColumnDef> cols{b.col};
        uint32_t len = layoutColumns(cols);
        std::string image = blankImage(cols, len);
        std::string before = image;
        Status s = encodeValue(cols[0], b.v, reinterpret_cast<uint8_t*>(image.data()));
        EXPECT_EQ(s.code, b.code) << "type " << int(b.col.type);
        EXPECT_NE(s.text.find("column \"C\""), std::string::npos) << s.text;
        EXPECT_EQ(image, before);
    }
}

TEST(RecordImage, EmptyTextIsStoredAsZeroBytesAndShortWritesArePadded) {
    std::vector<ColumnDef> cols{column(ColumnType::CiString, 4), column(ColumnType::NChar, 2)};
    uint32_t len = layoutColumns(cols);
    std::string image(len, 'x');
    auto* p = reinterpret_cast<uint8_t*>(image.data());
    ASSERT_TRUE(encodeValue(cols[0], Value::ofString(""), p).ok());
    EXPECT_TRUE(isNull(cols[0], p));
    ASSERT_TRUE(writeColumnBytes(cols[0], "ab", p).ok());
    EXPECT_EQ(image.substr(0, 4), "ab  ");
    ASSERT_TRUE(writeColumnBytes(cols[0], std::string(4, '\0'), p).ok());
    EXPECT_TRUE(isNull(cols[0], p));  // zero bytes written through AdsSetField read as null
    ASSERT_TRUE(writeColumnBytes(cols[1], std::string("A\0", 2), p).ok());
    EXPECT_EQ(hex(image.substr(4)), "41002000");
    EXPECT_EQ(writeColumnBytes(column(ColumnType::Integer), "abc", p).code,
              AE_COLUMN_TYPE_MISMATCH);
}

TEST(RawKey, KeysSortLikeTheirValues) {
    std::vector<ColumnDef> cols{column(ColumnType::Integer), column(ColumnType::CiString, 3),
                                column(ColumnType::Double)};
    uint32_t len = layoutColumns(cols);
    auto keyOf = [&](int col, const Value& v) {
        std::string image = blankImage(cols, len);
        encodeValue(cols[col], v, reinterpret_cast<uint8_t*>(image.data()));
        return buildKey({&cols[col]}, reinterpret_cast<const uint8_t*>(image.data()));
    };
    EXPECT_LT(keyOf(0, Value::null()), keyOf(0, Value::ofInteger(-100)));
    EXPECT_LT(keyOf(0, Value::ofInteger(-100)), keyOf(0, Value::ofInteger(-1)));
    EXPECT_LT(keyOf(0, Value::ofInteger(-1)), keyOf(0, Value::ofInteger(0)));
    EXPECT_LT(keyOf(0, Value::ofInteger(255)), keyOf(0, Value::ofInteger(256)));
    EXPECT_EQ(keyOf(1, Value::ofString("abc")), keyOf(1, Value::ofString("ABC")));
    EXPECT_LT(keyOf(1, Value::ofString("AB")), keyOf(1, Value::ofString("ABA")));
    EXPECT_LT(keyOf(2, Value::ofDouble(-2.5)), keyOf(2, Value::ofDouble(-0.5)));
    EXPECT_LT(keyOf(2, Value::ofDouble(0.5)), keyOf(2, Value::ofDouble(10)));

    // A key built from the bytes a client sets equals the record's own key.
    std::string fromBytes;
    uint8_t raw[4];
    putU32(raw, static_cast<uint32_t>(-100));
    ASSERT_TRUE(appendKeySegmentFromBytes(
                    cols[0], std::string_view(reinterpret_cast<char*>(raw), 4), true, fromBytes)
                    .ok());
    EXPECT_EQ(fromBytes, keyOf(0, Value::ofInteger(-100)));
    std::string partial;
    ASSERT_TRUE(appendKeySegmentFromBytes(cols[1], "ab", false, partial).ok());
    EXPECT_EQ(partial, "AB");
}

// Names match without regard to ASCII letter case only: bytes that differ by 0x20 but are
// not letters, and accented letters, stay different.
TEST(CodePage, NamesEqualWithoutRegardToAsciiCase) {
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"OSUserLoginName", "OSUserLoginName", true},
        {"nom", "NOM", true},
        {"Nom1_z", "nOM1_Z", true},
        {"sp_mgGetLockOwner", "SP_MGGETLOCKOWNER", true},
        {"Nom", "Noms", false},
        {"@", "`", false},
        {"[", "{", false},
        {"Z[", "z{", false},
        {"^", "~", false},
        {"a b", "A_B", false},
        {"\xE9", "\xC9", false},
        {"\xC9t\xE9", "\xE9T\xE9", false},
        {"", "", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(equalsNoCase(c.a, c.b), c.equal) << c.a << " " << c.b;
        EXPECT_EQ(equalsNoCase(c.b, c.a), c.equal) << c.b << " " << c.a;
    }
}

// Spaces and tabs go from both ends, and only they: a text of blanks alone is empty.
TEST(CodePage, TrimmingRemovesSpacesAndTabsAtBothEnds) {
    struct Case {
        std::string_view text;
        std::string_view trimmed;
    } cases[] = {
        {"", ""},
        {" ", ""},
        {"\t \t", ""},
        {"a", "a"},
        {"  a", "a"},
        {"a\t", "a"},
        {" \ta b\t ", "a b"},
        {"\na\r", "\na\r"},
        {" /d/T.adt ", "/d/T.adt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(trimBlanksView(c.text), c.trimmed) << "[" << c.text << "]";
        EXPECT_EQ(trimBlanks(c.text), c.trimmed) << "[" << c.text << "]";
    }
}

TEST(RowId, SixDigitsOfTheRecordNumber) {
    EXPECT_EQ(recordNumberDigits(1), "AAAAAB");
    EXPECT_EQ(recordNumberDigits(42), "AAAAAq");
    EXPECT_EQ(recordNumberDigits(64), "AAAABA");
    EXPECT_EQ(recordNumberDigits(63), "AAAAA/");
    std::string id = rowId(tableIdFor("/data/Clients.adt"), 42);
    EXPECT_EQ(id.size(), 18u);
    EXPECT_EQ(id.substr(12), "AAAAAq");
    EXPECT_NE(tableIdFor("/data/a.adt"), tableIdFor("/data/b.adt"));
}

}  // namespace
}  // namespace engine::record
