// alias_config_test.cpp: the alias filter and order, the entry behind each offered alias,
// the derived paths, and ads.ini files that are not what they should be.
#include "dictionary/alias_config.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/ui/qt_print.h"

namespace {

using dictionary::OfferedAlias;

class AliasConfigTest : public ::testing::Test {
  protected:
    // Writes `bytes` as ads.ini into the private folder and loads it.
    std::vector<OfferedAlias> load(const QByteArray& bytes) {
        QFile f(dir.filePath("ads.ini"));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        return dictionary::loadAliases(dir.path() + QDir::separator(), list);
    }
    static QStringList names(const std::vector<OfferedAlias>& offered) {
        QStringList out;
        for (const OfferedAlias& a : offered) out << a.name;
        return out;
    }

    QTemporaryDir dir;
    rtl::StringList list;
};

TEST_F(AliasConfigTest, NamesWithXUnderscoreAreSkippedOthersKeptInFileOrder) {
    const auto offered = load(
        "[Other]\nHidden=/x/h.add;A\n"
        "[Databases]\n"
        "TAX_2020=/d/tax.add;A\nx_essai=/d/e.add;A\nCOMPTA_X_OLD=/d/o.add;A\n"
        "Xavier=/d/xa.add;A\nMAXI=/d/m.add;A\nARCHIVE_X_1=/d/a.add;A\n"
        "Compta=/base/Compta.add;A\nPaie=/base/paie/Paie.add;D\n");
    EXPECT_EQ(names(offered), (QStringList{"Xavier", "MAXI", "Compta", "Paie"}));
    // Every key is held, in file order, including those not offered.
    ASSERT_EQ(list.count(), 8);
    EXPECT_EQ(list[0], "TAX_2020=/d/tax.add;A");
    // The entry behind Paie is Paie's own line, not shifted by the skipped ones.
    EXPECT_EQ(dictionary::aliasEntryValue(list, offered[3].entry), "/base/paie/Paie.add;D");
    EXPECT_EQ(dictionary::aliasEntryValue(list, offered[2].entry), "/base/Compta.add;A");
}

TEST_F(AliasConfigTest, LoadingAgainReplacesTheList) {
    load("[Databases]\nA=/a.add;A\nB=/b.add;A\n");
    const auto offered = load("[Databases]\nC=/c.add;A\n");
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(names(offered), QStringList{"C"});
}

TEST_F(AliasConfigTest, BadFilesNeverCrashAndGiveWhatTheyHold) {
    struct Case {
        const char* what;
        QByteArray bytes;
        int entries;
    } cases[] = {
        {"empty", "", 0},
        {"no section", "Compta=/a.add;A\n", 0},
        {"section only", "[Databases]\n", 0},
        {"binary",
         QByteArray("[Databases]\nA=\x01\x02\xff\xfe\x00zz\n", 19) + QByteArray(4096, '\xff'), 1},
        {"1 MB line", "[Databases]\nLong=" + QByteArray(1 << 20, 'a') + "\nB=/b.add;A\n", 2},
        {"keys without values", "[Databases]\nA=\nB\n=noKey\nC= \n", 2},
        {"key twice", "[Databases]\nA=/one.add;A\na=/two.add;A\n", 1},
        {"short values", "[Databases]\nOne=x\nTwo=xy\nThree=xyz\n", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto offered = load(c.bytes);
        EXPECT_EQ(list.count(), c.entries);
        for (const OfferedAlias& a : offered) {
            const QString value = dictionary::aliasEntryValue(list, a.entry);
            const QString dictionary = dictionary::dictionaryPathOf(value);
            dictionary::trimmedPathOf(dictionary);
            EXPECT_LE(dictionary.size(), std::max<qsizetype>(value.size() - 2, 0));
        }
    }
}

TEST(AliasPaths, DictionaryAndTrimmedPathsFromTheValue) {
    struct Case {
        QString value, dictionary, trimmed;
    } cases[] = {
        {"/base/Compta.add;A", "/base/Compta.add", "/base/"},
        {"Compta.add;A", "Compta.add", ""},  // no folder: table files by their bare names
        {"/Compta.add;A", "/Compta.add", "/"},
        {"abc", "a", ""},
        {"ab", "", ""},
        {"a", "", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dictionary::dictionaryPathOf(c.value), c.dictionary) << c.value.toStdString();
        EXPECT_EQ(dictionary::trimmedPathOf(c.dictionary), c.trimmed) << c.value.toStdString();
    }
}

TEST(AliasPaths, LastCharPosIsOneBasedFromTheEnd) {
    EXPECT_EQ(dictionary::LastCharPos("", u'/'), 0);
    EXPECT_EQ(dictionary::LastCharPos("/", u'/'), 1);
    EXPECT_EQ(dictionary::LastCharPos("/Compta.add", u'/'), 1);
    EXPECT_EQ(dictionary::LastCharPos("/base/x/Compta.add", u'/'), 8);
    EXPECT_EQ(dictionary::LastCharPos("Compta.add", u'/'), 0);
    EXPECT_EQ(dictionary::LastCharPos("a/b/", u'/'), 4);
}

TEST(AliasPaths, FilterLooksForXUnderscoreInAnyCase) {
    struct Case {
        const char* name;
        bool offered;
    } cases[] = {{"TAX_2020", false}, {"x_essai", false},   {"COMPTA_X_OLD", false},
                 {"Xavier", true},    {"MAXI", true},       {"ARCHIVE_X_1", false},
                 {"Compta", true},    {"box_a", false},     {"X", true},
                 {"_X", true},        {"Ventes 2020", true}};
    for (const Case& c : cases) EXPECT_EQ(dictionary::isAliasOffered(c.name), c.offered) << c.name;
}

}  // namespace
