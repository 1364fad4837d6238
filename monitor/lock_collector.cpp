// lock_collector.cpp: DictionaryCollector and StringPool.
#include "monitor/lock_collector.h"

#include "data/adscnnct.h"
#include "data/adstable.h"
#include "db/field.h"
#include "dictionary/alias_config.h"
#include "dictionary/table_list.h"
#include "locksearch/statements.h"
#include "rtl/exception.h"
#include "tools/codec.h"

namespace monitor {

QString StringPool::intern(const QString& text) {
    auto it = texts_.constFind(text);
    if (it != texts_.constEnd()) return *it;
    return *texts_.insert(text);
}

DictionaryCollector::DictionaryCollector(WatchedDictionary dictionary, Credentials credentials)
    : dictionary_(std::move(dictionary)),
      credentials_(std::move(credentials)),
      connection_(std::make_unique<TAdsConnection>(nullptr)),
      lockedRecords_(std::make_unique<TAdsQuery>(nullptr)),
      owners_(std::make_unique<TAdsQuery>(nullptr)) {
    connection_->AdsServerTypes = {stADS_REMOTE};
    connection_->StoreConnected = false;
    connection_->LoginPrompt = false;
    connection_->Username = credentials_.user;
    connection_->Password = credentials_.password;
    lockedRecords_->StoreActive = false;
    lockedRecords_->SetAdsConnection(connection_.get());
    owners_->StoreActive = false;
    owners_->SetAdsConnection(connection_.get());
}

DictionaryCollector::~DictionaryCollector() {
    // The queries leave the connection's list before it goes.
    owners_.reset();
    lockedRecords_.reset();
}

void DictionaryCollector::connect() {
    if (connection_->IsConnected()) return;
    connection_->SetConnectPath(dictionary_.path);
    connection_->Connect();
}

void DictionaryCollector::collect(std::vector<TrackedLock>& out, StringPool& pool,
                                  const std::atomic<bool>* cancel) {
    try {
        connect();
        const QString trimmedPath = dictionary::trimmedPathOf(dictionary_.path);
        for (const QString& table :
             dictionary::tablesWithFiles(*connection_, dictionary_.path, trimmedPath))
            collectTable(table, out, pool, cancel);
    } catch (const rtl::Exception&) {
        // A lost server leaves the connection unusable: start afresh next time.
        try {
            connection_->Disconnect();
        } catch (const rtl::Exception&) {
        }
        throw;
    }
}

void DictionaryCollector::collectTable(const QString& table, std::vector<TrackedLock>& out,
                                       StringPool& pool, const std::atomic<bool>* cancel) {
    const QString tablePath =
        dictionary::trimmedPathOf(dictionary_.path) + table + QStringLiteral(".adt");
    const QString tableName = pool.intern(table);
    lockedRecords_->Close();
    lockedRecords_->SQL().Assign({locksearch::allLocksStatement(tablePath)});
    lockedRecords_->Open();
    if (lockedRecords_->RecordCount() <= 0) {
        lockedRecords_->Close();
        return;
    }
    std::vector<int> recNos;
    TField* lockedRecNo = lockedRecords_->FieldByName(QStringLiteral("LockedRecNo"));
    for (lockedRecords_->First(); !lockedRecords_->Eof(); lockedRecords_->Next())
        recNos.push_back(lockedRecNo->AsInteger());
    lockedRecords_->Close();

    for (int recNo : recNos) {
        if (cancel && cancel->load(std::memory_order_relaxed)) throw CollectionCancelled{};
        owners_->Close();
        owners_->SQL().Assign({locksearch::lockOwnerStatement(tablePath, recNo)});
        owners_->Open();
        // A lock released between the two calls has no owner left: nothing to add.
        if (owners_->RecordCount() <= 0) continue;
        TField* user = owners_->FieldByName(QStringLiteral("UserName"));
        TField* login = owners_->FieldByName(QStringLiteral("OSUserLoginName"));
        TField* application = owners_->FieldByName(QStringLiteral("ApplicationID"));
        TField* lockType = owners_->FieldByName(QStringLiteral("LockType"));
        TField* connNumber = owners_->FieldByName(QStringLiteral("ConnNumber"));
        const QString rowId = Encode64(recNo);
        for (owners_->First(); !owners_->Eof(); owners_->Next()) {
            LockRow& row = out.emplace_back().row;
            row.dictionary = dictionary_.name;
            row.table = tableName;
            row.recNo = recNo;
            row.rowId = rowId;
            row.userName = pool.intern(user->AsString());
            row.osLogin = pool.intern(login->AsString());
            row.application = pool.intern(application->AsString());
            row.lockType = pool.intern(lockType->AsString());
            row.connNumber = connNumber->AsInteger();
        }
    }
    owners_->Close();
}

}  // namespace monitor
