// table_list.h: connecting a window's connection to a chosen dictionary and listing the
// tables a lock search may look at.
//
// Both the main window and the specific-record window connect as the dictionary
// administrator and offer, in the user's locale order, the tables whose .adt file lies in the
// dictionary's folder; the dictionary-wide search applies the same filter again at each search.
#ifndef BREVANTIS_DICTIONARY_TABLE_LIST_H
#define BREVANTIS_DICTIONARY_TABLE_LIST_H

#include <QString>
#include <QStringList>

class TAdsConnection;

namespace rtl {
class Exception;
}

namespace dictionary {

// The dictionary administrator the tool connects as.
inline const QString kAdministrator = QStringLiteral("adssys");
inline const QString kAdministratorPassword = QStringLiteral("kor5382");

// Choosing a dictionary, in one call: sets the connect path of `connection` to the
// dictionary path of `aliasValue` (the value less its last two characters), the
// administrator's name and password, no login prompt, and connects; then sets `dictionaryPath` and
// `trimmedPath` from it (only once connected: a refused connection leaves them as they were), and
// returns the tables tablesWithFiles offers. REQUIRES: `connection` is disconnected. Throws the
// data-access layer's errors; when the listing fails the connection stays connected.
QStringList connectAndList(TAdsConnection& connection, const QString& aliasValue,
                           QString& dictionaryPath, QString& trimmedPath);

// Whether the table `name` has its file `trimmedPath` + name + ".adt" now: a regular file,
// also one another process holds open or locked; a folder of that name does not count.
bool hasTableFile(const QString& trimmedPath, const QString& name);

// The table names of the connected dictionary, sorted ascending by the user's locale without
// regard to letter case, keeping only those that hasTableFile accepts. `dictionaryPath`
// is passed on as the mask, which a dictionary connection ignores. Throws the data-access
// layer's errors.
QStringList tablesWithFiles(TAdsConnection& connection, const QString& dictionaryPath,
                            const QString& trimmedPath);

// The text of the plain message that reports a failure of connecting or listing: the
// error's class name, " Erreur trouvé.", CR LF, then the error's message.
QString errorFoundText(const rtl::Exception& error);

}  // namespace dictionary

#endif  // BREVANTIS_DICTIONARY_TABLE_LIST_H
