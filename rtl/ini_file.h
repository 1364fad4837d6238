// ini_file.h: read-only access to a configuration file of [sections] and key=value lines.
//
// The file is read once, when the reader is made. Its rules:
//   - Encoding: UTF-16 LE when it starts with the bytes FF FE; UTF-8 when it starts with a
//     UTF-8 byte-order mark or is valid UTF-8 as a whole; Windows-1252 otherwise.
//   - Lines end with LF, CR LF or CR. Blank lines are ignored, and so are lines whose first
//     non-blank character is ';' or '#' (comments).
//   - "[name]" starts a section; the name is what lies between '[' and the first ']' (or the
//     end of the line), trimmed. Section names compare without regard to letter case (ASCII
//     and beyond); a section that appears again continues the first one.
//   - "key=value" lines: the split is at the first '='; key and value are trimmed of blanks
//     (spaces and tabs). Then one matching pair of "..." or '...' around the whole value is
//     removed; the inside is kept as is. A key may have an empty value.
//   - Lines without '=', lines with an empty key and lines before the first section are
//     ignored.
//   - Keys compare without regard to letter case. A key given twice in a section is listed
//     once, where it first appears, and keeps its first value.
// A missing or unreadable file reads as an empty file. Binary content and long lines are
// read like any other text.
#ifndef BREVANTIS_RTL_INI_FILE_H
#define BREVANTIS_RTL_INI_FILE_H

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace rtl {

class IniFile {
  public:
    // Reads the file at `path` (see the rules above). Never throws for file content.
    explicit IniFile(const QString& path);

    const QString& fileName() const { return path_; }

    // The keys of `section`, as written, in file order; empty when the section is missing.
    QStringList sectionKeys(const QString& section) const;

    // The value of `key` in `section`, or `def` when the section or key is missing.
    QString readString(const QString& section, const QString& key, const QString& def) const;

  private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;       // file order, one per key
        QHash<QString, size_t> byFolded;  // case-folded key -> index in entries
    };

    void parse(const QString& text);
    Section& sectionFor(QStringView name);
    const Section* findSection(const QString& name) const;

    QString path_;
    std::vector<Section> sections_;
    QHash<QString, size_t> sectionByFolded_;  // case-folded name -> index in sections_
};

}  // namespace rtl

#endif  // BREVANTIS_RTL_INI_FILE_H
