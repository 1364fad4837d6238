// TFSurveillanceLocks.cpp: the monitor window's refresh cycle, settings, copy, export and
// locked-record display.
#include "monitor/window/TFSurveillanceLocks.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSaveFile>
#include <QSettings>
#include <QShortcut>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "dictionary/alias_config.h"
#include "dictionary/exe_folder.h"
#include "dictionary/table_list.h"
#include "monitor/background_refresher.h"
#include "monitor/export_formats.h"
#include "monitor/lock_summary.h"
#include "monitor/lock_text.h"
#include "monitor/locked_record.h"
#include "history_tab.h"
#include "monitor/window/history_page.h"
#include "monitor/window/history_recorder.h"
#include "monitor/window/lock_filter_proxy.h"
#include "monitor/window/lock_table_model.h"
#include "rtl/exception.h"
#include "rtl/file_exists.h"
#include "rtl/string_list.h"
#include "ui/messages.h"

namespace monitor {
namespace {

std::unique_ptr<QSettings> openSettings(const QString& file) {
    if (file.isEmpty())
        return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                           QStringLiteral("Brevantis"),
                                           QStringLiteral("Brevantis"));
    return std::make_unique<QSettings>(file, QSettings::IniFormat);
}

Credentials administrator() {
    return {dictionary::kAdministrator, dictionary::kAdministratorPassword};
}

bool sameLock(const LockRow& a, const LockRow& b) {
    return a.dictionary == b.dictionary && a.recNo == b.recNo && a.connNumber == b.connNumber &&
           a.table.compare(b.table, Qt::CaseInsensitive) == 0;
}

}  // namespace

TFSurveillanceLocks::TFSurveillanceLocks(QWidget* parent, const QString& settingsFile,
                                         SnapshotObserver* observer)
    : QWidget(parent),
      settingsFile_(settingsFile),
      refresher_(std::make_unique<BackgroundRefresher>(administrator(), observer)),
      recordReader_(std::make_unique<LockedRecordReader>(administrator())) {
    buildWindow();
    history_ = std::make_unique<HistoryPage>(*openSettings(settingsFile_));
    std::unique_ptr<HistoryRecorder> recorder = history_->recorder();
    historyRecorder_ = recorder.get();
    refresher_->adoptObserver(std::move(recorder));
    OngletsBas->addTab(history_->tab(), QStringLiteral("Historique"));
    // Under the refresh's own error line: the history's trouble never hides the locks'.
    if (auto* column = qobject_cast<QVBoxLayout*>(layout()))
        column->insertWidget(column->indexOf(LabelErreur) + 1, history_->messageLine());
    const QString folder = dictionary::executableFolder();
    if (rtl::fileExists(folder + QStringLiteral("ads.ini"))) {
        rtl::StringList listAllPaths;
        for (const dictionary::OfferedAlias& alias : dictionary::loadAliases(folder, listAllPaths))
            aliases_.push_back({alias.name, dictionary::dictionaryPathOf(dictionary::aliasEntryValue(
                                                listAllPaths, alias.entry))});
    } else {
        LabelErreur->setText(dictionary::kAdsIniMissing);
        LabelErreur->show();
    }
    for (const WatchedDictionary& d : aliases_) {
        auto* item = new QListWidgetItem(d.name, ListeDictionnaires);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    }
    applySettings(loadMonitorSettings(*openSettings(settingsFile_)));
    historyRecorder_->setInterval(interval());
    connectSignals();
    ActualiserMaintenant();
}

TFSurveillanceLocks::~TFSurveillanceLocks() {
    keepSettings();
}

void TFSurveillanceLocks::closeEvent(QCloseEvent* event) {
    keepSettings();
    QWidget::closeEvent(event);
}

