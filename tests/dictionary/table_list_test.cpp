// table_list_test.cpp: the administrator's connection to a chosen alias and the table filter
// (locale order, files present in the dictionary's folder only, evaluated at each call).
#include "dictionary/table_list.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "data/adscnnct.h"
#include "data/adserror.h"
#include "tests/data/fake_engine.h"
#include "tests/ui/qt_print.h"

namespace {

class TableListTest : public ::testing::Test {
  protected:
    void touch(const QString& name) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QStringList tables() {
        return dictionary::tablesWithFiles(connection, dir.filePath("Compta.add"), folder());
    }
    QString folder() const { return dir.path() + QLatin1Char('/'); }
    // Connects to Compta.add in the temporary folder; the tables it lists.
    QStringList connectAndList() {
        return dictionary::connectAndList(connection, dir.filePath("Compta.add;A"), dictionaryPath,
                                          trimmedPath);
    }

    QTemporaryDir dir;
    FakeEngine fake;
    TAdsConnection connection{nullptr};
    QString dictionaryPath = QStringLiteral("before");
    QString trimmedPath = QStringLiteral("before");
};

TEST_F(TableListTest, ConnectsAsTheAdministratorToTheValueLessItsLastTwoCharacters) {
    connection.AdsServerTypes = {stADS_REMOTE};
    dictionary::connectAndList(connection, "/base/Compta.add;A", dictionaryPath, trimmedPath);
    EXPECT_TRUE(connection.IsConnected());
    EXPECT_EQ(connection.ConnectPath(), "/base/Compta.add");
    EXPECT_EQ(dictionaryPath, "/base/Compta.add");
    EXPECT_EQ(trimmedPath, "/base/");
    EXPECT_FALSE(connection.LoginPrompt);
    ASSERT_EQ(fake.callsTo("AdsConnect101").size(), 1u);
    EXPECT_EQ(
        fake.callsTo("AdsConnect101")[0],
        R"x(AdsConnect101("Data Source=/base/Compta.add;User ID=adssys;Password="kor5382";FIPS=False;ServerType=REMOTE;",null))x");
}

TEST_F(TableListTest, AnEmptyPathIsRefusedByTheConnection) {
    EXPECT_THROW(dictionary::connectAndList(connection, "ab", dictionaryPath, trimmedPath),
                 AdsConnectionError);
    EXPECT_FALSE(connection.IsConnected());
    EXPECT_EQ(dictionaryPath, "before") << "the paths of the last dictionary chosen stay";
    EXPECT_EQ(trimmedPath, "before");
}

TEST_F(TableListTest, KeepsTablesWhoseFileIsInTheFolderInLocaleOrder) {
    // The engine answers names in its 8-bit code page: "\xC9l\xE8ves" is Élèves.
    fake.tableNames = {"Produits", "clients", "Commandes",    "Absente",
                       "Dossier",  "Autre",   "\xC9l\xE8ves", "Ecoles"};
    for (const char* file :
         {"Produits.adt", "clients.adt", "Commandes.adt", "Autre.dbf", "Élèves.adt", "Ecoles.adt"})
        touch(file);
    ASSERT_TRUE(QDir(dir.path()).mkdir("Dossier.adt"));
    EXPECT_EQ(connectAndList(),
              QStringList({"clients", "Commandes", "Ecoles", "Élèves", "Produits"}));
}

TEST_F(TableListTest, TheFilterIsEvaluatedAgainAtEachCall) {
    fake.tableNames = {"Clients", "Factures"};
    touch("Clients.adt");
    EXPECT_EQ(connectAndList(), QStringList({"Clients"}));
    touch("Factures.adt");
    QFile::remove(dir.filePath("Clients.adt"));
    EXPECT_EQ(tables(), QStringList({"Factures"}));
}

TEST_F(TableListTest, ADictionaryWithoutTablesGivesNone) {
    EXPECT_TRUE(connectAndList().isEmpty());
}

TEST_F(TableListTest, ListingOnADisconnectedConnectionThrows) {
    EXPECT_THROW(tables(), AdsConnectionError);
}

}  // namespace
