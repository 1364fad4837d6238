// window_test.cpp: the window "Surveillance des locks" end to end: enginesrv, lock holders
// in other processes, refreshes driven as the timer or F5 would drive them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "dictionary/exe_folder.h"
#include "episode_table_model.h"
#include "history_tab.h"
#include "monitor/lock_text.h"
#include "monitor/window/TFSurveillanceLocks.h"
#include "monitor/window/lock_filter_proxy.h"
#include "monitor/window/lock_table_model.h"
#include "tests/app/lock_world.h"
#include "tests/app/lock_world_suite.h"
#include "ui/messages.h"

namespace monitor {
namespace {

using locktest::Holder;

class MonitorWindow : public locktest::LockWorldSuite {
  protected:
    static void SetUpTestSuite() {
        // The lock history's default file goes to a test folder, not the user's.
        QStandardPaths::setTestModeEnabled(true);
        ASSERT_NO_FATAL_FAILURE(startWorld());
        QString error;
        gestion_ = locktest::makeDictionary(dir_->filePath("gestion"), "Gestion",
                                            {{"Clients", 50}, {"Produits", 10}}, &error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        const QString vide =
            locktest::makeDictionary(dir_->filePath("vide"), "Vide", {{"Notes", 3}}, &error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        QFile ini(dir_->filePath("ads.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(("[Databases]\nGestion=" + gestion_ + ";A\nVide=" + vide + ";A\n").toUtf8());
        ini.close();
        exe_ = new dictionary::ExecutableFolderOverride(dir_->path() + "/");
    }
    static void TearDownTestSuite() {
        delete exe_;
        stopWorld();
    }

    std::unique_ptr<TFSurveillanceLocks> open() {
        auto w = std::make_unique<TFSurveillanceLocks>(nullptr, dir_->filePath("reglages.ini"));
        w->show();
        waitRefreshed(*w, nullptr);
        return w;
    }
    // Refreshes now (as F5 does) and waits for the result.
    static void refresh(TFSurveillanceLocks& w) {
        const TrackedSnapshot* before = w.ModeleLocks->snapshot();
        QElapsedTimer clock;
        clock.start();
        while (!w.ActualiserMaintenant() && clock.elapsed() < 30000) QTest::qWait(20);
        waitRefreshed(w, before);
    }
    static void waitRefreshed(TFSurveillanceLocks& w, const TrackedSnapshot* before) {
        QElapsedTimer clock;
        clock.start();
        while ((w.ModeleLocks->snapshot() == before || w.ModeleLocks->snapshot()->at.isNull()) &&
               clock.elapsed() < 30000)
            QTest::qWait(20);
        ASSERT_NE(w.ModeleLocks->snapshot(), before) << "no refresh within 30 s";
    }
    // "table/recNo/user" of each row shown, in the view's order.
    static QStringList shown(const TFSurveillanceLocks& w) {
        QStringList rows;
        for (int r = 0; r < w.FiltreLocks->rowCount(); ++r) {
            auto cell = [&](int c) { return w.FiltreLocks->index(r, c).data().toString(); };
            rows << cell(kTable) + "/" + cell(kRecord) + "/" + cell(kUser);
        }
        return rows;
    }
    static QVariant role(const TFSurveillanceLocks& w, int row, int r) {
        return w.FiltreLocks->index(row, 0).data(r);
    }

    // Points the window's lock history at `location` for the windows opened next.
    static void keepHistoryIn(const QString& location) {
        QSettings(dir_->filePath("reglages.ini"), QSettings::IniFormat)
            .setValue("Historique/Emplacement", location);
    }

    static inline dictionary::ExecutableFolderOverride* exe_ = nullptr;
    static inline QString gestion_;
};

TEST_F(MonitorWindow, LocksAppearAndGoAcrossRefreshesKeepingWhenFirstSeen) {
    auto a = std::make_unique<Holder>(*server_, gestion_, "Clients", "3",
                                      locktest::Who{"PC-A", "marc", "Compta.exe"});
    ASSERT_TRUE(a->waitReady());
    auto w = open();
    EXPECT_EQ(w->windowTitle(), "Surveillance des locks");
    EXPECT_FALSE(w->isModal());
    EXPECT_EQ(shown(*w), QStringList({"Clients/3/PC-A"}));
    EXPECT_EQ(w->LabelCompteur->text(), "1 locks, 0 nouveaux, 0 libérés");
    const QString firstSeen = w->FiltreLocks->index(0, kFirstSeen).data().toString();

    Holder b(*server_, gestion_, "Produits", "2,5", {"PC-B", "zoe", "Stock.exe"});
    ASSERT_TRUE(b.waitReady());
    QThread::sleep(1);
    refresh(*w);
    EXPECT_EQ(shown(*w), QStringList({"Clients/3/PC-A", "Produits/2/PC-B", "Produits/5/PC-B"}));
    EXPECT_EQ(w->LabelCompteur->text(), "3 locks, 2 nouveaux, 0 libérés");
    EXPECT_EQ(w->FiltreLocks->index(0, kFirstSeen).data().toString(), firstSeen);
    EXPECT_EQ(w->FiltreLocks->index(0, kRowId).data().toString(), "AAAAAD");
    EXPECT_EQ(w->FiltreLocks->index(0, kLockType).data().toString(), "Record Lock");
    EXPECT_FALSE(role(*w, 0, Qt::BackgroundRole).isValid());
    EXPECT_EQ(role(*w, 1, Qt::BackgroundRole).value<QColor>(), LockTableModel::kNewBackground);

    a.reset();
    refresh(*w);
    EXPECT_EQ(shown(*w), QStringList({"Produits/2/PC-B", "Produits/5/PC-B", "Clients/3/PC-A"}));
    EXPECT_EQ(w->LabelCompteur->text(), "2 locks, 0 nouveaux, 1 libérés");
    EXPECT_FALSE(role(*w, 0, Qt::BackgroundRole).isValid()) << "new for one refresh only";
    EXPECT_EQ(role(*w, 2, Qt::ForegroundRole).value<QColor>(), LockTableModel::kGoneForeground);
    refresh(*w);
    EXPECT_EQ(shown(*w), QStringList({"Produits/2/PC-B", "Produits/5/PC-B"}))
        << "released for one refresh only";

    // The summary counts locks held, per user and per application.
    EXPECT_EQ(w->GrilleParUtilisateur->rowCount(), 1);
    EXPECT_EQ(w->GrilleParUtilisateur->item(0, 0)->text(), "PC-B");
    EXPECT_EQ(w->GrilleParUtilisateur->item(0, 1)->text(), "2");
    EXPECT_EQ(w->GrilleParApplication->item(0, 0)->text(), "Stock.exe");
}

TEST_F(MonitorWindow, ThresholdFilterSortCopyExportAndTheLockedRecord) {
    Holder b(*server_, gestion_, "Produits", "2,7", {"PC-B", "zoe", "Stock.exe"});
    Holder c(*server_, gestion_, "Clients", "40", {"PC-C", "alain", "Paie; \"v2\""});
    ASSERT_TRUE(b.waitReady() && c.waitReady());
    auto w = open();
    ASSERT_EQ(w->FiltreLocks->rowCount(), 3);
    EXPECT_FALSE(role(*w, 0, Qt::ForegroundRole).isValid()) << "under the default 60 s";
    w->SpinBoxSeuil->setValue(1);
    QThread::sleep(2);
    refresh(*w);
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(role(*w, r, Qt::ForegroundRole).value<QColor>(), LockTableModel::kOldForeground);

    w->EditFiltre->setText("STOCK");
    EXPECT_EQ(shown(*w), QStringList({"Produits/2/PC-B", "Produits/7/PC-B"}));
    w->EditFiltre->setText("alain");  // the OS login
    EXPECT_EQ(shown(*w), QStringList({"Clients/40/PC-C"}));
    w->EditFiltre->setText("produits");  // the table
    EXPECT_EQ(w->FiltreLocks->rowCount(), 2);
    w->EditFiltre->clear();

    // A click on a title sorts by it: record numbers as numbers (7 before 40).
    auto* header = w->GrilleLocks->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(kRecord) + 5, 5));
    EXPECT_EQ(shown(*w), QStringList({"Produits/2/PC-B", "Produits/7/PC-B", "Clients/40/PC-C"}));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(kRecord) + 5, 5));
    EXPECT_EQ(shown(*w), QStringList({"Clients/40/PC-C", "Produits/7/PC-B", "Produits/2/PC-B"}));
    refresh(*w);
    EXPECT_EQ(shown(*w).first(), "Clients/40/PC-C") << "the order survives a refresh";

