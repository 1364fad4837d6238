// MinModal.cpp: TMinModal's event filter, the application-wide minimise and restore, SetMax.
#include "app/identification/MinModal.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindowStateChangeEvent>

#include "ui/messages.h"
#include "ui/platform/monitors.h"

namespace {

int installs = 0;
int uninstalls = 0;

const char kAboutText[] =
    "TMinModal : réduit l'application au lieu d'une fenêtre modale et l'étend à son moniteur.";

// The About setter's hook: it deliberately does nothing, so that About keeps its text.
void RememberMe(QObject*) {}

// The program's visible ordinary windows; balloons, menus and tooltips are not part of it.
QList<QWidget*> applicationWindows() {
    QList<QWidget*> windows;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        Qt::WindowType type = w->windowType();
        if (w->isVisible() && (type == Qt::Window || type == Qt::Dialog)) windows.append(w);
    }
    return windows;
}

// Minimises the whole application; no window is activated.
void showApplicationMinimized() {
    for (QWidget* w : applicationWindows()) {
        if (!w->isMinimized()) w->setWindowState(w->windowState() | Qt::WindowMinimized);
    }
}

// Brings back the application's minimised windows in their previous state.
void showApplicationNormal() {
    for (QWidget* w : applicationWindows()) {
        if (w->isMinimized()) w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
    }
}

// True when a non-client event falls on the caption: above the client area, within its width.
bool onCaption(const QWidget* form, const QMouseEvent* event) {
    QPoint clientTopLeft = form->mapToGlobal(QPoint(0, 0));
    QPoint at = event->globalPosition().toPoint();
    return at.y() < clientTopLeft.y() && at.x() >= clientTopLeft.x() &&
           at.x() < clientTopLeft.x() + form->width();
}

}  // namespace

TMinModal::TMinModal(QObject* AOwner) : QObject(AOwner), FAbout(QString::fromUtf8(kAboutText)) {
    for (QObject* o = AOwner; o; o = o->parent()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w && w->isWindow()) {
            Form = w;
            break;
        }
    }
    if (Form) install();
}

TMinModal::~TMinModal() {
    uninstall();
}

void TMinModal::install() {
    Form->installEventFilter(this);
    installed_ = true;
    ++installs;
    // The form may go first (it owns the component): drop the filter while it still exists.
    connect(Form, &QObject::destroyed, this, [this] {
        uninstall();
        Form = nullptr;
    });
}

void TMinModal::uninstall() {
    if (!installed_) return;
    Form->removeEventFilter(this);
    installed_ = false;
    ++uninstalls;
}

int TMinModal::installCount() {
    return installs;
}
int TMinModal::uninstallCount() {
    return uninstalls;
}

void TMinModal::SetAbout(const QString& Value) {
    if (Value != FAbout) RememberMe(this);
}

bool TMinModal::eventFilter(QObject* watched, QEvent* event) {
    return watched == Form && ModalWndProc(event);
}

bool TMinModal::ModalWndProc(QEvent* Message) {
    switch (Message->type()) {
        case QEvent::WindowActivate:
            showApplicationNormal();
            return false;
        case QEvent::NonClientAreaMouseButtonDblClick:
            if (Form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint) &&
                onCaption(Form, static_cast<QMouseEvent*>(Message))) {
                SetMax(Form, nullptr);
                return true;
            }
            return false;
        case QEvent::WindowStateChange: {
            if (undoingMaximize_) return true;  // the form never saw the maximise either
            Qt::WindowStates old = static_cast<QWindowStateChangeEvent*>(Message)->oldState();
            Qt::WindowStates now = Form->windowState();
            if (now.testFlag(Qt::WindowMinimized) && !old.testFlag(Qt::WindowMinimized)) {
                // The handler is the form's code: what it throws is shown, not let through Qt.
                if (FOnMinimize) ui::guarded([this] { FOnMinimize(this); });
                showApplicationMinimized();
                return true;
            }
            if (now.testFlag(Qt::WindowMaximized) && !old.testFlag(Qt::WindowMaximized)) {
                undoingMaximize_ = true;
                Form->setWindowState(now & ~Qt::WindowMaximized);
                undoingMaximize_ = false;
                SetMax(Form, nullptr);
                return true;
            }
            return false;
        }
        default:
            return false;
    }
}

void TMinModal::SetMax(QWidget* Sender, QWidget* SenderOwner) {
    QWidget* reference = SenderOwner;
    if (!reference) reference = QApplication::activeWindow();
    if (!reference) reference = Sender;
    ui::platform::Monitor monitor = ui::platform::monitorNearest(reference);
    QRect area = (monitor.number == 0 || monitor.primary) ? monitor.workArea : monitor.bounds;
    // The rectangle is for the whole window, frame included: move() places the frame, resize()
    // sizes the client area.
    QSize frameExtra = Sender->frameGeometry().size() - Sender->geometry().size();
    Sender->move(area.topLeft());
    Sender->resize(area.size() - frameExtra);
}
