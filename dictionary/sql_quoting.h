// sql_quoting.h: putting text that the program did not write itself (a table name typed by
// the user, a dictionary's folder) into the statements it builds, so that it is always read
// as the value or the name it is.
#ifndef BREVANTIS_DICTIONARY_SQL_QUOTING_H
#define BREVANTIS_DICTIONARY_SQL_QUOTING_H

#include <QString>

namespace dictionary {

// `text` ready to stand between the single quotes of an SQL literal: every single quote
// doubled.
QString sqlLiteral(const QString& text);

// `name` ready to stand where a table or column name stands bare: unchanged when it is a
// plain identifier (a letter or "_", then letters, digits and "_"), otherwise between
// brackets with every "]" doubled.
QString sqlName(const QString& name);

}  // namespace dictionary

#endif  // BREVANTIS_DICTIONARY_SQL_QUOTING_H
