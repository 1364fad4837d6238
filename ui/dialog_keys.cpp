// dialog_keys.cpp: keepOpenOnEscape, an event filter owned by the dialog.
#include "ui/dialog_keys.h"

#include <QDialog>
#include <QKeyEvent>

namespace ui {
namespace {

// Swallows the Escape presses that reach the dialog itself, which QDialog reads as "reject".
class EscapeFilter : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != parent() || event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        return key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier;
    }
};

}  // namespace

void keepOpenOnEscape(QDialog* dialog) {
    dialog->installEventFilter(new EscapeFilter(dialog));
}

}  // namespace ui
