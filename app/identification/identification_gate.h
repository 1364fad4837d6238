// identification_gate.h: the password gate that keeps the main window's working area hidden.
#ifndef BREVANTIS_APP_IDENTIFICATION_IDENTIFICATION_GATE_H
#define BREVANTIS_APP_IDENTIFICATION_IDENTIFICATION_GATE_H

namespace identification {

enum class Outcome { Identified, Cancelled };

// Shows the identification window modally, again after each wrong password (with the
// message "Mot de passe invalide"), until the right password is given (Identified) or the
// window is cancelled, escaped or closed (Cancelled). A new window serves each call and is
// released before returning. The caller applies the outcome to its controls.
// REQUIRES: a QApplication exists; called on the user-interface thread.
Outcome runIdentification();

}  // namespace identification

#endif  // BREVANTIS_APP_IDENTIFICATION_IDENTIFICATION_GATE_H
