// collection.cpp: TrouverLocksParTable.
#include "locksearch/collection.h"

#include <QVariantList>

#include "data/adstable.h"
#include "locksearch/components.h"
#include "locksearch/progress.h"
#include "locksearch/statements.h"
#include "rtl/ansi.h"

namespace locksearch {
namespace {

void write(TDataSet* dataSet, const char* fieldName, const QByteArray& value) {
    dataSet->FieldByName(QLatin1String(fieldName))->SetAsAnsiString(value);
}

QByteArray read(TDataSet* dataSet, const char* fieldName) {
    return dataSet->FieldByName(QLatin1String(fieldName))->AsAnsiString();
}

}  // namespace

void TrouverLocksParTable(const Components& c, const ChosenDictionary& d, const QString& tableName,
                          Progress* progress) {
    const QString tablePath = d.TrimmedPath + tableName + QStringLiteral(".adt");
    TAdsQuery* locked = c.QTrouverLockedRecNumbers;
    TAdsQuery* owners = c.QTrouverUsersQuiBloquent;
    TAdsTable* locks = c.UsersTableLocks;

    locked->Close();
    locked->SQL().Set(0, allLocksStatement(tablePath));
    locked->Open();
    if (locked->RecordCount() <= 0) return;
    TField* lockedRecNo = locked->FieldByName(QStringLiteral("LockedRecNo"));
    locked->First();
    while (!locked->Eof()) {
        if (progress) progress->betweenStatements();
        const int recNo = lockedRecNo->AsInteger();
        owners->Close();
        owners->SQL().Set(0, lockOwnerStatement(tablePath, recNo));
        owners->Open();
        if (owners->RecordCount() > 0) {
            owners->First();
            while (!owners->Eof()) {
                if (!locks->Locate(QStringLiteral("TableName;LockedRecNo"),
                                   QVariantList{tableName, recNo}, 0)) {
                    locks->Append();
                    write(locks, "DictionaryName", rtl::toAnsi(d.DictionaryName));
                    write(locks, "DictionaryPath", rtl::toAnsi(d.DictionaryPath));
                    write(locks, "TableName", rtl::toAnsi(tableName));
                    write(locks, "TablePath", rtl::toAnsi(tablePath));
                    write(locks, "UserName", read(owners, "UserName"));
                    write(locks, "OsUserLoginName", read(owners, "OSUserLoginName"));
                    write(locks, "ApplicationID", read(owners, "ApplicationID"));
                    locks->FieldByName(QStringLiteral("LockedRecNo"))->SetAsInteger(recNo);
                    locks->Post();
                    if (progress) progress->lockFound();
                }
                owners->Next();
            }
        }
        locked->Next();
    }
}

}  // namespace locksearch
