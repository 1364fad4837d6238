// codec_test.cpp: record numbers to and from the six-character form.
#include "tools/codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "tests/ui/qt_print.h"

namespace {

// Record numbers and their forms; each line holds both ways.
TEST(Codec, WorkedValuesBothWays) {
    struct {
        int32_t recNo;
        const char* form;
    } const cases[] = {
        {0, "AAAAAA"},          {1, "AAAAAB"},          {27, "AAAAAb"},
        {63, "AAAAA/"},         {64, "AAAABA"},         {4095, "AAAA//"},
        {4096, "AAABAA"},       {12345, "AAADA5"},      {262143, "AAA///"},
        {262144, "AABAAA"},     {1000000, "AAD0JA"},    {16777215, "AA////"},
        {16777216, "ABAAAA"},   {1073741823, "A/////"}, {1073741824, "BAAAAA"},
        {2147483647, "B/////"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Encode64(c.recNo), c.form) << c.recNo;
        EXPECT_EQ(TrouverRecNo(c.form), c.recNo) << c.form;
        EXPECT_EQ(TrouverRecNo(QStringLiteral("0123456789ab") + c.form, RecNoForm::RowId), c.recNo)
            << c.form;
    }
}

// Text that is no well-formed form still decodes, by wrap-around arithmetic.
TEST(Codec, IllFormedTextDecodes) {
    struct {
        const char16_t* text;
        RecNoForm form;
        int32_t recNo;
    } const cases[] = {
        {u"", RecNoForm::SixChars, -1090785345},
        {u"B", RecNoForm::SixChars, 1056698303},
        {u"AAAAA", RecNoForm::SixChars, -1},
        {u"AAAAA?", RecNoForm::SixChars, -1},
        {u"//////", RecNoForm::SixChars, -1},
        {u"aaaaaa", RecNoForm::SixChars, -1704352102},
        {u"AAAAAb", RecNoForm::SixChars, 27},
        {u"AAAAABxyz", RecNoForm::SixChars, 1},     // after the sixth: ignored
        {u"AAAAA\u00C1", RecNoForm::SixChars, -1},  // accented letter is foreign
        {u"AAAAA=", RecNoForm::SixChars, -1},       // no fill character
        {u"\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9AAAAAB",
         RecNoForm::RowId, 1},
        {u"xxxxxxxxxxxxAAAAABzz", RecNoForm::RowId, 1},
        {u"AAAAAB", RecNoForm::RowId, -1090785345},  // characters 13-18 all missing
        {u"xxxxxxxxxxxxB", RecNoForm::RowId, 1056698303},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(TrouverRecNo(text, c.form), c.recNo) << text.toStdString();
    }
}

// Negative values are no record numbers; they encode as their unsigned pattern and decode
// back to themselves.
TEST(Codec, NegativeValuesRoundTrip) {
    struct {
        int32_t value;
        const char* form;
    } const cases[] = {
        {-1, "D/////"},
        {INT32_MIN, "CAAAAA"},
        {-64, "D////A"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Encode64(c.value), c.form) << c.value;
        EXPECT_EQ(TrouverRecNo(c.form), c.value) << c.form;
    }
}

TEST(Codec, RandomValuesRoundTrip) {
    std::mt19937 rng(20261210);
    std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX);
    for (int i = 0; i < 100000; ++i) {
        const int32_t n = any(rng);
        const QString form = Encode64(n);
        ASSERT_EQ(form.size(), 6);
        if (n >= 0) {
            ASSERT_TRUE(form[0] == u'A' || form[0] == u'B') << n;
        }
        ASSERT_EQ(TrouverRecNo(form), n) << n;
    }
}

}  // namespace
