// cli_test.cpp: brevantis-locks end to end: enginesrv, lock holders in other processes, the
// program run as a script would run it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include "tests/app/lock_world.h"
#include "tests/app/lock_world_suite.h"

namespace {

using locktest::Holder;

struct Result {
    int exitCode;
    QString out, err;
    QByteArray raw;  // the standard output as written
};

class LocksCli : public locktest::LockWorldSuite {
  protected:
    static void SetUpTestSuite() {
        ASSERT_NO_FATAL_FAILURE(startWorld());
        QString error;
        gestion_ = locktest::makeDictionary(dir_->filePath("gestion"), "Gestion",
                                            {{"Clients", 50}, {"Produits", 10}}, &error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        vide_ = locktest::makeDictionary(dir_->filePath("vide"), "Vide", {{"Notes", 3}}, &error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        ini_ = dir_->filePath("ads.ini");
        QFile ini(ini_);
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(("[Databases]\nGestion=" + gestion_ + ";A\nVide=" + vide_ + ";A\n").toUtf8());
    }
    static void TearDownTestSuite() {
        stopWorld();
    }

    static Result run(QStringList arguments, const QStringList& environment = {}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& e : environment) env.insert(e.section('=', 0, 0), e.section('=', 1));
        p.setProcessEnvironment(env);
        p.start(program(), QStringList{"--ini", ini_} + arguments);
        p.waitForFinished(60000);
        const QByteArray raw = p.readAllStandardOutput();
        return {p.exitCode(), QString::fromUtf8(raw), QString::fromUtf8(p.readAllStandardError()),
                raw};
    }
    static QString program() {
        return qEnvironmentVariable("BREVANTIS_BIN_DIR") + "/brevantis-locks";
    }

    static inline QString gestion_, vide_, ini_;
};

TEST_F(LocksCli, PrintsEveryLockOnceInEachFormat) {
    Holder a(*server_, gestion_, "Clients", "3,42", {"PC-A", "marc", "Compta.exe"});
    Holder b(*server_, gestion_, "Produits", "1", {"PC-B", "zoe", "Stock; \"v2\""});
    ASSERT_TRUE(a.waitReady() && b.waitReady());

    const Result table = run({"Gestion"});
    EXPECT_EQ(table.exitCode, 0) << table.err.toStdString();
    const QStringList lines = table.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << table.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("Dictionnaire  Table"));
    EXPECT_TRUE(lines[0].contains("Login OS") && lines[0].contains("Type de lock") &&
                lines[0].contains("Durée"));
    EXPECT_TRUE(lines[2].contains("Clients") && lines[2].contains("42") &&
                lines[2].contains("AAAAAq") && lines[2].contains("marc") &&
                lines[2].contains("Compta.exe"))
        << lines[2].toStdString();

    const Result csv = run({"--format", "csv", "gestion"});  // aliases match in any case
    EXPECT_EQ(csv.exitCode, 0);
    EXPECT_TRUE(
        csv.raw.startsWith("\xEF\xBB\xBF"
                           "Dictionnaire;Table;Enregistrement;ROWID"));
    EXPECT_TRUE(csv.out.contains(";\"Stock; \"\"v2\"\"\";")) << csv.out.toStdString();
    EXPECT_TRUE(csv.out.contains("\r\nGestion;Produits;1;AAAAAB;PC-B;zoe;"))
        << csv.out.toStdString();

    // A dictionary path works as well as an alias.
    const Result json = run({"--format", "json", gestion_});
    EXPECT_EQ(json.exitCode, 0);
    const QJsonArray locks = QJsonDocument::fromJson(json.out.toUtf8()).array();
    ASSERT_EQ(locks.size(), 3) << json.out.toStdString();
    EXPECT_EQ(locks[0].toObject()["enregistrement"].toInt(), 3);
    EXPECT_EQ(locks[0].toObject()["dictionnaire"].toString(), gestion_);
    EXPECT_EQ(locks[2].toObject()["application"].toString(), "Stock; \"v2\"");
}

TEST_F(LocksCli, ExitCodesAndFrenchErrors) {
    struct Case {
        QStringList arguments, environment;
        int exitCode;
        QString inErr;
    };
    const Case cases[] = {
        {{"Vide"}, {}, 1, ""},
        {{"Inconnu"}, {}, 2, "Dictionnaire inconnu : Inconnu"},
        {{"--format", "xml", "Vide"}, {}, 2, "Format inconnu : xml"},
        {{"--intervalle", "0", "--suivre", "Vide"}, {}, 2, "Intervalle invalide : 0"},
        {{"--bavard"}, {}, 2, "Option inconnue : --bavard"},
        {{"--mot-de-passe", "faux", "Vide"}, {}, 2, "erreur  Vide : "},
        {{"Vide"}, {"BREVANTIS_MOT_DE_PASSE=faux"}, 2, "erreur  Vide : "},
        {{"--mot-de-passe", "kor5382", "Vide"}, {"BREVANTIS_MOT_DE_PASSE=faux"}, 1, ""},
    };
    for (const Case& c : cases) {
        const Result r = run(c.arguments, c.environment);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.arguments.join(' ').toStdString() << "\n"
                                          << r.err.toStdString();
        if (c.inErr.isEmpty())
            EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
        else
            EXPECT_TRUE(r.err.contains(c.inErr)) << r.err.toStdString();
    }
    const Result help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* word :
         {"--format table|csv|json", "--ini FICHIER", "--suivre", "--intervalle S", "--utilisateur",
          "--mot-de-passe", "BREVANTIS_MOT_DE_PASSE", "Code de sortie", "--sans-historique",
          "--historique FICHIER|URL", "brevantis-locks historique [--depuis DURÉE|DATE]"})
        EXPECT_TRUE(help.out.contains(QString::fromUtf8(word))) << word;
}

