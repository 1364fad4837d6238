// alias_config.cpp: reading the alias section, the "X_" filter and the path derivations.
#include "dictionary/alias_config.h"

#include "rtl/ini_file.h"
#include "rtl/locale_text.h"

namespace dictionary {

std::vector<OfferedAlias> loadAliases(const QString& exeFolder, rtl::StringList& listAllPaths) {
    static const QString kSection = QStringLiteral("Databases");
    const rtl::IniFile MyTiniFile(exeFolder + QStringLiteral("ads.ini"));
    listAllPaths.clear();
    for (const QString& key : MyTiniFile.sectionKeys(kSection))
        listAllPaths.add(key + u'=' + MyTiniFile.readString(kSection, key, QString()));

    std::vector<OfferedAlias> offered;
    for (int i = 0; i < listAllPaths.count(); ++i) {
        const QString name = listAllPaths.name(i);
        if (isAliasOffered(name)) offered.push_back({name, i});
    }
    return offered;
}

bool isAliasOffered(const QString& name) {
    return !rtl::localeUpperCase(name).contains(QStringLiteral("X_"));
}

int LastCharPos(const QString& s, QChar chr) {
    for (qsizetype i = s.size(); i > 0; --i) {
        if (s.at(i - 1) == chr) return static_cast<int>(i);
    }
    return 0;
}

QString aliasEntryValue(const rtl::StringList& listAllPaths, int entry) {
    return listAllPaths.valueFromIndex(entry);
}

QString dictionaryPathOf(const QString& value) {
    return value.size() < 3 ? QString() : value.chopped(2);
}

QString trimmedPathOf(const QString& dictionaryPath) {
    return dictionaryPath.left(LastCharPos(dictionaryPath, kPathSeparator));
}

}  // namespace dictionary
