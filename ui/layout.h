// layout.h: how the windows lay out their controls at their design places, and the one way
// a window connects a signal to a handler that must never let an exception out.
#ifndef BREVANTIS_UI_LAYOUT_H
#define BREVANTIS_UI_LAYOUT_H

#include <QColor>
#include <QFont>
#include <QObject>
#include <QRect>
#include <QString>
#include <utility>

#include "ui/messages.h"

class QLabel;
class QWidget;

namespace ui {

// `object` with its object name set to `name`, for building a window's controls in one line.
template <class T>
T* named(T* object, const char* name) {
    object->setObjectName(QLatin1String(name));
    return object;
}

// Names `w` after its control and puts it at its design rectangle in its parent.
template <class W>
W* placed(W* w, const char* name, const QRect& r) {
    w->setObjectName(QLatin1String(name));
    w->setGeometry(r);
    return w;
}

// A label named `name` at `r` in `parent`, in `font` and, when valid, `colour`. It is at least
// as wide as its caption: a substitute font wider than the one asked for must not cut it.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, const QRect& r,
                  const QFont& font, const QColor& colour = QColor());

// Connects `signal` of `sender` to `handler`, run inside ui::guarded; `context` ends the
// connection when destroyed.
template <class Sender, class Signal, class Handler>
QMetaObject::Connection connectGuarded(Sender* sender, Signal signal, const QObject* context,
                                       Handler handler) {
    return QObject::connect(sender, signal, context,
                            [handler = std::move(handler)] { guarded(handler); });
}

}  // namespace ui

#endif  // BREVANTIS_UI_LAYOUT_H