void TFSurveillanceLocks::connectSignals() {
    connect(refresher_.get(), &BackgroundRefresher::refreshed, this,
            [this](std::shared_ptr<const SortedSnapshot> s) { refreshFinished(*s); });
    connect(TimerActualisation, &QTimer::timeout, this, [this] { ActualiserMaintenant(); });
    connect(BtnActualiser, &QPushButton::clicked, this, [this] { ActualiserMaintenant(); });
    auto* f5 = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(f5, &QShortcut::activated, this, [this] { ActualiserMaintenant(); });
    connect(BtnPause, &QPushButton::clicked, this, [this] { BtnPauseClick(); });
    connect(BtnExporterCsv, &QPushButton::clicked, this, [this] { BtnExporterCsvClick(); });
    connect(ComboBoxIntervalle, &QComboBox::currentIndexChanged, this, [this] {
        historyRecorder_->setInterval(interval());
        if (TimerActualisation->isActive()) scheduleNext();
    });
    connect(SpinBoxSeuil, &QSpinBox::valueChanged, ModeleLocks,
            &LockTableModel::setThresholdSeconds);
    connect(EditFiltre, &QLineEdit::textChanged, FiltreLocks, &LockFilterProxy::setFilterText);
    connect(ListeDictionnaires, &QListWidget::itemChanged, this,
            [this] { ActualiserMaintenant(); });
    connect(GrilleLocks, &QTableView::activated, this,
            [this](const QModelIndex& index) { showRecordOfRow(index); });
    connect(history_->tab(), &history::HistoryTab::recordRequested, this,
            [this](const history::Observation& lock) {
                showRecord(lock.dictionary, lock.table, static_cast<int>(lock.record));
            });
    auto* copyShortcut = new QShortcut(QKeySequence::Copy, GrilleLocks);
    copyShortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(copyShortcut, &QShortcut::activated, this,
            [this] { QGuiApplication::clipboard()->setText(TexteCopie(true)); });
}

void TFSurveillanceLocks::applySettings(const MonitorSettings& s) {
    ComboBoxIntervalle->setCurrentIndex(
        std::max<int>(0, static_cast<int>(kIntervals.indexOf(s.intervalSeconds))));
    SpinBoxSeuil->setValue(s.thresholdSeconds);
    ModeleLocks->setThresholdSeconds(s.thresholdSeconds);
    for (int i = 0; i < ListeDictionnaires->count(); ++i) {
        QListWidgetItem* item = ListeDictionnaires->item(i);
        const bool watched = s.dictionaries.isEmpty() || s.dictionaries.contains(item->text());
        item->setCheckState(watched ? Qt::Checked : Qt::Unchecked);
    }
    widthsSet_ = s.columnWidths.size() == kColumnCount;
    if (widthsSet_)
        for (int c = 0; c < kColumnCount; ++c)
            GrilleLocks->horizontalHeader()->resizeSection(c, s.columnWidths[c]);
    if (!s.geometry.isEmpty()) restoreGeometry(s.geometry);
}

MonitorSettings TFSurveillanceLocks::ReglagesActuels() const {
    MonitorSettings s;
    s.intervalSeconds = ComboBoxIntervalle->currentData().toInt();
    s.thresholdSeconds = SpinBoxSeuil->value();
    for (int i = 0; i < ListeDictionnaires->count(); ++i)
        if (ListeDictionnaires->item(i)->checkState() == Qt::Checked)
            s.dictionaries << ListeDictionnaires->item(i)->text();
    for (int c = 0; c < kColumnCount; ++c)
        s.columnWidths << GrilleLocks->horizontalHeader()->sectionSize(c);
    s.geometry = saveGeometry();
    return s;
}

void TFSurveillanceLocks::keepSettings() {
    if (saved_) return;
    saved_ = true;
    saveMonitorSettings(*openSettings(settingsFile_), ReglagesActuels());
}

std::vector<WatchedDictionary> TFSurveillanceLocks::watchedDictionaries() const {
    std::vector<WatchedDictionary> watched;
    for (int i = 0; i < ListeDictionnaires->count(); ++i)
        if (ListeDictionnaires->item(i)->checkState() == Qt::Checked)
            watched.push_back(aliases_[size_t(i)]);
    return watched;
}

