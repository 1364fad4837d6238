// secondary_window.h: opens a tool window modally while the main window steps aside.
#ifndef BREVANTIS_APP_SECONDARY_WINDOW_H
#define BREVANTIS_APP_SECONDARY_WINDOW_H

#include <QWidget>
#include <memory>

namespace app {

// Creates a W with no owner and stores it in `moduleVariable`, hides `mainWindow`, shows the
// W modally until it closes, clears `moduleVariable`, destroys the W and shows `mainWindow`
// again. The main window comes back and the W is destroyed even when showing it throws.
// REQUIRES: W is a QDialog constructible from a null owner; `moduleVariable` is null.
template <class W>
void openSecondaryWindow(QWidget* mainWindow, W*& moduleVariable) {
    struct Restore {
        QWidget* mainWindow;
        W*& moduleVariable;
        ~Restore() {
            std::unique_ptr<W> window(moduleVariable);
            moduleVariable = nullptr;
            window.reset();
            mainWindow->show();
        }
    };
    moduleVariable = new W(nullptr);
    Restore restore{mainWindow, moduleVariable};
    mainWindow->hide();
    moduleVariable->exec();
}

}  // namespace app

#endif  // BREVANTIS_APP_SECONDARY_WINDOW_H
