// alias_config.h: the dictionary aliases of ads.ini and the paths derived from a chosen one.
//
// The main window and the specific-record window read the same file by the same rules, each
// into a list of its own: every key of the "Databases" section as "name=value", in file
// order, of which only the names without "X_" (in any letter case) are offered to the user.
#ifndef BREVANTIS_DICTIONARY_ALIAS_CONFIG_H
#define BREVANTIS_DICTIONARY_ALIAS_CONFIG_H

#include <QChar>
#include <QString>
#include <vector>

#include "rtl/string_list.h"

namespace dictionary {

// The directory separator of table and dictionary paths on this platform.
#ifdef Q_OS_WIN
inline constexpr QChar kPathSeparator = u'\\';
#else
inline constexpr QChar kPathSeparator = u'/';
#endif

// What a window says when ads.ini is not beside the executable.
inline const QString kAdsIniMissing = QStringLiteral(
    "Le fichier «ads.ini» est introuvable, veuillez placer cette application au même niveau "
    "que l'exécutable.!");

// One alias offered to the user: its name as written in the file and the index of its
// entry in the list it was loaded into.
struct OfferedAlias {
    QString name;
    int entry;
};

// Clears `listAllPaths`, fills it from the "Databases" section of `exeFolder` + "ads.ini"
// (one "key=value" entry per key, file order) and returns the aliases to offer, in file
// order. REQUIRES: `exeFolder` ends with a separator; the caller has checked that the file
// exists (a missing or unreadable file reads as empty). Never throws for file content.
std::vector<OfferedAlias> loadAliases(const QString& exeFolder, rtl::StringList& listAllPaths);

// Whether an alias name is offered: its upper case by the user's locale holds no "X_".
bool isAliasOffered(const QString& name);

// The 1-based position of the last `chr` in `s`; 0 when `s` is empty or has no `chr`.
int LastCharPos(const QString& s, QChar chr);

// The value of entry `entry` of `listAllPaths` (the text after its first "=").
// REQUIRES: 0 <= entry < listAllPaths.count().
QString aliasEntryValue(const rtl::StringList& listAllPaths, int entry);

// The dictionary path of an alias value: the value less its last two characters; empty when
// the value has fewer than three characters.
QString dictionaryPathOf(const QString& value);

// The folder of a dictionary path, ending with its separator: its first
// LastCharPos(dictionaryPath, kPathSeparator) characters; empty without a separator.
QString trimmedPathOf(const QString& dictionaryPath);

}  // namespace dictionary

#endif  // BREVANTIS_DICTIONARY_ALIAS_CONFIG_H
