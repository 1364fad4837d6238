// TFSurveillanceLocks.h: the window "Surveillance des locks": every lock of the watched
// dictionaries, refreshed on its own in the background, what changed since the last refresh,
// the summary by user and by application, and the locked record of a chosen row.
#ifndef BREVANTIS_MONITOR_WINDOW_TFSURVEILLANCELOCKS_H
#define BREVANTIS_MONITOR_WINDOW_TFSURVEILLANCELOCKS_H

#include <QString>
#include <QWidget>
#include <chrono>
#include <memory>
#include <vector>

#include "monitor/lock_collector.h"
#include "monitor/lock_row.h"
#include "monitor/monitor_settings.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableView;
class QTableWidget;
class QTimer;

namespace monitor {

class BackgroundRefresher;
class HistoryPage;
class HistoryRecorder;
class LockFilterProxy;
class LockTableModel;
class LockedRecordReader;
class SnapshotObserver;
struct SortedSnapshot;

class TFSurveillanceLocks : public QWidget {
  public:
    // Reads the aliases of ads.ini beside the program and the settings kept in
    // `settingsFile` (empty: the user's settings of the tool), then refreshes at once.
    // `observer` (may be null, not owned, must outlive the window) is told of every
    // snapshot on the refresh thread.
    explicit TFSurveillanceLocks(QWidget* parent = nullptr, const QString& settingsFile = {},
                                 SnapshotObserver* observer = nullptr);
    // Keeps the settings; a running refresh is cancelled.
    ~TFSurveillanceLocks() override;

    // Starts a refresh now unless one is running; returns whether it started.
    bool ActualiserMaintenant();
    // Writes the rows shown, in their order, to `path` as CSV. False after telling the user
    // when the file cannot be written.
    bool ExporterCsv(const QString& path);
    // The rows shown (all when `selectedOnly` is false) tab-separated with the titles.
    QString TexteCopie(bool selectedOnly) const;
    // The settings as the window stands now.
    MonitorSettings ReglagesActuels() const;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildWindow();
    void connectSignals();
    void applySettings(const MonitorSettings& settings);
    std::vector<WatchedDictionary> watchedDictionaries() const;
    void refreshFinished(const SortedSnapshot& result);
    std::chrono::milliseconds interval() const;
    void scheduleNext();
    void BtnPauseClick();
    void BtnExporterCsvClick();
    void showRecordOfRow(const QModelIndex& proxyIndex);
    void showRecord(const QString& dictionary, const QString& table, int recNo);
    void fillSummaries(const TrackedSnapshot& snapshot);
    std::vector<QStringList> shownRows(bool selectedOnly) const;
    void keepSettings();

    QString settingsFile_;
    std::vector<WatchedDictionary> aliases_;  // every alias offered by ads.ini
    std::unique_ptr<BackgroundRefresher> refresher_;
    std::unique_ptr<LockedRecordReader> recordReader_;
    std::unique_ptr<HistoryPage> history_;  // the "Historique" tab
    HistoryRecorder* historyRecorder_;      // owned by the refresher, on its thread
    bool paused_ = false;
    bool saved_ = false;
    bool widthsSet_ = false;  // column widths from the settings or fitted once

  public:
    // Controls, named as their object names.
    QListWidget* ListeDictionnaires;
    QComboBox* ComboBoxIntervalle;
    QSpinBox* SpinBoxSeuil;
    QPushButton* BtnPause;
    QPushButton* BtnActualiser;
    QPushButton* BtnExporterCsv;
    QLineEdit* EditFiltre;
    QLabel* LabelCompteur;
    QLabel* LabelActualisation;
    QLabel* LabelErreur;
    QTableView* GrilleLocks;
    QTabWidget* OngletsBas;
    QLabel* LabelEnregistrement;
    QTableWidget* GrilleEnregistrement;
    QTableWidget* GrilleParUtilisateur;
    QTableWidget* GrilleParApplication;
    QTimer* TimerActualisation;
    LockTableModel* ModeleLocks;
    LockFilterProxy* FiltreLocks;
};

}  // namespace monitor

#endif  // BREVANTIS_MONITOR_WINDOW_TFSURVEILLANCELOCKS_H
