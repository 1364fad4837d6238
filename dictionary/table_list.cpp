// table_list.cpp: the administrator's connection to a dictionary and its table filter.
#include "dictionary/table_list.h"

#include "data/adscnnct.h"
#include "dictionary/alias_config.h"
#include "rtl/exception.h"
#include "rtl/file_exists.h"
#include "rtl/string_list.h"

namespace dictionary {

QStringList connectAndList(TAdsConnection& connection, const QString& aliasValue,
                           QString& dictionaryPath, QString& trimmedPath) {
    const QString path = dictionaryPathOf(aliasValue);
    connection.SetConnectPath(path);
    connection.Username = kAdministrator;
    connection.Password = kAdministratorPassword;
    connection.LoginPrompt = false;
    connection.Connect();
    dictionaryPath = path;
    trimmedPath = trimmedPathOf(path);
    return tablesWithFiles(connection, dictionaryPath, trimmedPath);
}

bool hasTableFile(const QString& trimmedPath, const QString& name) {
    return rtl::fileExists(trimmedPath + name + QStringLiteral(".adt"));
}

QStringList tablesWithFiles(TAdsConnection& connection, const QString& dictionaryPath,
                            const QString& trimmedPath) {
    rtl::StringList names;
    connection.GetTableNames(&names, dictionaryPath);
    names.sort();
    QStringList present;
    for (int i = 0; i < names.count(); ++i) {
        const QString& name = names.at(i);
        if (hasTableFile(trimmedPath, name)) present << name;
    }
    return present;
}

QString errorFoundText(const rtl::Exception& error) {
    return error.className() + QStringLiteral(" Erreur trouvé.\r\n") + error.message();
}

}  // namespace dictionary
