// lock_search.cpp: the lock search's queries and result table through the data-access layer.
#include "bench/data/lock_search.h"

#include <dlfcn.h>

#include <QVariantList>

#include "data/ace.h"
#include "db/field.h"
#include "engine/include/engine_client.h"
#include "rtl/ansi.h"

namespace bench {
namespace {

// A persistent field of `dataSet`, as the main window declares its fields.
template <class F, class... Size>
TField* declareField(TDataSet& dataSet, const char* fieldName, Size... size) {
    auto* field = new F(&dataSet, size...);
    field->SetFieldName(QLatin1String(fieldName));
    field->SetDataSet(&dataSet);
    return field;
}

// Record counts respect the dataset's filters and scopes, as the tool's datasets do.
void respectWhenCounting(TAdsDataSet& dataSet) {
    dataSet.AdsTableOptions().AdsFilterOptions = TAdsFilterOptions::RESPECT_WHEN_COUNTING;
    dataSet.AdsTableOptions().AdsScopeOptions = TAdsScopeOptions::RESPECT_SCOPES_WHEN_COUNTING;
}

// A path as an SQL literal: quotes doubled.
QString literal(const QString& text) {
    QString out = text;
    return out.replace(QLatin1Char('\''), QStringLiteral("''"));
}

const QStringList kCreate = {"CREATE TABLE #UsersTableLocks (",
                             "    DictionaryName CIChar(25),",
                             "\t  DictionaryPath CIChar(100),",
                             "\t  TableName CIChar(25),",
                             "\t  TablePath CIChar(100),",
                             "\t  UserName CIChar(50),",
                             "\t  OsUserLoginName CIChar(50),",
                             "\t  ApplicationID CIChar(70),",
                             "\t  LockedRecNo Integer );",
                             "",
                             "Create Index UserName on #UsersTableLocks(UserName);",
                             "Create Index OsUserLoginName on #UsersTableLocks(OsUserLoginName);"};

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

void connectAsAdmin(TAdsConnection& c, const QString& dictionary) {
    c.SetConnectPath(dictionary);
    c.Username = QStringLiteral("adssys");
    c.Password = QStringLiteral("kor5382");
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

LockQueries::LockQueries(TAdsConnection& connection) {
    for (TAdsQuery* q : {&locked, &owners}) {
        q->SetAdsConnection(&connection);
        respectWhenCounting(*q);
        q->SQL().Assign(QStringList{QStringLiteral("//Ligne par programmation")});
    }
    lockedRecNo = declareField<TIntegerField>(locked, "LockedRecNo");
    userName = declareField<TStringField>(owners, "UserName", 50);
    declareField<TIntegerField>(owners, "ConnNumber");
    declareField<TStringField>(owners, "DictionaryUser", 50);
    declareField<TStringField>(owners, "Address", 30);
    declareField<TStringField>(owners, "LockType", 15);
    osLogin = declareField<TStringField>(owners, "OSUserLoginName", 50);
    declareField<TStringField>(owners, "TSAddress", 30);
    application = declareField<TStringField>(owners, "ApplicationID", 70);
}

bool LockQueries::openLocked(const QString& path) {
    locked.Close();
    locked.SQL().Set(0, QStringLiteral("EXECUTE PROCEDURE sp_mgGetAllLocks('") + literal(path) +
                            QStringLiteral(" ');"));
    locked.Open();
    if (locked.RecordCount() <= 0) return false;
    locked.First();
    return true;
}

bool LockQueries::openOwners(const QString& path, int recNo) {
    owners.Close();
    owners.SQL().Set(0, QStringLiteral("EXECUTE PROCEDURE sp_mgGetLockOwner( '") + literal(path) +
                            QStringLiteral("',") + QString::number(recNo) + QStringLiteral(");"));
    owners.Open();
    if (owners.RecordCount() <= 0) return false;
    owners.First();
    return true;
}

ResultTable::ResultTable(TAdsConnection& connection) {
    execute(connection, kCreate);
    table_.setObjectName(QStringLiteral("UsersTableLocks"));
    table_.SetAdsConnection(&connection);
    respectWhenCounting(table_);
    table_.SetTableName(QStringLiteral("#UsersTableLocks"));
    table_.Open();
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
