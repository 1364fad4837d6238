// formats_test.cpp: the clipboard, CSV, JSON and terminal texts of locks, and the settings
// kept between runs.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTemporaryDir>

#include "monitor/export_formats.h"
#include "monitor/lock_text.h"
#include "monitor/monitor_settings.h"

namespace monitor {
namespace {

// One cell as the CSV file and the clipboard text write it, between two plain cells.
QString csvCell(const QString& cell) {
    const QString line = QString::fromUtf8(csvFile({"T", "U", "V"}, {{"x", cell, "y"}}));
    return line.sliced(0, line.size() - 4).section(QStringLiteral("\r\n"), 1, -1).sliced(2);
}
QString tabCell(const QString& cell) {
    const QString line = tabSeparated({"T", "U", "V"}, {{"x", cell, "y"}});
    return line.sliced(0, line.size() - 3).section(u'\n', 1, -1).sliced(2);
}

TEST(ExportFormats, CellsAreQuotedOnlyWhereASpreadsheetWouldMisreadThem) {
    struct Case {
        const char* cell;
        const char* csv;  // with ';'
        const char* tab;  // with '\t'
    };
    const Case cases[] = {
        {"", "", ""},
        {"Clients", "Clients", "Clients"},
        {"Société Générale", "Société Générale", "Société Générale"},
        {"a;b", "\"a;b\"", "a;b"},
        {"a\tb", "a\tb", "\"a\tb\""},
        {"dit \"non\"", "\"dit \"\"non\"\"\"", "\"dit \"\"non\"\"\""},
        {"deux\nlignes", "\"deux\nlignes\"", "\"deux\nlignes\""},
        {"fin\r", "\"fin\r\"", "\"fin\r\""},
        {"  espacé ", "  espacé ", "  espacé "},
        // What a spreadsheet would run as a formula reads as text after an apostrophe.
        {"=1+1", "'=1+1", "'=1+1"},
        {"+33 6 12", "'+33 6 12", "'+33 6 12"},
        {"-2+3", "'-2+3", "'-2+3"},
        {"@SOMME(A1)", "'@SOMME(A1)", "'@SOMME(A1)"},
        {"\t=1", "'\t=1", "\"'\t=1\""},
        {"\r=1", "\"'\r=1\"", "\"'\r=1\""},
        {"=HYPERLINK(\"x\";1)", "\"'=HYPERLINK(\"\"x\"\";1)\"", "\"'=HYPERLINK(\"\"x\"\";1)\""},
        {"Compta=2", "Compta=2", "Compta=2"},
        {" =1", " =1", " =1"},
    };
    for (const Case& c : cases) {
        const QString cell = QString::fromUtf8(c.cell);
        EXPECT_EQ(csvCell(cell), QString::fromUtf8(c.csv)) << c.cell;
        EXPECT_EQ(tabCell(cell), QString::fromUtf8(c.tab)) << c.cell;
    }
    // Plain delimiting, for terminals, leaves the text alone.
    EXPECT_EQ(delimitedLine({"=1+1", "a\tb"}, u'\t'), "=1+1\t\"a\tb\"");
}

TEST(ExportFormats, CsvFileHasBomSemicolonsAndCrLf) {
    const QByteArray csv = csvFile({"Utilisateur", "Durée"}, {{"élise", "2 min 15 s"}, {"", ""}});
    EXPECT_EQ(csv, QByteArray("\xEF\xBB\xBFUtilisateur;Dur\xC3\xA9"
                              "e\r\n\xC3\xA9lise;2 min 15 s\r\n;\r\n"));
    EXPECT_EQ(tabSeparated({"A", "B"}, {{"1", "2"}}), QStringLiteral("A\tB\n1\t2\n"));
}

TEST(ExportFormats, JsonAndAlignedTable) {
    const QDateTime seen(QDate(2026, 12, 11), QTime(10, 0, 0));
    LockRow r;
    r.dictionary = "Gestion";
    r.table = "Clients";
    r.recNo = 42;
    r.rowId = "AAAAAq";
    r.userName = "poste \"1\"";
    r.firstSeen = seen;
    const QJsonArray a =
        QJsonDocument::fromJson(locksJson({{r, LockState::Held}}, seen.addSecs(75))).array();
    ASSERT_EQ(a.size(), 1);
    const QJsonObject o = a[0].toObject();
    EXPECT_EQ(o["enregistrement"].toInt(), 42);
    EXPECT_EQ(o["utilisateur"].toString(), "poste \"1\"");
    EXPECT_EQ(o["dureeSecondes"].toInt(), 75);
    EXPECT_EQ(o["vuDepuis"].toString(), "2026-12-11T10:00:00");

    EXPECT_EQ(alignedTable({"Table", "N"}, {{"Clients", "42"}, {"T", "7"}}),
              QStringLiteral("Table    N\nClients  42\nT        7\n"));
}

TEST(MonitorSettings, RoundTripAndUnusableValues) {
    QTemporaryDir dir;
    const QString file = dir.filePath("surveillance.ini");
    MonitorSettings s;
    s.intervalSeconds = 30;
    s.thresholdSeconds = 120;
    s.dictionaries = {"Gestion", "Paie"};
    s.columnWidths = {80, 120, 60};
    s.geometry = QByteArray("\x01\x00\xFF", 3);
    {
        QSettings store(file, QSettings::IniFormat);
        saveMonitorSettings(store, s);
    }
    QSettings store(file, QSettings::IniFormat);
    EXPECT_EQ(loadMonitorSettings(store), s);

    store.beginGroup("SurveillanceLocks");
    store.setValue("intervalle", 7);
    store.setValue("seuil", 0);
    store.setValue("largeursColonnes", QVariantList{80, "large"});
    store.endGroup();
    const MonitorSettings bad = loadMonitorSettings(store);
    EXPECT_EQ(bad.intervalSeconds, 5);
    EXPECT_EQ(bad.thresholdSeconds, 60);
    EXPECT_TRUE(bad.columnWidths.isEmpty());
    EXPECT_EQ(bad.dictionaries, s.dictionaries);
}

}  // namespace
}  // namespace monitor
