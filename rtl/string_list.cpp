// string_list.cpp: StringList's name/value split, search and sort.
#include "rtl/string_list.h"

#include <algorithm>

#include "rtl/locale_text.h"

namespace rtl {

int StringList::add(const QString& text) {
    items_.append(text);
    return count() - 1;
}

QString StringList::name(int i) const {
    const QString& s = items_.at(i);
    const qsizetype eq = s.indexOf(u'=');
    return eq < 0 ? QString() : s.left(eq);
}

QString StringList::valueFromIndex(int i) const {
    const QString& s = items_.at(i);
    const qsizetype eq = s.indexOf(u'=');
    return eq < 0 ? QString() : s.mid(eq + 1);
}

int StringList::indexOf(const QString& text) const {
    for (int i = 0; i < count(); ++i) {
        if (localeCompareText(items_.at(i), text) == 0) return i;
    }
    return -1;
}

void StringList::sort() {
    std::stable_sort(items_.begin(), items_.end(), [](const QString& a, const QString& b) {
        return localeCompareText(a, b) < 0;
    });
}

}  // namespace rtl
