// query_setup.h: the set-up every window gives the queries of its stored form.
#ifndef BREVANTIS_DICTIONARY_QUERY_SETUP_H
#define BREVANTIS_DICTIONARY_QUERY_SETUP_H

#include <QStringList>

class QObject;
class TAdsConnection;
class TAdsDataSet;
class TAdsQuery;

namespace dictionary {

// Record counts of `dataSet` respect its filters and scopes.
void respectWhenCounting(TAdsDataSet* dataSet);

// A query owned by `owner`, named `name`, on `connection`, holding `sql` as its stored form
// does: the text is handed to the engine while loading, so no change handler runs on it.
// Loads the engine library on first use: throws the layer's error when it cannot.
TAdsQuery* declareQuery(QObject* owner, const char* name, TAdsConnection* connection,
                        const QStringList& sql);

}  // namespace dictionary

#endif  // BREVANTIS_DICTIONARY_QUERY_SETUP_H
