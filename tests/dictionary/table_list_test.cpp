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
        return dictionary::tablesAvecFichier(connection, dir.filePath("Compta.add"), folder());
    }
    QString folder() const { return dir.path() + QLatin1Char('/'); }

    QTemporaryDir dir;
    FakeEngine fake;
    TAdsConnection connection{nullptr};
};

TEST_F(TableListTest, ConnectsAsTheAdministratorToTheValueLessItsLastTwoCharacters) {
    connection.AdsServerTypes = {stADS_REMOTE};
    dictionary::connecterAuDictionnaire(connection, "/base/Compta.add;A");
    EXPECT_TRUE(connection.IsConnected());
    EXPECT_EQ(connection.ConnectPath(), "/base/Compta.add");
    EXPECT_FALSE(connection.LoginPrompt);
    ASSERT_EQ(fake.callsTo("AdsConnect101").size(), 1u);
    EXPECT_EQ(
        fake.callsTo("AdsConnect101")[0],
        R"x(AdsConnect101("Data Source=/base/Compta.add;User ID=adssys;Password="kor5382";FIPS=False;ServerType=REMOTE;",null))x");
}

TEST_F(TableListTest, AnEmptyPathIsRefusedByTheConnection) {
    EXPECT_THROW(dictionary::connecterAuDictionnaire(connection, "ab"), AdsConnectionError);
    EXPECT_FALSE(connection.IsConnected());
}

TEST_F(TableListTest, KeepsTablesWhoseFileIsInTheFolderInLocaleOrder) {
    // The engine answers names in its 8-bit code page: "\xC9l\xE8ves" is Élèves.
    fake.tableNames = {"Produits", "clients", "Commandes",    "Absente",
                       "Dossier",  "Autre",   "\xC9l\xE8ves", "Ecoles"};
    for (const char* file :
         {"Produits.adt", "clients.adt", "Commandes.adt", "Autre.dbf", "Élèves.adt", "Ecoles.adt"})
        touch(file);
    ASSERT_TRUE(QDir(dir.path()).mkdir("Dossier.adt"));
    dictionary::connecterAuDictionnaire(connection, dir.filePath("Compta.add;A"));
    EXPECT_EQ(tables(), QStringList({"clients", "Commandes", "Ecoles", "Élèves", "Produits"}));
}

TEST_F(TableListTest, TheFilterIsEvaluatedAgainAtEachCall) {
    fake.tableNames = {"Clients", "Factures"};
    touch("Clients.adt");
    dictionary::connecterAuDictionnaire(connection, dir.filePath("Compta.add;A"));
    EXPECT_EQ(tables(), QStringList({"Clients"}));
    touch("Factures.adt");
    QFile::remove(dir.filePath("Clients.adt"));
    EXPECT_EQ(tables(), QStringList({"Factures"}));
}

TEST_F(TableListTest, ADictionaryWithoutTablesGivesNone) {
    dictionary::connecterAuDictionnaire(connection, dir.filePath("Compta.add;A"));
    EXPECT_TRUE(tables().isEmpty());
}

TEST_F(TableListTest, ListingOnADisconnectedConnectionThrows) {
    EXPECT_THROW(tables(), AdsConnectionError);
}

}  // namespace
