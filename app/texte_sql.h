// texte_sql.h: putting text that the program did not write itself (a table name typed by the
// user, a dictionary's folder) into the statements it builds, so that it is always read as
// the value or the name it is.
#ifndef BREVANTIS_APP_TEXTE_SQL_H
#define BREVANTIS_APP_TEXTE_SQL_H

#include <QString>

namespace app {

// `text` ready to stand between the single quotes of an SQL literal: every single quote
// doubled.
QString dansLitteralSql(const QString& text);

// `name` ready to stand where a table name stands bare: unchanged when it is a plain
// identifier (a letter or "_", then letters, digits and "_"), otherwise between brackets
// with every "]" doubled.
QString nomDeTableSql(const QString& name);

}  // namespace app

#endif  // BREVANTIS_APP_TEXTE_SQL_H
