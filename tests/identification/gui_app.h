// gui_app.h: the one QApplication of a GUI test executable.
#ifndef BREVANTIS_TESTS_IDENTIFICATION_GUI_APP_H
#define BREVANTIS_TESTS_IDENTIFICATION_GUI_APP_H

#include <QApplication>

// Creates the application on first use. It is never destroyed: widgets that tests leave to
// static destructors must not outlive it.
inline QApplication& guiApp() {
    static int argc = 1;
    static char name[] = "identification_test";
    static char* argv[] = {name, nullptr};
    static auto* app = new QApplication(argc, argv);
    return *app;
}

#endif  // BREVANTIS_TESTS_IDENTIFICATION_GUI_APP_H
