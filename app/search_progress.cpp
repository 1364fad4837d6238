// search_progress.cpp: the search's wait cursor, its event passes, its delayed modal
// progress dialog and the "Annuler" button.
#include "app/search_progress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>

#include "app/lock_search_context.h"

namespace app {
namespace {

// Events are processed at most this often: the windows repaint smoothly, a click on
// "Annuler" is answered at once, and a quick search pays for no pass at all.
constexpr qint64 kPassIntervalMs = 100;

bool isUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::ContextMenu:
            return true;
        default:
            return false;
    }
}

bool isWithin(QObject* watched, QObject* ancestor) {
    for (QObject* o = watched; o != nullptr; o = o->parent())
        if (o == ancestor) return true;
    return false;
}

}  // namespace

bool SearchProgress::InputFilter::eventFilter(QObject* watched, QEvent* event) {
    if (!isUserInput(event->type())) return false;
    const QProgressDialog* dialog = owner_.dialog_;
    return dialog == nullptr || !dialog->isVisible() ||
           !isWithin(watched, const_cast<QProgressDialog*>(dialog));
}

SearchProgress::SearchProgress(LockSearchContext& r) : r_(r) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QCoreApplication::instance()->installEventFilter(&inputFilter_);
    since_.start();
    r_.progress = this;
}

SearchProgress::~SearchProgress() {
    r_.progress = nullptr;
    delete dialog_;
    QCoreApplication::instance()->removeEventFilter(&inputFilter_);
    QApplication::restoreOverrideCursor();
}

void SearchProgress::table(int i, int n, const QString& name) {
    table_ = i;
    tables_ = n;
    name_ = name;
    pass(true);
}

void SearchProgress::betweenStatements() {
    pass(false);
}

void SearchProgress::pass(bool newTable) {
    const qint64 now = since_.elapsed();
    const bool due = now - lastPass_ >= kPassIntervalMs;
    if (dialog_ == nullptr && now >= r_.progressDelayMs) {
        showDialog();
    } else if (!due && !(newTable && dialog_ != nullptr)) {
        return;
    }
    if (dialog_ != nullptr) refresh();
    QCoreApplication::processEvents();
    lastPass_ = since_.elapsed();
    if (dialog_ != nullptr && dialog_->wasCanceled()) throw locksearch::Cancelled{};
}

void SearchProgress::showDialog() {
    QWidget* window = r_.BtnChercherLocksParDictionnaire->window();
    auto* d = new QProgressDialog(window, Qt::Dialog | Qt::CustomizeWindowHint |
                                              Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    d->setObjectName(QStringLiteral("FProgressionRecherche"));
    d->setWindowTitle(QStringLiteral("Recherche des locks"));
    d->setWindowModality(Qt::ApplicationModal);
    // Shown and refreshed by this class only, never on the dialog's own timing.
    d->setAutoReset(false);
    d->setAutoClose(false);
    d->setMinimumDuration(0);
    auto* label = new QLabel(d);
    label->setObjectName(QStringLiteral("LabelTableEnCours"));
    d->setLabel(label);
    auto* cancel = new QPushButton(QStringLiteral("Annuler"), d);
    cancel->setObjectName(QStringLiteral("BtnAnnuler"));
    // Escape and the title bar's close button cancel as the button does.
    d->setCancelButton(cancel);
    QObject::connect(d, &QDialog::rejected, d, &QProgressDialog::cancel);
    d->setMinimumWidth(360);
    dialog_ = d;
    refresh();
    d->show();
    // The user may now press "Annuler": an arrow with the hourglass says so.
    QApplication::changeOverrideCursor(Qt::BusyCursor);
}

void SearchProgress::refresh() {
    dialog_->setLabelText(QStringLiteral("Table %1 de %2 : %3\nLocks trouvés : %4")
                              .arg(table_)
                              .arg(tables_)
                              .arg(name_)
                              .arg(locks_));
    dialog_->setRange(0, std::max(tables_, 1));
    dialog_->setValue(std::max(table_ - 1, 0));
}

}  // namespace app
