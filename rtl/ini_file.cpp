// ini_file.cpp: decoding and parsing of configuration files for IniFile.
#include "rtl/ini_file.h"

#include <QFile>
#include <QStringDecoder>

#include "rtl/ansi.h"

namespace rtl {
namespace {

QString decode(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder utf16(QStringDecoder::Utf16LE);
        return utf16.decode(QByteArrayView(bytes).sliced(2));
    }
    const QByteArrayView body =
        bytes.startsWith("\xEF\xBB\xBF") ? QByteArrayView(bytes).sliced(3) : QByteArrayView(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(body);
    if (!utf8.hasError()) return text;
    return fromAnsi(bytes);
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

QStringView trimmed(QStringView s) {
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    return s.sliced(b, e - b);
}

QStringView unquoted(QStringView v) {
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front()) {
        return v.sliced(1, v.size() - 2);
    }
    return v;
}

}  // namespace

IniFile::IniFile(const QString& path) : path_(path) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) parse(decode(file.readAll()));
}

void IniFile::parse(const QString& text) {
    Section* current = nullptr;
    const QStringView all(text);
    qsizetype pos = 0;
    while (pos < all.size()) {
        qsizetype end = pos;
        while (end < all.size() && all[end] != u'\n' && all[end] != u'\r') ++end;
        const QStringView line = trimmed(all.sliced(pos, end - pos));
        pos = end;
        if (pos < all.size() && all[pos] == u'\r') ++pos;
        if (pos < all.size() && all[pos] == u'\n') ++pos;

        if (line.isEmpty() || line.front() == u';' || line.front() == u'#') continue;
        if (line.front() == u'[') {
            qsizetype close = line.indexOf(u']');
            if (close < 0) close = line.size();
            current = &sectionFor(trimmed(line.sliced(1, close - 1)));
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!current || eq < 0) continue;
        const QStringView key = trimmed(line.first(eq));
        if (key.isEmpty()) continue;
        const QString folded = key.toString().toCaseFolded();
        if (current->byFolded.contains(folded)) continue;
        const QStringView value = unquoted(trimmed(line.sliced(eq + 1)));
        current->byFolded.insert(folded, current->entries.size());
        current->entries.push_back(Entry{key.toString(), value.toString()});
    }
}

IniFile::Section& IniFile::sectionFor(QStringView name) {
    const QString folded = name.toString().toCaseFolded();
    const auto it = sectionByFolded_.constFind(folded);
    if (it != sectionByFolded_.cend()) return sections_[*it];
    sectionByFolded_.insert(folded, sections_.size());
    sections_.push_back(Section{name.toString(), {}, {}});
    return sections_.back();
}

const IniFile::Section* IniFile::findSection(const QString& name) const {
    const auto it = sectionByFolded_.constFind(name.toCaseFolded());
    return it == sectionByFolded_.cend() ? nullptr : &sections_[*it];
}

QStringList IniFile::sectionKeys(const QString& section) const {
    QStringList keys;
    if (const Section* s = findSection(section)) {
        for (const Entry& e : s->entries) keys.append(e.key);
    }
    return keys;
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const {
    if (const Section* s = findSection(section)) {
        const auto it = s->byFolded.constFind(key.toCaseFolded());
        if (it != s->byFolded.cend()) return s->entries[*it].value;
    }
    return def;
}

}  // namespace rtl
