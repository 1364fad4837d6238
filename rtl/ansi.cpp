// ansi.cpp: QString text through the code page's one table (codepage/cp1252.h).
#include "rtl/ansi.h"

#include "codepage/cp1252.h"

namespace rtl {

QByteArray toAnsi(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            out.append(cp1252::fromUnicode(QChar::surrogateToUcs4(c, text.at(i + 1))));
            ++i;
        } else {
            out.append(cp1252::fromUnicode(c.unicode()));  // a lone surrogate is no character
        }
    }
    return out;
}

QString fromAnsi(const QByteArray& bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        dst[i] = QChar(cp1252::toUnicode(static_cast<unsigned char>(bytes[i])));
    }
    return out;
}

}  // namespace rtl
