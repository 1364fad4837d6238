// locale_text.cpp: locale-aware upper-casing and case-insensitive collation.
#include "rtl/locale_text.h"

#include <QCollator>
#include <QLocale>
#include <optional>

namespace rtl {

QString localeUpperCase(const QString& text) {
    return QLocale().toUpper(text);
}

int localeCompareText(const QString& a, const QString& b) {
    // A collator is costly to build; keep one per thread and rebuild it only when the
    // default locale has changed.
    thread_local std::optional<QCollator> collator;
    QLocale locale;
    // The C locale has no collation of its own and would order by code point ("Z" < "é");
    // the neutral order keeps accented letters beside their base letters.
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::English);
    if (!collator || collator->locale() != locale) {
        collator.emplace(locale);
        collator->setCaseSensitivity(Qt::CaseInsensitive);
    }
    return collator->compare(a, b);
}

}  // namespace rtl
