// collecte_locks.cpp: TrouverLocksParTable.
#include "app/collecte_locks.h"

#include <QVariantList>

#include "app/progression_recherche.h"
#include "app/recherche_locks.h"
#include "data/adstable.h"
#include "locksearch/statements.h"
#include "rtl/ansi.h"

namespace app {
namespace {

void ecrire(TDataSet* dataSet, const char* fieldName, const QByteArray& value) {
    dataSet->FieldByName(QLatin1String(fieldName))->SetAsAnsiString(value);
}

}  // namespace

void TrouverLocksParTable(RechercheLocks& r, const QString& NomDeLaTable) {
    const QString tablePath = r.TrimmedPath + NomDeLaTable + QStringLiteral(".adt");
    TAdsQuery* locked = r.QTrouverLockedRecNumbers;
    TAdsQuery* owners = r.QTrouverUsersQuiBloquent;
    TAdsTable* locks = r.UsersTableLocks;

    locked->Close();
    locked->SQL().Set(0, locksearch::allLocksStatement(tablePath));
    locked->Open();
    if (locked->RecordCount() <= 0) return;
    TField* lockedRecNo = locked->FieldByName(QStringLiteral("LockedRecNo"));
    locked->First();
    while (!locked->Eof()) {
        if (r.progression) r.progression->entreInstructions();
        const int recNo = lockedRecNo->AsInteger();
        owners->Close();
        owners->SQL().Set(0, locksearch::lockOwnerStatement(tablePath, recNo));
        owners->Open();
        if (owners->RecordCount() > 0) {
            owners->First();
            while (!owners->Eof()) {
                if (!locks->Locate(QStringLiteral("TableName;LockedRecNo"),
                                   QVariantList{NomDeLaTable, recNo}, 0)) {
                    locks->Append();
                    ecrire(locks, "DictionaryName", rtl::toAnsi(r.DictionaryName));
                    ecrire(locks, "DictionaryPath", rtl::toAnsi(r.DictionaryPath));
                    ecrire(locks, "TableName", rtl::toAnsi(NomDeLaTable));
                    ecrire(locks, "TablePath", rtl::toAnsi(tablePath));
                    ecrire(locks, "UserName",
                           owners->FieldByName(QStringLiteral("UserName"))->AsAnsiString());
                    ecrire(locks, "OsUserLoginName",
                           owners->FieldByName(QStringLiteral("OSUserLoginName"))->AsAnsiString());
                    ecrire(locks, "ApplicationID",
                           owners->FieldByName(QStringLiteral("ApplicationID"))->AsAnsiString());
                    locks->FieldByName(QStringLiteral("LockedRecNo"))->SetAsInteger(recNo);
                    locks->Post();
                    if (r.progression) r.progression->lockTrouve();
                }
                owners->Next();
            }
        }
        locked->Next();
    }
}

}  // namespace app
