// texte_sql.cpp: quoting of literals and delimiting of table names.
#include "app/texte_sql.h"

namespace app {
namespace {

// Letters and digits of the 8-bit code page's first half (ASCII and Latin-1), which the
// engine reads as name characters; anything else is delimited.
bool caractereDeNom(QChar c) {
    return c == u'_' || (c.unicode() < 0x100 && c.isLetterOrNumber());
}

bool identifiantSimple(const QString& name) {
    if (name.isEmpty() || !(name.front().isLetter() || name.front() == u'_')) return false;
    for (QChar c : name) {
        if (!caractereDeNom(c)) return false;
    }
    return true;
}

}  // namespace

QString dansLitteralSql(const QString& text) {
    QString out = text;
    return out.replace(u'\'', QStringLiteral("''"));
}

QString nomDeTableSql(const QString& name) {
    if (identifiantSimple(name)) return name;
    QString inside = name;
    return u'[' + inside.replace(u']', QStringLiteral("]]")) + u']';
}

}  // namespace app
