// sql_quoting.cpp: quoting of literals and delimiting of names.
#include "dictionary/sql_quoting.h"

namespace dictionary {
namespace {

// Letters and digits of the 8-bit code page's first half (ASCII and Latin-1), which the
// engine reads as name characters; anything else is delimited.
bool isNameCharacter(QChar c) {
    return c == u'_' || (c.unicode() < 0x100 && c.isLetterOrNumber());
}

bool isPlainIdentifier(const QString& name) {
    if (name.isEmpty() || !(name.front().isLetter() || name.front() == u'_')) return false;
    for (QChar c : name) {
        if (!isNameCharacter(c)) return false;
    }
    return true;
}

}  // namespace

QString sqlLiteral(const QString& text) {
    QString out = text;
    return out.replace(u'\'', QStringLiteral("''"));
}

QString sqlName(const QString& name) {
    if (isPlainIdentifier(name)) return name;
    QString inside = name;
    return u'[' + inside.replace(u']', QStringLiteral("]]")) + u']';
}

}  // namespace dictionary
