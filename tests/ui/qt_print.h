// qt_print.h: lets GoogleTest print QString values in failure messages.
#ifndef BREVANTIS_TESTS_UI_QT_PRINT_H
#define BREVANTIS_TESTS_UI_QT_PRINT_H

#include <QString>
#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

#endif  // BREVANTIS_TESTS_UI_QT_PRINT_H
