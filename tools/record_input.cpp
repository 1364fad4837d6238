// record_input.cpp: the name and literal rules of the specific-record window's input.
#include "tools/record_input.h"

namespace record_input {
namespace {

bool startsName(QChar c) {
    return c.isLetter() || c == u'_' || c == u'@';
}

bool continuesName(QChar c) {
    return startsName(c) || c.isDigit() || c == u'$';
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool allDigits(QStringView s) {
    for (const QChar c : s) {
        if (!isAsciiDigit(c)) return false;
    }
    return true;
}

// Whether `s` is a number as the engine reads one: digits with an optional "." and decimals
// ("12", "12.5", "12.", ".5"), then an optional exponent ("1e5", "2.5E-3").
bool isUnsignedNumber(QStringView s) {
    qsizetype e = s.indexOf(u'e', 0, Qt::CaseInsensitive);
    if (e >= 0) {
        QStringView exponent = s.mid(e + 1);
        if (!exponent.isEmpty() && (exponent.front() == u'+' || exponent.front() == u'-'))
            exponent = exponent.mid(1);
        if (exponent.isEmpty() || !allDigits(exponent)) return false;
        s = s.left(e);
    }
    const qsizetype point = s.indexOf(u'.');
    const QStringView integerPart = point < 0 ? s : s.left(point);
    const QStringView fractionPart = point < 0 ? QStringView() : s.mid(point + 1);
    if (integerPart.isEmpty() && fractionPart.isEmpty()) return false;
    return allDigits(integerPart) && allDigits(fractionPart);
}

bool isLogical(QStringView s) {
    return s.compare(u"TRUE", Qt::CaseInsensitive) == 0 ||
           s.compare(u"FALSE", Qt::CaseInsensitive) == 0;
}

// The content of `s` quoted with `quote` at both ends, a quote inside written twice; false
// when a quote inside stands alone (the text would end there and something else follow).
bool contentBetween(QStringView s, QChar quote, QString* content) {
    if (s.size() < 2 || s.front() != quote || s.back() != quote) return false;
    const QStringView inside = s.mid(1, s.size() - 2);
    QString text;
    for (qsizetype i = 0; i < inside.size(); ++i) {
        if (inside[i] == quote) {
            if (i + 1 >= inside.size() || inside[i + 1] != quote) return false;
            ++i;
        }
        text += inside[i];
    }
    if (content) *content = text;
    return true;
}

}  // namespace

const QString kInvalidTable = QStringLiteral(
    "La table doit être désignée par son seul nom, sans espace ni autre signe (lettres, "
    "chiffres et _).");
const QString kInvalidField = QStringLiteral(
    "Le champ doit être désigné par son seul nom, sans espace ni autre signe (lettres, "
    "chiffres et _).");
const QString kInvalidValue = QStringLiteral(
    "La valeur du champ doit être une seule valeur : un nombre sans guillemets (1234 ou -12.5), "
    "un logique (TRUE ou FALSE), ou un texte entre guillemets (\"Dupont\") ou entre apostrophes "
    "('Dupont'), dont les "
    "guillemets ou apostrophes intérieurs sont doublés ('L''Oréal').");

QString valueIsAField(const QString& content) {
    return QStringLiteral(
               "La valeur \"%1\" est aussi le nom d'un champ de la table et serait lue comme ce "
               "champ : placez-la entre apostrophes ('%1').")
        .arg(content);
}

bool isName(const QString& text) {
    if (text.isEmpty() || !startsName(text.front())) return false;
    for (const QChar c : text) {
        if (!continuesName(c)) return false;
    }
    return true;
}

Literal literal(const QString& value, QString* content) {
    QStringView s(value);
    while (!s.isEmpty() && isBlank(s.front())) s = s.mid(1);
    while (!s.isEmpty() && isBlank(s.back())) s.chop(1);
    if (contentBetween(s, u'\'', content)) return Literal::ApostropheText;
    if (contentBetween(s, u'"', content)) return Literal::QuotedText;
    if (isUnsignedNumber(s.startsWith(u'-') ? s.mid(1) : s)) {
        if (content) *content = s.toString();
        return Literal::Number;
    }
    if (isLogical(s)) {
        if (content) *content = s.toString();
        return Literal::Logical;
    }
    return Literal::NotALiteral;
}

}  // namespace record_input
