// Builds and drives the history tab.
#include "history_tab.h"

#include "episode_query.h"
#include "episode_table_model.h"
#include "history_chart.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace history {
namespace {

// The view shows the longest holds; the rest are counted.
constexpr int kRowsShown = 1000;

}  // namespace

QString formatSize(qint64 bytes) {
  const QLocale french(QLocale::French, QLocale::France);
  if (bytes >= 1024 * 1024) return QStringLiteral("%1 Mo").arg(french.toString(bytes / 1048576.0, 'f', 1));
  if (bytes >= 1024) return QStringLiteral("%1 Ko").arg(bytes / 1024);
  return QStringLiteral("%1 octets").arg(bytes);
}

HistoryTab::HistoryTab(EpisodeStore* store, QWidget* parent)
    : QWidget(parent),
      store_(store),
      confirm_([this](const QString& question) {
        return QMessageBox::question(this, QStringLiteral("Vider l'historique"), question) == QMessageBox::Yes;
      }),
      range_(new QComboBox(this)),
      from_(new QDateTimeEdit(this)),
      to_(new QDateTimeEdit(this)),
      filter_(new QLineEdit(this)),
      stackBy_(new QComboBox(this)),
      count_(new QLabel(this)),
      size_(new QLabel(this)),
      clear_(new QPushButton(QStringLiteral("Vider l'historique"), this)),
      table_(new QTableView(this)),
      model_(new EpisodeTableModel(this)),
      chart_(new HistoryChart(this)) {
  setObjectName(QStringLiteral("HistoryTab"));
  range_->setObjectName(QStringLiteral("HistoryRange"));
  range_->addItems({QStringLiteral("Dernière heure"), QStringLiteral("Aujourd'hui"),
                    QStringLiteral("7 derniers jours"), QStringLiteral("Période choisie")});
  range_->setCurrentIndex(2);
  for (QDateTimeEdit* edit : {from_, to_}) {
    edit->setDisplayFormat(QStringLiteral("dd/MM/yyyy HH:mm"));
    edit->setCalendarPopup(true);
    edit->setVisible(false);
  }
  from_->setObjectName(QStringLiteral("HistoryFrom"));
  to_->setObjectName(QStringLiteral("HistoryTo"));
  filter_->setObjectName(QStringLiteral("HistoryFilter"));
  filter_->setPlaceholderText(QStringLiteral("Filtrer : utilisateur, login, application, table"));
  filter_->setClearButtonEnabled(true);
  stackBy_->setObjectName(QStringLiteral("HistoryStackBy"));
  stackBy_->addItems({QStringLiteral("Total"), QStringLiteral("Par utilisateur"), QStringLiteral("Par application")});
  count_->setObjectName(QStringLiteral("HistoryCount"));
  size_->setObjectName(QStringLiteral("HistorySize"));
  clear_->setObjectName(QStringLiteral("HistoryClear"));
  table_->setObjectName(QStringLiteral("HistoryTable"));
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->verticalHeader()->hide();
  table_->setWordWrap(false);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  table_->horizontalHeader()->setStretchLastSection(true);
  auto* refresh = new QPushButton(QStringLiteral("Actualiser"), this);
  refresh->setObjectName(QStringLiteral("HistoryRefresh"));

  auto* controls = new QHBoxLayout;
  controls->addWidget(new QLabel(QStringLiteral("Période :"), this));
  controls->addWidget(range_);
  controls->addWidget(from_);
  controls->addWidget(to_);
  controls->addWidget(filter_, 1);
  controls->addWidget(stackBy_);
  controls->addWidget(refresh);
  auto* status = new QHBoxLayout;
  status->addWidget(count_, 1);
  status->addWidget(size_);
  status->addWidget(clear_);
  auto* splitter = new QSplitter(Qt::Vertical, this);
  splitter->addWidget(table_);
  splitter->addWidget(chart_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(controls);
  layout->addWidget(splitter, 1);
  layout->addLayout(status);

  auto reloadNow = [this] { reload(); };
  connect(range_, &QComboBox::currentIndexChanged, this, [this](int index) {
    const bool chosen = index == 3;
    if (chosen && from_->isHidden()) {
      const QDateTime now = QDateTime::currentDateTime();
      from_->setDateTime(now.addDays(-1));
      to_->setDateTime(now);
    }
    from_->setVisible(chosen);
    to_->setVisible(chosen);
    reload();
  });
  connect(from_, &QDateTimeEdit::dateTimeChanged, this, reloadNow);
  connect(to_, &QDateTimeEdit::dateTimeChanged, this, reloadNow);
  // Typing waits for a pause: each reading of a large history takes a moment.
  auto* typing = new QTimer(this);
  typing->setSingleShot(true);
  typing->setInterval(300);
  connect(typing, &QTimer::timeout, this, reloadNow);
  connect(filter_, &QLineEdit::textChanged, typing, qOverload<>(&QTimer::start));
  connect(stackBy_, &QComboBox::currentIndexChanged, this, reloadNow);
  connect(refresh, &QPushButton::clicked, this, reloadNow);
  connect(clear_, &QPushButton::clicked, this, &HistoryTab::clearHistory);
  connect(table_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) emit recordRequested(model_->episodeAt(index.row()).lock);
  });
}

void HistoryTab::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!loaded_) reload();
}

TimeRange HistoryTab::chosenRange(const QDateTime& now) const {
  switch (range_->currentIndex()) {
    case 0:
      return presetRange(RangePreset::LastHour, now);
    case 1:
      return presetRange(RangePreset::Today, now);
    case 3:
      return {from_->dateTime(), to_->dateTime()};
    default:
      return presetRange(RangePreset::SevenDays, now);
  }
}

void HistoryTab::reload(const QDateTime& now) {
  loaded_ = true;
  const bool ready = store_ && store_->isReady();
  clear_->setEnabled(ready);
  if (!ready) {
    model_->setEpisodes({});
    chart_->setSeries({}, {});
    count_->setText(QStringLiteral("L'historique des locks n'est pas enregistré."));
    size_->clear();
    return;
  }
  const TimeRange range = chosenRange(now);
  QString error;
  const auto page = queryEpisodes(store_->database(), {range, filter_->text(), kRowsShown}, &error);
  const BucketPlan plan = planBuckets(range);
  const auto series = chartSeries(store_->database(), store_->dialect().sqlite, plan, filter_->text(),
                                  static_cast<StackBy>(stackBy_->currentIndex()), &error);
  if (!page || !series) {
    count_->setText(QStringLiteral("Lecture de l'historique des locks impossible : %1").arg(error));
    return;
  }
  model_->setEpisodes(page->episodes);
  table_->resizeColumnsToContents();
  chart_->setSeries(*series, plan);
  count_->setText(page->total > static_cast<qint64>(page->episodes.size())
                      ? QStringLiteral("%1 épisodes, les %2 plus longs affichés").arg(page->total).arg(page->episodes.size())
                      : QStringLiteral("%1 épisode%2").arg(page->total).arg(page->total > 1 ? QStringLiteral("s") : QString()));
  const auto bytes = store_->sizeBytes();
  size_->setText(bytes ? QStringLiteral("Taille de l'historique : %1").arg(formatSize(*bytes)) : QString());
}

void HistoryTab::clearHistory() {
  if (!confirm_(QStringLiteral("Vider l'historique des locks ? Tous les épisodes enregistrés seront supprimés.")))
    return;
  store_->clear();
  reload();
}

}  // namespace history