    // The selection survives a refresh and Ctrl+C copies it with the titles.
    w->GrilleLocks->selectRow(0);
    refresh(*w);
    const QStringList copied = w->TexteCopie(true).split('\n');
    ASSERT_EQ(copied.size(), 3);
    EXPECT_EQ(copied[0], columnTitles().join('\t'));
    EXPECT_TRUE(
        copied[1].startsWith("Gestion\tClients\t40\tAAAAAo\tPC-C\talain\t\"Paie; \"\"v2\"\"\"\t"))
        << copied[1].toStdString();

    const QString csv = dir_->filePath("export.csv");
    ASSERT_TRUE(w->ExporterCsv(csv));
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(
        bytes.startsWith("\xEF\xBB\xBF"
                         "Dictionnaire;Table;"));
    EXPECT_TRUE(bytes.contains("\r\nGestion;Clients;40;AAAAAo;PC-C;alain;\"Paie; \"\"v2\"\"\";"));
    {
        ui::MessageRecorder recorder;
        EXPECT_FALSE(w->ExporterCsv(dir_->filePath("absent/export.csv")));
        ASSERT_EQ(recorder.messages().size(), 1u);
        EXPECT_TRUE(recorder.messages()[0].text.startsWith("Impossible d'écrire le fichier"));
    }

