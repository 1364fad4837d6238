// ini_file_test.cpp: the configuration reader's rules, encodings and hostile files.
#include "rtl/ini_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "tests/ui/qt_print.h"

namespace {

QByteArray utf16le(const QString& text) {
    QByteArray out("\xFF\xFE", 2);
    for (QChar c : text)
        out.append(static_cast<char>(c.unicode() & 0xFF))
            .append(static_cast<char>(c.unicode() >> 8));
    return out;
}

class IniFileTest : public ::testing::Test {
  protected:
    // Writes `bytes` to a fresh file and returns its path.
    QString write(const QByteArray& bytes) {
        const QString path = dir_.filePath(QStringLiteral("f%1.ini").arg(++n_));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    QTemporaryDir dir_;
    int n_ = 0;
};

TEST_F(IniFileTest, Rules) {
    const rtl::IniFile ini(
        write("top=before any section\n"
              "; comment\n"
              "# comment\n"
              "\n"
              "[Databases]\n"
              "  Compta  =  D:\\Base\\Compta.add;A  \n"
              "\t; indented comment=x\n"
              "Paie=D:\\Paie\\paie.add;A\n"
              "a line without equals\n"
              "=no key\n"
              "Eq=a=b\n"
              "Quoted=\" C:\\x y\\a.add;A \"\n"
              "Single='v'\n"
              "Lone=\"\n"
              "Mismatch=\"abc'\n"
              "Inner=a \"b\" c\n"
              "Empty=\n"
              "One=x\n"
              "Two=ab\n"
              "COMPTA=second value\n"
              "[Other]\n"
              "Compta=other\n"
              "[ databases ]\n"
              "Late=1\n"));
    EXPECT_EQ(ini.sectionKeys("DATABASES"),
              QStringList({"Compta", "Paie", "Eq", "Quoted", "Single", "Lone", "Mismatch", "Inner",
                           "Empty", "One", "Two", "Late"}));
    struct {
        const char* key;
        const char* value;
    } const expected[] = {
        {"Compta", "D:\\Base\\Compta.add;A"},
        {"compta", "D:\\Base\\Compta.add;A"},
        {"Paie", "D:\\Paie\\paie.add;A"},
        {"Eq", "a=b"},
        {"Quoted", " C:\\x y\\a.add;A "},
        {"Single", "v"},
        {"Lone", "\""},
        {"Mismatch", "\"abc'"},
        {"Inner", "a \"b\" c"},
        {"Empty", ""},
        {"One", "x"},
        {"Two", "ab"},
        {"Late", "1"},
        {"top", "<def>"},
        {"a line without equals", "<def>"},
        {"Missing", "<def>"},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(ini.readString("Databases", e.key, "<def>"), QString::fromUtf8(e.value)) << e.key;
    }
    EXPECT_EQ(ini.readString("Other", "Compta", ""), "other");
    EXPECT_TRUE(ini.sectionKeys("Nowhere").isEmpty());
    EXPECT_EQ(ini.readString("Nowhere", "Compta", "<def>"), "<def>");
}

TEST_F(IniFileTest, EncodingsAndLineEnds) {
    struct {
        const char* what;
        QByteArray bytes;
    } const cases[] = {
        {"windows-1252", "[S]\nk=\xE9t\xE9 \x80\n"},
        {"utf-8", "[S]\nk=\xC3\xA9t\xC3\xA9 \xE2\x82\xAC\n"},
        {"utf-8 with bom", "\xEF\xBB\xBF[S]\nk=\xC3\xA9t\xC3\xA9 \xE2\x82\xAC\n"},
        {"utf-16 le", utf16le(QString::fromUtf8("[S]\r\nk=été €"))},
        {"cr only", "[S]\rk=\xE9t\xE9 \x80\rz=1"},
        {"crlf, no final end", "[S]\r\nk=\xE9t\xE9 \x80\r\nz=1"},
    };
    for (const auto& c : cases) {
        const rtl::IniFile ini(write(c.bytes));
        EXPECT_EQ(ini.readString("S", "k", "<def>"), QString::fromUtf8("été €")) << c.what;
    }
}

TEST_F(IniFileTest, HostileFilesReadWithoutHarm) {
    // A missing file reads as empty.
    const rtl::IniFile missing(dir_.filePath("nothing.ini"));
    EXPECT_TRUE(missing.sectionKeys("Databases").isEmpty());
    EXPECT_EQ(missing.readString("Databases", "k", "d"), "d");

    // No section at all.
    EXPECT_TRUE(rtl::IniFile(write("a=1\nb=2\n")).sectionKeys("").isEmpty());

    // Binary bytes, NULs included, around one good line.
    QByteArray binary;
    for (int i = 0; i < 4096; ++i) binary.append(static_cast<char>((i * 7919) & 0xFF));
    const rtl::IniFile bin(write(binary + "\n[S]\nk=v\n" + binary));
    EXPECT_EQ(bin.readString("S", "k", ""), "v");

    // A 1 MB value and a 1 MB line of nothing but brackets.
    const QByteArray big(1 << 20, 'x');
    const rtl::IniFile huge(write("[S]\nk=" + big + "\n" + QByteArray(1 << 20, '[') + "\nz=1\n"));
    EXPECT_EQ(huge.readString("S", "k", "").size(), big.size());

    // Many keys and sections stay fast (lookups are not linear scans per line).
    QByteArray many = "[S]\n";
    for (int i = 0; i < 100000; ++i)
        many += "k" + QByteArray::number(i) + "=" + "\n[T" + QByteArray::number(i) + "]\n[S]\n";
    const rtl::IniFile lots(write(many));
    EXPECT_EQ(lots.sectionKeys("S").size(), 100000);
    EXPECT_EQ(lots.readString("s", "K99999", "d"), "");

    // Odd section lines.
    const rtl::IniFile odd(write("[\n[]\n=x\n[Unclosed\nk=1\n[A]]\nk=2\n"));
    EXPECT_EQ(odd.readString("Unclosed", "k", ""), "1");
    EXPECT_EQ(odd.readString("A", "k", ""), "2");
}

}  // namespace
