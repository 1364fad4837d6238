// gui_app.h: the QApplication that tests/ui/gui_main.cpp made for the whole run.
#ifndef BREVANTIS_TESTS_IDENTIFICATION_GUI_APP_H
#define BREVANTIS_TESTS_IDENTIFICATION_GUI_APP_H

#include <QApplication>
#include <QRect>
#include <ostream>

// REQUIRES: the test runs under tests/ui/gui_main.cpp.
inline QApplication& guiApp() {
    return *static_cast<QApplication*>(QCoreApplication::instance());
}

// Readable rectangles in failure messages.
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}

#endif  // BREVANTIS_TESTS_IDENTIFICATION_GUI_APP_H
