// text_test.cpp: statement texts given as UTF-16 reach the client as the same Windows-1252
// text whatever their length, where they start in memory and where a non-ASCII unit falls;
// field texts read without a copy are the texts fieldText gives.
#include "engine/client/field_text.h"
#include "engine/client/state.h"
#include "engine/record/record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using engine::client::narrowText;

// One unit alone is converted unit by unit: the model the faster paths must match.
char modelByte(uint16_t u) { return engine::record::fromUtf16(std::u16string(1, static_cast<char16_t>(u)))[0]; }

TEST(NarrowText, EveryLengthOffsetAndPlaceOfAWideUnitMatchesTheModel) {
    // Units beyond ASCII: Latin-1, a 1252 letter from 0x80..0x9F, one the code page lacks,
    // and units whose low byte alone would look like ASCII or like a NUL.
    const uint16_t wideUnits[] = {0xE9, 0x20AC, 0x4E2D, 0x0141, 0x0100, 0x0081, 0xFF41};
    std::vector<uint16_t> buffer(80);
    std::string out = "a longer text whose buffer is reused by the next conversion";
    for (size_t offset = 0; offset < 9; ++offset) {
        for (size_t length = 0; length < 40; ++length) {
            for (int wideAt = -1; wideAt < static_cast<int>(length); ++wideAt) {
                uint16_t* text = buffer.data() + offset;
                std::string expected;
                for (size_t i = 0; i < length; ++i) {
                    text[i] = static_cast<uint16_t>('A' + i % 26);
                    if (static_cast<int>(i) == wideAt) text[i] = wideUnits[i % std::size(wideUnits)];
                    expected += modelByte(text[i]);
                }
                text[length] = 0;
                text[length + 1] = 'Z';  // whatever follows the NUL is not text
                narrowText(text, &out);
                ASSERT_EQ(out, expected) << "offset " << offset << " length " << length
                                         << " wide unit at " << wideAt;
            }
        }
    }
    narrowText(nullptr, &out);
    EXPECT_EQ(out, "");
}

// Integers are formatted straight from the image: every width, sign, extreme and null
// reads as fieldText, by way of a decoded value, reads it.
TEST(FieldTextView, IntegersReadAsTheirDecodedValues) {
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
            std::string scratch;
            EXPECT_EQ(engine::client::fieldTextView(column, image.data(), nullptr, &scratch),
                      engine::client::fieldText(column, image.data(), nullptr))
                << "type " << static_cast<int>(c.type) << " value " << v.integer << (v.isNull() ? " (null)" : "");
        }
    }
}

}  // namespace