    // A double-click shows the locked record below.
    const QRect cell = w->GrilleLocks->visualRect(w->FiltreLocks->index(1, kTable));
    QTest::mouseClick(w->GrilleLocks->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(w->GrilleLocks->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(w->LabelEnregistrement->text(), "Gestion — Produits, enregistrement 7");
    ASSERT_EQ(w->GrilleEnregistrement->rowCount(), 1);
    QStringList columns, values;
    for (int c = 0; c < w->GrilleEnregistrement->columnCount(); ++c) {
        columns << w->GrilleEnregistrement->horizontalHeaderItem(c)->text();
        values << w->GrilleEnregistrement->item(0, c)->text();
    }
    EXPECT_EQ(values.at(columns.indexOf("Nom")), "Nom 7") << columns.join(',').toStdString();
}

TEST_F(MonitorWindow, SettingsAreKeptBetweenRuns) {
    QFile::remove(dir_->filePath("reglages.ini"));
    {
        auto w = open();
        EXPECT_EQ(w->ComboBoxIntervalle->currentText(), "5 s");
        EXPECT_EQ(w->SpinBoxSeuil->value(), 60);
        ASSERT_EQ(w->ListeDictionnaires->count(), 2);
        w->ComboBoxIntervalle->setCurrentIndex(3);
        w->SpinBoxSeuil->setValue(120);
        w->ListeDictionnaires->item(1)->setCheckState(Qt::Unchecked);
        w->GrilleLocks->horizontalHeader()->resizeSection(kUser, 177);
        w->resize(900, 500);
        w->close();
    }
    auto w = open();
    EXPECT_EQ(w->ComboBoxIntervalle->currentText(), "30 s");
    EXPECT_EQ(w->SpinBoxSeuil->value(), 120);
    EXPECT_EQ(w->ModeleLocks->thresholdSeconds(), 120);
    EXPECT_EQ(w->ListeDictionnaires->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(w->ListeDictionnaires->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(w->GrilleLocks->horizontalHeader()->sectionSize(kUser), 177);
    EXPECT_EQ(w->size(), QSize(900, 500));
}

TEST_F(MonitorWindow, EveryRefreshIsRecordedAndTheHistoryTabShowsTheLockedRecord) {
    keepHistoryIn(dir_->filePath("historique.sqlite"));
    auto h = std::make_unique<Holder>(*server_, gestion_, "Clients", "7",
                                      locktest::Who{"PC-H", "hugo", "Histo.exe"});
    ASSERT_TRUE(h->waitReady());
    auto w = open();
    refresh(*w);
    h.reset();
    refresh(*w);
    ASSERT_EQ(shown(*w), QStringList({"Clients/7/PC-H"})) << "shown once as released";
    EXPECT_TRUE(w->findChild<QLabel*>("LabelHistorique")->isHidden());

    auto* tab = w->findChild<history::HistoryTab*>();
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(w->OngletsBas->tabText(w->OngletsBas->indexOf(tab)), "Historique");
    tab->reload();
    ASSERT_EQ(tab->model()->rowCount(), 1);
    const history::Episode& episode = tab->model()->episodeAt(0);
    EXPECT_FALSE(episode.open) << "closed by the refresh that no longer saw it";
    EXPECT_EQ(episode.lock.dictionary, "Gestion");
    EXPECT_EQ(episode.lock.table, "Clients");
    EXPECT_EQ(episode.lock.record, 7);
    EXPECT_EQ(episode.lock.userName, "PC-H");

    emit tab->recordRequested(episode.lock);
    EXPECT_EQ(w->OngletsBas->currentIndex(), 0);
    EXPECT_EQ(w->LabelEnregistrement->text(), "Gestion — Clients, enregistrement 7");
    EXPECT_EQ(w->GrilleEnregistrement->rowCount(), 1);
    keepHistoryIn({});
}

TEST_F(MonitorWindow, AHistoryThatCannotBeOpenedIsSaidInTheWindowAndMonitoringGoesOn) {
    QFile notAFolder(dir_->filePath("pas-un-dossier"));
    ASSERT_TRUE(notAFolder.open(QIODevice::WriteOnly));
    notAFolder.close();
    keepHistoryIn(notAFolder.fileName() + "/historique.sqlite");
    Holder h(*server_, gestion_, "Produits", "3", {"PC-F", "fred", "F.exe"});
    ASSERT_TRUE(h.waitReady());
    ui::MessageRecorder recorder;
    auto w = open();
    refresh(*w);
    const QLabel* line = w->findChild<QLabel*>("LabelHistorique");
    EXPECT_FALSE(line->isHidden());
    EXPECT_TRUE(line->text().contains("La surveillance continue sans historique."))
        << line->text().toStdString();
    EXPECT_EQ(shown(*w), QStringList({"Produits/3/PC-F"}));
    EXPECT_TRUE(w->LabelErreur->isHidden());
    EXPECT_TRUE(recorder.messages().empty()) << "no box";
    keepHistoryIn({});
}

// Last: it stops the shared server.
TEST_F(MonitorWindow, ServerLostIsShownInTheWindowThenTheMonitorReconnects) {
    auto h = std::make_unique<Holder>(*server_, gestion_, "Clients", "9",
                                      locktest::Who{"PC-K", "kim", "K.exe"});
    ASSERT_TRUE(h->waitReady());
    ui::MessageRecorder recorder;
    auto w = open();
    ASSERT_EQ(shown(*w), QStringList({"Clients/9/PC-K"}));
    EXPECT_TRUE(w->LabelErreur->isHidden());

    server_->kill();
    h.reset();
    refresh(*w);
    EXPECT_FALSE(w->LabelErreur->isHidden());
    EXPECT_TRUE(w->LabelErreur->text().startsWith("Actualisation impossible — Gestion : "))
        << w->LabelErreur->text().toStdString();
    EXPECT_EQ(shown(*w), QStringList({"Clients/9/PC-K"})) << "the last rows stay";
    EXPECT_EQ(role(*w, 0, Qt::ForegroundRole).value<QColor>(), LockTableModel::kGoneForeground);
    EXPECT_TRUE(recorder.messages().empty()) << "no box";

    ASSERT_TRUE(server_->start()) << server_->log().toStdString();
    Holder again(*server_, gestion_, "Produits", "4", {"PC-R", "rea", "R.exe"});
    ASSERT_TRUE(again.waitReady());
    refresh(*w);
    EXPECT_TRUE(w->LabelErreur->isHidden()) << w->LabelErreur->text().toStdString();
    EXPECT_EQ(shown(*w), QStringList({"Produits/4/PC-R", "Clients/9/PC-K"}));
    EXPECT_EQ(w->LabelCompteur->text(), "1 locks, 1 nouveaux, 1 libérés");
}

}  // namespace
}  // namespace monitor
