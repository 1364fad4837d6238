// gui_app.h: the one QApplication of a GUI test executable.
#ifndef BREVANTIS_TESTS_IDENTIFICATION_GUI_APP_H
#define BREVANTIS_TESTS_IDENTIFICATION_GUI_APP_H

#include <QApplication>
#include <QRect>
#include <ostream>

// Creates the application on first use. It is never destroyed: widgets that tests leave to
// static destructors must not outlive it.
inline QApplication& guiApp() {
    static int argc = 1;
    static char name[] = "identification_test";
    static char* argv[] = {name, nullptr};
    static auto* app = new QApplication(argc, argv);
    return *app;
}

// Readable rectangles in failure messages.
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}

#endif  // BREVANTIS_TESTS_IDENTIFICATION_GUI_APP_H