TEST_F(LocksCli, FollowPrintsTakenAndReleasedLocksAndRecordsThemInTheHistory) {
    const QString history = dir_->filePath("historique.sqlite");
    auto holder = std::make_unique<Holder>(*server_, gestion_, "Clients", "7",
                                           locktest::Who{"PC-S", "sam", "Suivi.exe"});
    ASSERT_TRUE(holder->waitReady());
    QProcess p;
    p.start(program(),
            {"--ini", ini_, "--suivre", "--intervalle", "1", "--historique", history, "Gestion"});
    auto waitFor = [&](const QString& text, QString& seen) {
        QElapsedTimer clock;
        clock.start();
        while (!seen.contains(text) && clock.elapsed() < 30000) {
            p.waitForReadyRead(500);
            seen += QString::fromUtf8(p.readAllStandardOutput());
        }
        return seen.contains(text);
    };
    QString out;
    EXPECT_TRUE(waitFor("\tpris\tGestion\tClients\t7\tAAAAAH\tPC-S\tsam\tSuivi.exe", out))
        << out.toStdString();
    QThread::sleep(2);
    holder.reset();
    EXPECT_TRUE(waitFor("\tlibéré\tGestion\tClients\t7\t", out)) << out.toStdString();
    const QString released = out.section("libéré", 1).section('\n', 0, 0);
    EXPECT_TRUE(released.contains(QRegularExpression("\taprès [2-9] s$")))
        << released.toStdString();
    p.kill();
    p.waitForFinished();
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).isEmpty());

    // The release closed the lock's one episode; `historique` prints it.
    const Result json = run({"historique", "--historique", history, "--depuis", "1h", "--format",
                             "json"});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    const QJsonArray episodes = QJsonDocument::fromJson(json.raw).array();
    ASSERT_EQ(episodes.size(), 1) << json.out.toStdString();
    const QJsonObject episode = episodes[0].toObject();
    EXPECT_EQ(episode["dictionnaire"].toString(), "Gestion");
    EXPECT_EQ(episode["table"].toString(), "Clients");
    EXPECT_EQ(episode["enregistrement"].toInt(), 7);
    EXPECT_EQ(episode["utilisateur"].toString(), "PC-S");
    EXPECT_FALSE(episode["en_cours"].toBool());
    EXPECT_GE(episode["duree_ms"].toInteger(), 2000);

    const Result table = run({"historique", "--historique", history});
    EXPECT_EQ(table.exitCode, 0) << table.err.toStdString();
    EXPECT_TRUE(table.out.startsWith("Dictionnaire")) << table.out.toStdString();
    EXPECT_TRUE(table.out.contains("Suivi.exe")) << table.out.toStdString();

    struct Case {
        QStringList arguments;
        int exitCode;
        QString inErr;
    };
    const Case cases[] = {
        {{"historique", "--historique", dir_->filePath("vide.sqlite")}, 1, ""},
        {{"historique", "--historique", history, "--depuis", "hier"}, 2, "hier"},
        {{"historique", "--historique", history, "--format", "xml"}, 2, "Format inconnu : xml"},
        {{"historique", "--historique", "postgresql://"}, 2, "Adresse d'historique invalide"},
        {{"--depuis", "1h", "Gestion"}, 2, "--depuis ne sert qu'avec la commande historique"},
    };
    for (const Case& c : cases) {
        const Result r = run(c.arguments);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.arguments.join(' ').toStdString() << "\n"
                                          << r.err.toStdString();
        if (c.inErr.isEmpty())
            EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
        else
            EXPECT_TRUE(r.err.contains(c.inErr)) << r.err.toStdString();
    }
}

}  // namespace