bool TFSurveillanceLocks::ActualiserMaintenant() {
    saved_ = false;
    if (!refresher_->refresh(watchedDictionaries(), ModeleLocks->sortKey())) return false;
    TimerActualisation->stop();
    LabelActualisation->setText(QStringLiteral("Actualisation en cours…"));
    return true;
}

void TFSurveillanceLocks::scheduleNext() {
    TimerActualisation->stop();
    if (!paused_) TimerActualisation->start(interval());
}

void TFSurveillanceLocks::BtnPauseClick() {
    paused_ = !paused_;
    BtnPause->setText(paused_ ? QStringLiteral("Reprendre") : QStringLiteral("Pause"));
    if (paused_)
        TimerActualisation->stop();
    else if (!refresher_->busy())
        scheduleNext();
}

std::chrono::milliseconds TFSurveillanceLocks::interval() const {
    return std::chrono::seconds(ComboBoxIntervalle->currentData().toInt());
}

void TFSurveillanceLocks::refreshFinished(const SortedSnapshot& result) {
    const std::shared_ptr<const TrackedSnapshot>& snapshot = result.snapshot;
    // The rows selected stay selected when their locks are still listed.
    std::vector<LockRow> selected;
    for (const QModelIndex& index : GrilleLocks->selectionModel()->selectedRows())
        selected.push_back(ModeleLocks->lockAt(FiltreLocks->mapToSource(index).row()).row);

    refresher_->release(ModeleLocks->setSnapshot(snapshot, result.sortedBy, result.rows));
    // Widths fit the first rows until the user sets (and the settings keep) others.
    if (!widthsSet_ && ModeleLocks->rowCount() > 0) {
        GrilleLocks->resizeColumnsToContents();
        widthsSet_ = true;
    }

    if (!selected.empty()) {
        QItemSelection selection;
        for (int r = 0; r < ModeleLocks->rowCount(); ++r) {
            const LockRow& row = ModeleLocks->lockAt(r).row;
            if (std::any_of(selected.begin(), selected.end(),
                            [&](const LockRow& s) { return sameLock(s, row); })) {
                const QModelIndex at = FiltreLocks->mapFromSource(ModeleLocks->index(r, 0));
                if (at.isValid()) selection.select(at, at);
            }
        }
        GrilleLocks->selectionModel()->select(
            selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    LabelCompteur->setText(counterText(*snapshot));
    LabelActualisation->setText(
        QStringLiteral("Dernière actualisation : %1 (%2 s)")
            .arg(snapshot->at.toLocalTime().toString(QStringLiteral("HH:mm:ss")),
                 QLocale(QLocale::French).toString(snapshot->elapsedMs / 1000.0, 'f', 2)));
    QStringList errors;
    for (const DictionaryFailure& f : snapshot->failures) {
        QString message = f.message.simplified();
        while (message.endsWith(u'.')) message.chop(1);  // the sentence goes on after it
        errors << QStringLiteral("%1 : %2").arg(f.dictionary, message);
    }
    if (errors.isEmpty()) {
        LabelErreur->hide();
    } else {
        LabelErreur->setText(QStringLiteral("Actualisation impossible — %1. Les derniers locks "
                                            "connus sont en gris ; nouvel essai à la prochaine "
                                            "actualisation.")
                                 .arg(errors.join(QStringLiteral(" ; "))));
        LabelErreur->show();
    }
    fillSummaries(*snapshot);
    scheduleNext();
}

void TFSurveillanceLocks::fillSummaries(const TrackedSnapshot& snapshot) {
    auto fill = [&](QTableWidget* grid, SummaryBy by) {
        const std::vector<SummaryLine> lines = summarize(snapshot, by);
        grid->setRowCount(static_cast<int>(lines.size()));
        for (int r = 0; r < grid->rowCount(); ++r) {
            const SummaryLine& l = lines[size_t(r)];
            grid->setItem(r, 0, new QTableWidgetItem(l.holder));
            grid->setItem(r, 1, new QTableWidgetItem(QString::number(l.locks)));
            grid->setItem(r, 2,
                          new QTableWidgetItem(QStringLiteral("%1 (%2)").arg(
                              timeText(l.oldest), durationText(l.oldest.secsTo(snapshot.at)))));
        }
    };
    fill(GrilleParUtilisateur, SummaryBy::User);
    fill(GrilleParApplication, SummaryBy::Application);
}

std::vector<QStringList> TFSurveillanceLocks::shownRows(bool selectedOnly) const {
    std::vector<QStringList> rows;
    const QDateTime at = ModeleLocks->snapshot()->at;
    auto add = [&](const QModelIndex& proxyIndex) {
        rows.push_back(
            cellTexts(ModeleLocks->lockAt(FiltreLocks->mapToSource(proxyIndex).row()).row, at));
    };
    if (selectedOnly) {
        QModelIndexList chosen = GrilleLocks->selectionModel()->selectedRows();
        std::sort(chosen.begin(), chosen.end(),
                  [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
        for (const QModelIndex& index : chosen) add(index);
    } else {
        for (int r = 0; r < FiltreLocks->rowCount(); ++r) add(FiltreLocks->index(r, 0));
    }
    return rows;
}

QString TFSurveillanceLocks::TexteCopie(bool selectedOnly) const {
    return tabSeparated(columnTitles(), shownRows(selectedOnly));
}

bool TFSurveillanceLocks::ExporterCsv(const QString& path) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) &&
        file.write(csvFile(columnTitles(), shownRows(false))) >= 0 && file.commit())
        return true;
    ui::messageDialog(
        ui::DialogKind::Error,
        QStringLiteral("Impossible d'écrire le fichier « %1 » : %2").arg(path, file.errorString()));
    return false;
}

void TFSurveillanceLocks::BtnExporterCsvClick() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Exporter en CSV"),
                                                      QStringLiteral("locks.csv"),
                                                      QStringLiteral("Fichiers CSV (*.csv)"));
    if (!path.isEmpty()) ExporterCsv(path);
}

