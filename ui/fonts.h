// fonts.h: the substitutes for the classic desktop font names the windows ask for.
#ifndef BREVANTIS_UI_FONTS_H
#define BREVANTIS_UI_FONTS_H

#include <QFont>

namespace ui {

// The font `family` with characters `pixels` pixels high, as the layouts give their fonts.
QFont pixelFont(const QString& family, int pixels, bool bold = false, bool italic = false);

// Maps "MS Sans Serif" and "Tahoma", where they are not installed, to a sans-serif face of
// Arial's metrics, so that captions sized for them fit; the system's default fallback is
// wider and clips them. REQUIRES: a QGuiApplication exists.
void installFontSubstitutes();

}  // namespace ui

#endif  // BREVANTIS_UI_FONTS_H
