// identification_gate.cpp: the password loop behind the main window's identification.
#include "app/identification/identification_gate.h"

#include <QByteArray>
#include <QLineEdit>
#include <memory>

#include "app/identification/UFMotDePasse.h"
#include "rtl/ansi.h"
#include "ui/messages.h"

namespace identification {

namespace {

const QByteArray kStoredPassword("qv73");
constexpr int kPasswordCapacity = 30;  // one-byte characters kept of an attempt

bool LogReussi = false;
QByteArray MotdePasse;  // the last attempt, kept after the gate ends

// Clears FMotDePasse and releases the window however the gate ends.
struct WindowRelease {
    void operator()(TFMotDePasse* window) const {
        window->close();
        FMotDePasse = nullptr;
        delete window;
    }
};

}  // namespace

Outcome runIdentification() {
    LogReussi = false;
    std::unique_ptr<TFMotDePasse, WindowRelease> window(new TFMotDePasse(nullptr));
    FMotDePasse = window.get();
    while (!LogReussi) {
        if (window->exec() != QDialog::Accepted) break;
        MotdePasse = rtl::toAnsi(window->EditMotPasse->text()).left(kPasswordCapacity);
        window->EditMotPasse->clear();
        if (MotdePasse == kStoredPassword) {
            LogReussi = true;
        } else {
            ui::messageDialog(ui::DialogKind::Information, QStringLiteral("Mot de passe invalide"));
        }
    }
    return LogReussi ? Outcome::Identified : Outcome::Cancelled;
}

}  // namespace identification