void TFSurveillanceLocks::showRecordOfRow(const QModelIndex& proxyIndex) {
    if (!proxyIndex.isValid()) return;
    const LockRow row = ModeleLocks->lockAt(FiltreLocks->mapToSource(proxyIndex).row()).row;
    showRecord(row.dictionary, row.table, row.recNo);
}

void TFSurveillanceLocks::showRecord(const QString& dictionaryName, const QString& table,
                                     int recNo) {
    OngletsBas->setCurrentIndex(0);
    GrilleEnregistrement->clear();
    GrilleEnregistrement->setRowCount(0);
    GrilleEnregistrement->setColumnCount(0);
    const auto dictionary = std::find_if(aliases_.begin(), aliases_.end(),
                                         [&](const auto& d) { return d.name == dictionaryName; });
    const QString what =
        QStringLiteral("%1 — %2, enregistrement %3").arg(dictionaryName, table).arg(recNo);
    if (dictionary == aliases_.end()) return;
    try {
        const std::optional<LockedRecord> record =
            recordReader_->read(*dictionary, table, recNo);
        if (!record) {
            LabelEnregistrement->setText(what +
                                         QStringLiteral(" : L'enregistrement n'a pas été trouvé!"));
            return;
        }
        LabelEnregistrement->setText(what);
        GrilleEnregistrement->setColumnCount(static_cast<int>(record->columns.size()));
        GrilleEnregistrement->setHorizontalHeaderLabels(record->columns);
        GrilleEnregistrement->setRowCount(1);
        for (int c = 0; c < record->values.size(); ++c)
            GrilleEnregistrement->setItem(0, c, new QTableWidgetItem(record->values[c]));
        GrilleEnregistrement->resizeColumnsToContents();
    } catch (const rtl::Exception& error) {
        LabelEnregistrement->setText(what + QStringLiteral(" : lecture impossible : ") +
                                     error.message().simplified());
    }
}

}  // namespace monitor
