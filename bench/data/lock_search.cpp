// lock_search.cpp: the lock search's queries and result table through the data-access layer.
#include "bench/data/lock_search.h"

#include <dlfcn.h>

#include <QVariantList>

#include "data/ace.h"
#include "db/field.h"
#include "dictionary/table_list.h"
#include "engine/include/engine_client.h"
#include "locksearch/result_table.h"
#include "locksearch/statements.h"
#include "rtl/ansi.h"

namespace bench {
namespace {

// The tool's lock-search components, their datasets moved onto `connection`.
locksearch::Components& declareOn(TAdsConnection& connection, QObject& owner,
                                  locksearch::Components& c) {
    locksearch::declareComponents(&owner, c);
    for (TAdsDataSet* d : std::initializer_list<TAdsDataSet*>{
             c.QTrouverLockedRecNumbers, c.QTrouverUsersQuiBloquent, c.QCreerTab_UsersTableLocks,
             c.QDropingTempTable, c.UsersTableLocks, c.QChercherRecordParRowID})
        d->SetAdsConnection(&connection);
    return c;
}

}  // namespace

uint64_t libraryRoundTrips() {
    // Found once the layer has loaded the library, which then stays loaded.
    static decltype(&EngineGetRoundTrips) get = nullptr;
    if (!get) {
        void* lib = dlopen(ace::libraryPath().toLocal8Bit().constData(), RTLD_NOW | RTLD_NOLOAD);
        if (lib) get = reinterpret_cast<decltype(get)>(dlsym(lib, "EngineGetRoundTrips"));
    }
    UNSIGNED32 n = 0;
    if (get) get(&n);
    return n;
}

void connectAsAdmin(TAdsConnection& c, const QString& dictionaryPath) {
    c.SetConnectPath(dictionaryPath);
    c.Username = dictionary::kAdministrator;
    c.Password = dictionary::kAdministratorPassword;
    c.LoginPrompt = false;
    c.AdsServerTypes = {stADS_REMOTE};
    c.Connect();
}

void execute(TAdsConnection& connection, const QStringList& sql) {
    TAdsQuery query(nullptr);
    query.SetAdsConnection(&connection);
    query.SQL().Assign(sql);
    query.ExecSQL();
}

LockQueries::LockQueries(TAdsConnection& connection)
    : locked(*declareOn(connection, owner_, tool_).QTrouverLockedRecNumbers),
      owners(*tool_.QTrouverUsersQuiBloquent) {
    lockedRecNo = locked.FieldByName(QStringLiteral("LockedRecNo"));
    userName = owners.FieldByName(QStringLiteral("UserName"));
    osLogin = owners.FieldByName(QStringLiteral("OSUserLoginName"));
    application = owners.FieldByName(QStringLiteral("ApplicationID"));
}

bool LockQueries::openLocked(const QString& path) {
    locked.Close();
    locked.SQL().Set(0, locksearch::allLocksStatement(path));
    locked.Open();
    if (locked.RecordCount() <= 0) return false;
    locked.First();
    return true;
}

bool LockQueries::openOwners(const QString& path, int recNo) {
    owners.Close();
    owners.SQL().Set(0, locksearch::lockOwnerStatement(path, recNo));
    owners.Open();
    if (owners.RecordCount() <= 0) return false;
    owners.First();
    return true;
}

ResultTable::ResultTable(TAdsConnection& connection)
    : table_(*declareOn(connection, owner_, tool_).UsersTableLocks) {
    locksearch::recreateResultTable(tool_);
    table_.SetIndexName(QStringLiteral("UserName"));
    const char* names[] = {"DictionaryPath",  "TableName",     "TablePath",  "UserName",
                           "OsUserLoginName", "ApplicationID", "LockedRecNo"};
    for (int i = 0; i < 7; ++i) fields_[i] = table_.FieldByName(QString::fromLatin1(names[i]));
}

bool ResultTable::collect(const QString& dictionaryPath, const QString& tableName,
                          const QString& tablePath, int recNo, const QByteArray& user,
                          const QByteArray& osLogin, const QByteArray& application) {
    if (table_.Locate(QStringLiteral("TableName;LockedRecNo"), QVariantList{tableName, recNo}, 0)) {
        return false;
    }
    table_.Append();
    fields_[0]->SetAsAnsiString(rtl::toAnsi(dictionaryPath));
    fields_[1]->SetAsAnsiString(rtl::toAnsi(tableName));
    fields_[2]->SetAsAnsiString(rtl::toAnsi(tablePath));
    fields_[3]->SetAsAnsiString(user);
    fields_[4]->SetAsAnsiString(osLogin);
    fields_[5]->SetAsAnsiString(application);
    fields_[6]->SetAsInteger(recNo);
    table_.Post();
    return true;
}

}  // namespace bench
