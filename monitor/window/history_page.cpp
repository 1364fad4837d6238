// history_page.cpp: the window's lock history: its tab, its recorder and its messages.
#include "monitor/window/history_page.h"

#include <QLabel>
#include <QSettings>

#include "history_tab.h"
#include "monitor/history_settings.h"
#include "monitor/window/history_recorder.h"

namespace monitor {
namespace {

void showOn(QLabel* line, const QString& message) {
    line->setText(message);
    line->show();
}

}  // namespace

HistoryPage::HistoryPage(QSettings& settings)
    : kept_(loadHistorySettings(settings)), message_(new QLabel) {
    message_->setObjectName(QStringLiteral("LabelHistorique"));
    message_->setStyleSheet(QStringLiteral("color: #b00000;"));
    message_->setWordWrap(true);
    message_->hide();
    // The store says each failure once; the line keeps the last one in view.
    store_ = openHistory(kept_.location, kept_.retentionDays,
                         [this](const QString& m) { say(m); });
    tab_ = new history::HistoryTab(store_.get());
    tab_->setObjectName(QStringLiteral("OngletHistorique"));
    // The chart and its controls must not make the whole window taller than the user set it.
    tab_->setMinimumSize(100, 60);
}

HistoryPage::~HistoryPage() {
    delete tab_.data();
}

void HistoryPage::say(const QString& message) const {
    if (message_) showOn(message_, message);
}

std::unique_ptr<HistoryRecorder> HistoryPage::recorder() const {
    // Told on the refresh thread: the line is set on its own.
    QLabel* line = message_.data();
    return std::make_unique<HistoryRecorder>(kept_, [line](const QString& m) {
        QMetaObject::invokeMethod(line, [line, m] { showOn(line, m); });
    });
}

}  // namespace monitor
