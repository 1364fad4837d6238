// demo_content_test.cpp: the demo data's text conversion, dates, determinism and ads.ini.
#include <gtest/gtest.h>

#include <set>

#include "engine/tools/demodata/ads_ini.h"
#include "engine/tools/demodata/demo_scripts.h"
#include "engine/tools/demodata/sql_text.h"

namespace demo {
namespace {

TEST(DemoContent, DatesFromDayNumbers) {
    const struct {
        int64_t days;
        int y, m, d;
    } cases[] = {{0, 2000, 1, 1},   {59, 2000, 2, 29},  {60, 2000, 3, 1},
                 {366, 2001, 1, 1}, {-1, 1999, 12, 31}, {9131, 2024, 12, 31}};
    for (const auto& c : cases) {
        const Date d = dateFromDays(c.days);
        EXPECT_EQ(d.year * 10000 + d.month * 100 + d.day, c.y * 10000 + c.m * 100 + c.d) << c.days;
    }
}

TEST(DemoContent, InsertQuotesTextAndKeepsColumnOrder) {
    const std::vector<std::string> cols{"Nom", "Age", "Actif", "Ne", "Vu", "Notes"};
    InsertRow row(cols);
    row.text("l'Église")
        .integer(-3)
        .logical(true)
        .date({2021, 3, 9})
        .timestamp({2021, 3, 9}, 7, 5, 0)
        .null();
    EXPECT_EQ(row.sql("T"),
              "INSERT INTO T (Nom, Age, Actif, Ne, Vu, Notes) VALUES ('l''\xC9glise', -3, TRUE, "
              "'2021-03-09', '2021-03-09 07:05:00', NULL)");
}

TEST(DemoContent, ScriptsAreDeterministicAndShaped) {
    const auto a = demoScripts(7, 0.05);
    const auto b = demoScripts(7, 0.05);
    const auto c = demoScripts(8, 0.05);
    ASSERT_EQ(a.size(), 3u);
    bool sameAsOtherSeed = true;
    int missing = 0, withDefault = 0;
    for (size_t d = 0; d < a.size(); ++d) {
        for (size_t t = 0; t < a[d].tables.size(); ++t) {
            const TableScript& ta = a[d].tables[t];
            EXPECT_EQ(ta.inserts, b[d].tables[t].inserts) << ta.name;
            sameAsOtherSeed = sameAsOtherSeed && ta.inserts == c[d].tables[t].inserts;
            EXPECT_FALSE(ta.inserts.empty()) << ta.name;
            missing += ta.fileMissing;
            withDefault += !ta.defaultIndex.empty();
            if (!ta.defaultIndex.empty()) {
                bool declared = false;
                for (const auto& ix : ta.indexSql) {
                    declared =
                        declared || ix.find(" " + ta.defaultIndex + " ON") != std::string::npos;
                }
                EXPECT_TRUE(declared) << ta.name << " default index " << ta.defaultIndex;
            }
        }
    }
    EXPECT_FALSE(sameAsOtherSeed);
    EXPECT_EQ(missing, 1);
    EXPECT_GE(withDefault, 3);
}

TEST(DemoContent, FullScaleHasHundredsToThousandsOfRows) {
    std::set<std::string> names;
    for (const auto& d : demoScripts(1, 1.0)) {
        for (const auto& t : d.tables) {
            names.insert(t.name);
            if (!t.fileMissing && t.name != "Services") {
                EXPECT_GE(t.inserts.size(), 40u) << t.name;
                EXPECT_LE(t.inserts.size(), 9000u) << t.name;
            }
        }
    }
    for (const char* n :
         {"Clients", "Produits", "Commandes", "Factures", "Employes", "Fournisseurs"})
        EXPECT_TRUE(names.count(n)) << n;
}

TEST(DemoContent, AdsIniListsAliasesInOrder) {
    EXPECT_EQ(adsIniText({{"Compta", "/d/Compta/Compta.add"}, {"ARCHIVE_X_2019", "/d/A.add"}}),
              "; Demo dictionaries, written by demodata. Aliases containing X_ are hidden.\n"
              "[Databases]\nCompta=/d/Compta/Compta.add;A\nARCHIVE_X_2019=/d/A.add;A\n");
}

}  // namespace
}  // namespace demo
