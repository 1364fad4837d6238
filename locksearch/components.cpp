// components.cpp: the lock search's connection, datasets and data sources, as the main
// window's stored form declares them.
//
// Giving each query its SQL text hands that text to the client engine, so the engine
// library is loaded here, while the window is built and before FormCreate runs: when it
// is missing, building the window fails before the identification window appears.
#include "locksearch/components.h"

#include "data/adscnnct.h"
#include "data/adstable.h"
#include "db/data_source.h"
#include "db/field.h"
#include "dictionary/query_setup.h"
#include "dictionary/table_list.h"

namespace {

template <class T>
T* named(T* component, const char* name) {
    component->setObjectName(QLatin1String(name));
    return component;
}

// A query of the form whose record counts respect its filters and scopes.
TAdsQuery* declareCountingQuery(QObject* owner, const char* name, TAdsConnection* connection,
                                const QStringList& sql) {
    TAdsQuery* query = dictionary::declareQuery(owner, name, connection, sql);
    dictionary::respectWhenCounting(query);
    return query;
}

// A persistent field of `dataSet`, named as the dataset's name followed by the field's.
template <class F, class... Size>
F* declareField(QObject* owner, TDataSet* dataSet, const char* fieldName, Size... size) {
    auto* field = new F(owner, size...);
    field->setObjectName(dataSet->objectName() + QLatin1String(fieldName));
    field->SetFieldName(QLatin1String(fieldName));
    field->SetDataSet(dataSet);
    return field;
}

// A text field of the result table with its display width, label and visibility.
void declareTextColumn(QObject* owner, TDataSet* table, const char* name, int size, int width,
                       const char* label, bool visible) {
    auto* field = declareField<TStringField>(owner, table, name, size);
    field->SetDisplayWidth(width);
    if (label) field->SetDisplayLabel(QString::fromUtf8(label));
    field->SetVisible(visible);
}

}  // namespace

namespace locksearch {

void declareComponents(QObject* owner, Components& c) {
    TAdsConnection*& ManagementConn = c.ManagementConn;
    ManagementConn = named(new TAdsConnection(owner), "ManagementConn");
    ManagementConn->AdsServerTypes = {stADS_REMOTE};
    ManagementConn->StoreConnected = false;
    ManagementConn->Username = dictionary::kAdministrator;
    ManagementConn->Password = dictionary::kAdministratorPassword;

    c.QTrouverLockedRecNumbers = declareCountingQuery(
        owner, "QTrouverLockedRecNumbers", ManagementConn,
        {QStringLiteral("EXECUTE PROCEDURE sp_mgGetAllLocks('Cette ligne doit être changée par "
                        "programmation!!');")});
    declareField<TIntegerField>(owner, c.QTrouverLockedRecNumbers, "LockedRecNo");

    c.QTrouverUsersQuiBloquent =
        declareCountingQuery(owner, "QTrouverUsersQuiBloquent", ManagementConn,
                             {QStringLiteral("//Ligne par programmation")});
    declareField<TStringField>(owner, c.QTrouverUsersQuiBloquent, "UserName", 50);
    declareField<TIntegerField>(owner, c.QTrouverUsersQuiBloquent, "ConnNumber");
    declareField<TStringField>(owner, c.QTrouverUsersQuiBloquent, "DictionaryUser", 50);
    declareField<TStringField>(owner, c.QTrouverUsersQuiBloquent, "Address", 30);
    declareField<TStringField>(owner, c.QTrouverUsersQuiBloquent, "LockType", 15);
    declareField<TStringField>(owner, c.QTrouverUsersQuiBloquent, "OSUserLoginName", 50);
    declareField<TStringField>(owner, c.QTrouverUsersQuiBloquent, "TSAddress", 30);
    declareField<TStringField>(owner, c.QTrouverUsersQuiBloquent, "ApplicationID", 70);

    c.QCreerTab_UsersTableLocks = declareCountingQuery(
        owner, "QCreerTab_UsersTableLocks", ManagementConn,
        {
            QStringLiteral("CREATE TABLE #UsersTableLocks ("),
            QStringLiteral("    DictionaryName CIChar(25),"),
            QStringLiteral("\t  DictionaryPath CIChar(100),"),
            QStringLiteral("\t  TableName CIChar(25),"),
            QStringLiteral("\t  TablePath CIChar(100),"),
            QStringLiteral("\t  UserName CIChar(50),"),
            QStringLiteral("\t  OsUserLoginName CIChar(50),"),
            QStringLiteral("\t  ApplicationID CIChar(70),"),
            QStringLiteral("\t  LockedRecNo Integer );"),
            QString(),
            QStringLiteral("Create Index UserName on #UsersTableLocks(UserName);"),
            QStringLiteral("Create Index OsUserLoginName on #UsersTableLocks(OsUserLoginName);"),
        });

    c.QDropingTempTable = dictionary::declareQuery(owner, "QDropingTempTable", ManagementConn,
                                                   {
                                                       QStringLiteral("Drop"),
                                                       QStringLiteral("Table"),
                                                       QStringLiteral("#UsersTableLocks;"),
                                                   });

    c.UsersTableLocks = named(new TAdsTable(owner), "UsersTableLocks");
    c.UsersTableLocks->StoreActive = false;
    c.UsersTableLocks->SetAdsConnection(ManagementConn);
    dictionary::respectWhenCounting(c.UsersTableLocks);
    c.UsersTableLocks->Loading = true;
    c.UsersTableLocks->SetTableName(QStringLiteral("#UsersTableLocks"));
    c.UsersTableLocks->Loading = false;
    declareTextColumn(owner, c.UsersTableLocks, "UserName", 50, 30, nullptr, true);
    declareTextColumn(owner, c.UsersTableLocks, "OsUserLoginName", 50, 30, nullptr, true);
    auto* lockedRecNo = declareField<TIntegerField>(owner, c.UsersTableLocks, "LockedRecNo");
    lockedRecNo->SetDisplayWidth(16);
    declareTextColumn(owner, c.UsersTableLocks, "TableName", 25, 29, "Table", true);
    declareTextColumn(owner, c.UsersTableLocks, "ApplicationID", 70, 29, nullptr, true);
    declareTextColumn(owner, c.UsersTableLocks, "DictionaryName", 25, 21, "Dictionnaire", false);
    declareTextColumn(owner, c.UsersTableLocks, "DictionaryPath", 100, 100, nullptr, false);
    declareTextColumn(owner, c.UsersTableLocks, "TablePath", 100, 100, nullptr, false);

    c.QChercherRecordParRowID = declareCountingQuery(
        owner, "QChercherRecordParRowID", ManagementConn,
        {QStringLiteral("Select X.*, X.RowID"), QStringLiteral("From"),
         QStringLiteral("//Ligne par programmation .. Nom de la table"), QStringLiteral("as X"),
         QStringLiteral("Where Right(X.RowID,6) ="),
         QStringLiteral("//Ligne par programmation .. 6 dernières Character du RowID voulu")});

    c.DSUsersTableLocks = named(new TDataSource(owner), "DSUsersTableLocks");
    c.DSUsersTableLocks->SetDataSet(c.UsersTableLocks);
    c.DSQChercherRecordParRowID = named(new TDataSource(owner), "DSQChercherRecordParRowID");
    c.DSQChercherRecordParRowID->SetDataSet(c.QChercherRecordParRowID);
}

}  // namespace locksearch
