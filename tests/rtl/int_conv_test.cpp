// int_conv_test.cpp: the integer syntax, one line per text.
#include "rtl/int_conv.h"

#include <gtest/gtest.h>

#include <optional>

#include "rtl/exception.h"
#include "tests/ui/qt_print.h"

namespace {

struct Case {
    const char16_t* text;
    std::optional<int32_t> value;  // nullopt: not an integer
};

constexpr auto kBad = std::nullopt;

const Case kCases[] = {
    {u"64", 64},
    {u"  64", 64},
    {u"+64", 64},
    {u"-64", -64},
    {u"$40", 64},
    {u"0x40", 64},
    {u"x40", 64},
    {u"X40", 64},
    {u"0X4a", 74},
    {u"$fF", 255},
    {u"007", 7},
    {u"0", 0},
    {u"-0", 0},
    {u"2147483647", 2147483647},
    {u"-2147483648", INT32_MIN},
    {u"00000000002147483647", 2147483647},
    {u"$7FFFFFFF", 2147483647},
    {u"$80000000", INT32_MIN},
    {u"$FFFFFFFF", -1},
    {u"$000000000FF", 255},
    {u"-$10", -16},
    {u"+0x10", 16},
    {u"-$FFFFFFFF", 1},
    {u"-$80000000", INT32_MIN},
    {u"12a", kBad},
    {u"64 ", kBad},
    {u"", kBad},
    {u"   ", kBad},
    {u"2147483648", kBad},
    {u"-2147483649", kBad},
    {u"99999999999999999999", kBad},
    {u"$100000000", kBad},
    {u"0x100000000", kBad},
    {u"0x", kBad},
    {u"$", kBad},
    {u"x", kBad},
    {u"-", kBad},
    {u"+", kBad},
    {u"+-1", kBad},
    {u"- 64", kBad},
    {u"\t64", kBad},
    {u"64\n", kBad},
    {u"$G", kBad},
    {u"0x$1", kBad},
    {u"00x40", kBad},
    {u"1e3", kBad},
    {u"\u0664\u0662", kBad},  // non-ASCII digits
    {u"\uFF16\uFF14", kBad},  // full-width digits
};

TEST(IntConv, Table) {
    for (const Case& c : kCases) {
        const QString text = QString::fromUtf16(c.text);
        SCOPED_TRACE(text.toStdString());
        int32_t got = 12345;
        EXPECT_EQ(rtl::tryStrToInt(text, &got), c.value.has_value());
        if (c.value) {
            EXPECT_EQ(got, *c.value);
            EXPECT_EQ(rtl::strToInt(text), *c.value);
        } else {
            EXPECT_EQ(got, 12345) << "a failed conversion must not touch the output";
            EXPECT_THROW(rtl::strToInt(text), rtl::EConvertError);
        }
    }
}

TEST(IntConv, ErrorCarriesTheTextAsGiven) {
    for (const QString& text : {QStringLiteral("12a"), QStringLiteral(""), QStringLiteral(" 6 4 "),
                                QStringLiteral("%1 é")}) {
        try {
            rtl::strToInt(text);
            ADD_FAILURE() << "no error for " << text.toStdString();
        } catch (const rtl::EConvertError& e) {
            EXPECT_EQ(e.message(),
                      "'" + text + QStringLiteral("' n'est pas une valeur entière correcte"));
            EXPECT_EQ(e.className(), "EConvertError");
        }
    }
}

}  // namespace
