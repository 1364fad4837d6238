// string_list.h: an ordered list of texts with name=value access and a locale sort.
#ifndef BREVANTIS_RTL_STRING_LIST_H
#define BREVANTIS_RTL_STRING_LIST_H

#include <QString>
#include <QStringList>

namespace rtl {

// A growable list of texts. Entries may hold "name=value" pairs; the split is at the first
// '='. Indexes run from 0 to count() - 1; at(), operator[], name() and valueFromIndex()
// require a valid index (checked by assertion in debug builds).
class StringList {
  public:
    // Appends `text` and returns its index.
    int add(const QString& text);
    int count() const { return static_cast<int>(items_.size()); }
    const QString& at(int i) const { return items_.at(i); }
    QString& operator[](int i) { return items_[i]; }
    const QString& operator[](int i) const { return items_.at(i); }
    void clear() { items_.clear(); }

    // The text before the first '=' of entry i; empty when the entry has no '='.
    QString name(int i) const;
    // The text after the first '=' of entry i; empty when the entry has no '='.
    QString valueFromIndex(int i) const;

    // Index of the first entry equal to `text` without regard to letter case (the same
    // comparison as sort()), or -1.
    int indexOf(const QString& text) const;

    // Sorts ascending with rtl::localeCompareText (case-insensitive, by the user's locale).
    // Entries that compare equal keep their relative order.
    void sort();

    const QStringList& strings() const { return items_; }

  private:
    QStringList items_;
};

}  // namespace rtl

#endif  // BREVANTIS_RTL_STRING_LIST_H
