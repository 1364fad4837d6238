// text_test.cpp: code page conversion, string list and locale-aware text helpers.
#include <gtest/gtest.h>

#include <QLocale>

#include "rtl/ansi.h"
#include "rtl/locale_text.h"
#include "rtl/string_list.h"
#include "tests/ui/qt_print.h"

namespace {

TEST(Ansi, EveryByteRoundTrips) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(static_cast<char>(b));
    const QString text = rtl::fromAnsi(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(rtl::toAnsi(text), all);
}

TEST(Ansi, KnownCharacters) {
    struct {
        const char16_t* text;
        QByteArray bytes;
    } const cases[] = {
        {u"AZaz09+/", "AZaz09+/"},
        {u"\u20AC\u201A\u0192\u2026\u0160\u0152\u017D\u2122\u0178",
         "\x80\x82\x83\x85\x8A\x8C\x8E\x99\x9F"},
        {u"\u0081\u008D\u008F\u0090\u009D", "\x81\x8D\x8F\x90\x9D"},  // the undefined bytes
        {u"\u00E9\u00C0\u00FF\u00A0", "\xE9\xC0\xFF\xA0"},
        {u"\u0100\u4E2D\u0080", "???"},  // no place in the code page (U+0080 included)
        {u"a\U0001F600b", "a?b"},        // a surrogate pair is one character
        {u"a\xD800"
         u"b\xDC00",
         "a?b?"},  // lone surrogates
        {u"", ""},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(rtl::toAnsi(text), c.bytes) << text.toStdString();
    }
    EXPECT_EQ(rtl::fromAnsi("\x80\xE9\x9F"), QString::fromUtf16(u"\u20AC\u00E9\u0178"));
}

TEST(StringList, NamesValuesAndSearch) {
    rtl::StringList list;
    EXPECT_EQ(list.add("Compta=D:\\Base\\Compta.add;A"), 0);
    EXPECT_EQ(list.add("Paie=a=b"), 1);
    EXPECT_EQ(list.add("sans"), 2);
    EXPECT_EQ(list.add("=vide"), 3);
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(list.name(0), "Compta");
    EXPECT_EQ(list.valueFromIndex(0), "D:\\Base\\Compta.add;A");
    EXPECT_EQ(list.name(1), "Paie");
    EXPECT_EQ(list.valueFromIndex(1), "a=b");
    EXPECT_EQ(list.name(2), "");
    EXPECT_EQ(list.valueFromIndex(2), "");
    EXPECT_EQ(list.name(3), "");
    EXPECT_EQ(list.valueFromIndex(3), "vide");
    EXPECT_EQ(list.indexOf("SANS"), 2);
    EXPECT_EQ(list.indexOf("san"), -1);
    list[2] = "autre";
    EXPECT_EQ(list.at(2), "autre");
    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.indexOf("autre"), -1);
}

TEST(StringList, SortIgnoresCaseAndPlacesAccentsBesideTheirLetters) {
    const QStringList input = {"zèbre", "Été", "etage", "Zoo", "éa", "ABD", "abc", "Eu", "b", "B"};
    const QStringList expected = {"abc",   "ABD", "b",  "B",     "éa",
                                  "etage", "Été", "Eu", "zèbre", "Zoo"};
    for (const QLocale& locale : {QLocale(QLocale::French, QLocale::France), QLocale::c()}) {
        QLocale::setDefault(locale);
        rtl::StringList list;
        for (const QString& s : input) list.add(s);
        list.sort();
        EXPECT_EQ(list.strings(), expected) << locale.name().toStdString();
    }
    QLocale::setDefault(QLocale::system());
}

TEST(LocaleText, UpperCaseAndCompareFollowTheLocale) {
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    EXPECT_EQ(rtl::localeUpperCase("tax_2020 é"), "TAX_2020 É");
    EXPECT_EQ(rtl::localeCompareText("Compta", "COMPTA"), 0);
    EXPECT_LT(rtl::localeCompareText("e", "é"), 0);
    EXPECT_LT(rtl::localeCompareText("é", "f"), 0);
    EXPECT_GT(rtl::localeCompareText("b", "A"), 0);
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    EXPECT_EQ(rtl::localeUpperCase("i"), QString::fromUtf16(u"\u0130"));
    QLocale::setDefault(QLocale::system());
}

}  // namespace
