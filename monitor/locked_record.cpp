// locked_record.cpp: LockedRecordReader.
#include "monitor/locked_record.h"

#include "data/adscnnct.h"
#include "data/adstable.h"
#include "db/field.h"
#include "locksearch/record_lookup.h"
#include "rtl/exception.h"

namespace monitor {

LockedRecordReader::LockedRecordReader(Credentials credentials)
    : credentials_(std::move(credentials)) {}

LockedRecordReader::~LockedRecordReader() = default;

LockedRecordReader::Session& LockedRecordReader::sessionFor(const WatchedDictionary& dictionary) {
    std::unique_ptr<Session>& session = sessions_[dictionary.path];
    if (!session) {
        session = std::make_unique<Session>();
        locksearch::declareComponents(&session->owner, session->components);
    }
    TAdsConnection* connection = session->components.ManagementConn;
    if (!connection->IsConnected()) {
        connection->SetConnectPath(dictionary.path);
        connection->Username = credentials_.user;
        connection->Password = credentials_.password;
        connection->LoginPrompt = false;
        connection->Connect();
    }
    return *session;
}

std::optional<LockedRecord> LockedRecordReader::read(const WatchedDictionary& dictionary,
                                                     const QString& table, int recNo) {
    try {
        TAdsQuery& query = *sessionFor(dictionary).components.QChercherRecordParRowID;
        if (!locksearch::lookUpLockedRecord(query, table, recNo)) return std::nullopt;
        LockedRecord record;
        for (int i = 0; i < query.FieldCount(); ++i) {
            record.columns << query.Fields(i)->FieldName();
            record.values << query.Fields(i)->AsString();
        }
        query.Close();
        return record;
    } catch (const rtl::Exception&) {
        auto it = sessions_.find(dictionary.path);
        if (it != sessions_.end()) {
            try {
                it->second->components.ManagementConn->Disconnect();
            } catch (const rtl::Exception&) {
            }
        }
        throw;
    }
}

}  // namespace monitor
