// fonts.cpp: font substitutes for names missing from this system.
#include "ui/fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace ui {

QFont pixelFont(const QString& family, int pixels, bool bold, bool italic) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

void installFontSubstitutes() {
    const QStringList families = QFontDatabase::families();
    const QStringList narrow = {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")};
    for (const char* name : {"MS Sans Serif", "Tahoma"}) {
        const QString family = QString::fromLatin1(name);
        if (!families.contains(family, Qt::CaseInsensitive))
            QFont::insertSubstitutions(family, narrow);
    }
}

}  // namespace ui
