// text_test.cpp: statement texts given as UTF-16 reach the client as the same Windows-1252
// text whatever their length, where they start in memory and where a non-ASCII unit falls;
// integer fields read as their decoded values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codepage/cp1252.h"
#include "engine/client/field_text.h"
#include "engine/client/state.h"
#include "engine/record/record.h"

namespace {

using engine::client::narrowText;

// One unit alone, converted by itself: what each unit of a whole text must become.
char modelByte(uint16_t u) {
    return cp1252::fromUnicode(u);
}

TEST(NarrowText, EveryLengthOffsetAndPlaceOfAWideUnitMatchesTheModel) {
    // Units beyond ASCII: Latin-1, a 1252 letter from 0x80..0x9F, one the code page lacks,
    // and units whose low byte alone would look like ASCII or like a NUL.
    const uint16_t wideUnits[] = {0xE9, 0x20AC, 0x4E2D, 0x0141, 0x0100, 0x0081, 0xFF41};
    std::vector<uint16_t> buffer(80);
    for (size_t offset = 0; offset < 9; ++offset) {
        for (size_t length = 0; length < 40; ++length) {
            for (int wideAt = -1; wideAt < static_cast<int>(length); ++wideAt) {
                uint16_t* text = buffer.data() + offset;
                std::string expected;
                for (size_t i = 0; i < length; ++i) {
                    text[i] = static_cast<uint16_t>('A' + i % 26);
                    if (static_cast<int>(i) == wideAt)
                        text[i] = wideUnits[i % std::size(wideUnits)];
                    expected += modelByte(text[i]);
                }
                text[length] = 0;
                text[length + 1] = 'Z';  // whatever follows the NUL is not text
                ASSERT_EQ(narrowText(text), expected)
                    << "offset " << offset << " length " << length << " wide unit at " << wideAt;
            }
        }
    }
    EXPECT_EQ(narrowText(nullptr), "");
}

// Every width, sign, extreme and null of an integer column reads as its decimal value.
TEST(FieldText, IntegersReadAsTheirDecodedValues) {
    using engine::ColumnDef;
    using engine::ColumnType;
    using engine::Value;
    const struct Case {
        ColumnType type;
        uint32_t length;
        std::vector<int64_t> values;
    } cases[] = {
        {ColumnType::Integer, 4, {0, 7, -1, 2147483647, -2147483647}},
        {ColumnType::AutoInc, 4, {1, 2147483647}},
        {ColumnType::ShortInt, 2, {0, -1, 32767, -32767}},
        {ColumnType::RowVersion, 8, {1, 9223372036854775807}},
    };
    for (const Case& c : cases) {
        ColumnDef column;
        column.type = c.type;
        column.length = c.length;
        std::vector<Value> values = {Value::null()};
        for (int64_t v : c.values) values.push_back(Value::ofInteger(v));
        for (const Value& v : values) {
            std::vector<uint8_t> image(engine::record::storageSize(column));
            engine::record::writeNull(column, image.data());
            ASSERT_TRUE(engine::record::encodeValue(column, v, image.data()).ok());
            EXPECT_EQ(engine::client::fieldText(column, image.data(), nullptr),
                      v.isNull() ? std::string() : std::to_string(v.integer))
                << "type " << static_cast<int>(c.type) << " value " << v.integer
                << (v.isNull() ? " (null)" : "");
        }
    }
}

}  // namespace
