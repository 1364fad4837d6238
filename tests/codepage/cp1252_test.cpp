// cp1252_test.cpp: every byte of the code page both ways, the characters it lacks, whole
// texts from UTF-16 and UTF-8, and letter case.
#include "codepage/cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Bytes 0x80..0x9F as the code page assigns them, written out here apart from the table
// under test; 0 where it assigns nothing.
constexpr char16_t kAssigned[32] = {
    u'€', 0,    u'‚', u'ƒ', u'„', u'…', u'†', u'‡', u'ˆ', u'‰', u'Š', u'‹', u'Œ', 0, u'Ž', 0,
    0,    u'‘', u'’', u'“', u'”', u'•', u'–', u'—', u'˜', u'™', u'š', u'›', u'œ', 0, u'ž', u'Ÿ',
};

TEST(Cp1252, EveryByteIsOneCharacterAndComesBack) {
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        char16_t expected = byte;  // ASCII and 0xA0..0xFF: the character of the same value
        if (b >= 0x80 && b <= 0x9F && kAssigned[b - 0x80] != 0) expected = kAssigned[b - 0x80];
        EXPECT_EQ(cp1252::toUnicode(byte), expected) << "byte " << b;
        EXPECT_EQ(static_cast<unsigned char>(cp1252::fromUnicode(expected)), byte) << "byte " << b;
    }
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(cp1252::fromUtf16(cp1252::toUtf16(all)), all);
}

TEST(Cp1252, CharactersTheCodePageLacksBecomeAQuestionMark) {
    for (char32_t c : {0x80u, 0x9Fu, 0x100u, 0x141u, 0x20ADu, 0x4E2Du, 0xFFFDu, 0x1F600u}) {
        EXPECT_EQ(cp1252::fromUnicode(c), '?') << std::hex << static_cast<uint32_t>(c);
    }
    const struct {
        std::u16string text;
        std::string bytes;
    } cases[] = {
        {u"", ""},
        {u"Lock owner 42\r\n", "Lock owner 42\r\n"},
        {u"été \u00A0ÿ", "\xE9t\xE9 \xA0\xFF"},
        {u"a\u0100\u4E2Db", "a??b"},
        {u"a\U0001F600b", "a?b"},  // a surrogate pair is one character
        {u"a\xD800"
         u"b\xDC00",
         "a?b?"},                                                     // lone surrogates
        {u"\u0081\u008D\u008F\u0090\u009D", "\x81\x8D\x8F\x90\x9D"},  // the unassigned bytes
    };
    for (const auto& c : cases) EXPECT_EQ(cp1252::fromUtf16(c.text), c.bytes) << c.bytes;
}

TEST(Cp1252, Utf8TextAndItsMalformedSequences) {
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"abc", "abc"},
        {"Élodie", "\xC9lodie"},
        {"Noël à Besançon", "No\xEBl \xE0 Besan\xE7on"},
        {"5 €", "5 \x80"},
        {"cœur – “x”",
         "c\x9C"
         "ur \x96 \x93x\x94"},
        {"中", "?"},                  // not in the code page
        {"a\xC3", "a?"},              // sequence cut by the end of the text
        {"\xA9x", "?x"},              // continuation byte without a lead
        {"\xC3(", "?("},              // lead byte followed by a non-continuation
        {"\xF0\x9F\x98\x80!", "?!"},  // four-byte character
    };
    for (const auto& c : cases) EXPECT_EQ(cp1252::fromUtf8(c.in), c.out) << c.in;
}

TEST(Cp1252, LetterCaseIncludesAccentedLettersAndTheFourPairsOf0x80To0x9F) {
    const struct {
        unsigned char lower, upper;
    } letters[] = {{'a', 'A'},   {'z', 'Z'},   {0xE9, 0xC9}, {0xE0, 0xC0}, {0xFE, 0xDE},
                   {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9E, 0x8E}, {0xFF, 0x9F}};
    for (const auto& l : letters) {
        EXPECT_EQ(cp1252::upper(l.lower), l.upper) << int(l.lower);
        EXPECT_EQ(cp1252::lower(l.upper), l.lower) << int(l.upper);
    }
    // Not letters: the same either way.
    for (int c : {int('0'), int('@'), int('['), 0xF7, 0xD7, 0xDF, 0x80, 0x81, 0xA0}) {
        EXPECT_EQ(cp1252::upper(static_cast<unsigned char>(c)), c) << c;
        EXPECT_EQ(cp1252::lower(static_cast<unsigned char>(c)), c) << c;
    }
}

}  // namespace
