// components.h: the lock search's connection, datasets and data sources, and the dictionary
// they work on. The main window holds them; so do the tests and benchmarks that run the
// search without any window.
#ifndef BREVANTIS_LOCKSEARCH_COMPONENTS_H
#define BREVANTIS_LOCKSEARCH_COMPONENTS_H

#include <QString>

class QObject;
class TAdsConnection;
class TAdsQuery;
class TAdsTable;
class TDataSource;

namespace locksearch {

// The non-visual members of the lock search, named as the main window's form declares them.
struct Components {
    TAdsConnection* ManagementConn = nullptr;
    TAdsQuery* QTrouverLockedRecNumbers = nullptr;
    TAdsQuery* QTrouverUsersQuiBloquent = nullptr;
    TAdsQuery* QCreerTab_UsersTableLocks = nullptr;
    TAdsQuery* QDropingTempTable = nullptr;
    TAdsTable* UsersTableLocks = nullptr;
    TAdsQuery* QChercherRecordParRowID = nullptr;
    TDataSource* DSUsersTableLocks = nullptr;
    TDataSource* DSQChercherRecordParRowID = nullptr;
};

// The dictionary ManagementConn is connected to, as the collected rows record it.
struct ChosenDictionary {
    QString DictionaryName;  // the connected dictionary's alias name
    QString DictionaryPath;  // the connected dictionary's path
    QString TrimmedPath;     // its folder, with its final separator
};

// Creates on `owner` the connection, the six datasets with their persistent fields and the
// two data sources, named and set as the window's form declares them, and stores them in
// `c`. Giving each query its SQL hands it to the client engine, which loads the engine
// library: throws the layer's error when it cannot be loaded.
void declareComponents(QObject* owner, Components& c);

}  // namespace locksearch

#endif  // BREVANTIS_LOCKSEARCH_COMPONENTS_H
