// text_test.cpp: statement texts given as UTF-16 reach the client as the same Windows-1252
// text whatever their length, where they start in memory and where a non-ASCII unit falls.
#include "engine/client/state.h"
#include "record/record.h"

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

}  // namespace
