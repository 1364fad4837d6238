// dialog_keys.h: the keys a tool window answers the way a main window does, not a dialog.
#ifndef BREVANTIS_UI_DIALOG_KEYS_H
#define BREVANTIS_UI_DIALOG_KEYS_H

class QDialog;

namespace ui {

// Escape no longer closes `dialog`: a tool window holds choices that a stray key must not
// lose; it closes by its close button (and Alt+F4). Escape still closes an open drop-down
// list or popup inside it, which takes the key first.
void keepOpenOnEscape(QDialog* dialog);

}  // namespace ui

#endif  // BREVANTIS_UI_DIALOG_KEYS_H
