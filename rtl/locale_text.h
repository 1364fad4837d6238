// locale_text.h: case conversion and comparison by the user's locale.
#ifndef BREVANTIS_RTL_LOCALE_TEXT_H
#define BREVANTIS_RTL_LOCALE_TEXT_H

#include <QString>

namespace rtl {

// Returns `text` in upper case by the user's locale (the application's default QLocale,
// which is the system locale unless the application changed it).
QString localeUpperCase(const QString& text);

// Compares two texts without regard to letter case by the user's locale (same locale as
// above): negative when a sorts before b, 0 when they are equal but for case, positive
// otherwise. Accents are significant but rank below letters ("e" < "é" < "f"). Under the C
// locale, which has no collation of its own, the neutral (English) order is used.
int localeCompareText(const QString& a, const QString& b);

}  // namespace rtl

#endif  // BREVANTIS_RTL_LOCALE_TEXT_H
