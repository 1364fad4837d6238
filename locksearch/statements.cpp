// statements.cpp: the texts of the two lock procedures' calls.
#include "locksearch/statements.h"

#include "dictionary/sql_quoting.h"

namespace locksearch {

// The blank before the closing quote of the first call is what the server has always been
// sent; it trims the path, and the recorded statements compare these exact bytes.
QString allLocksStatement(const QString& tablePath) {
    return QStringLiteral("EXECUTE PROCEDURE sp_mgGetAllLocks('") +
           dictionary::sqlLiteral(tablePath) + QStringLiteral(" ');");
}

QString lockOwnerStatement(const QString& tablePath, int recNo) {
    return QStringLiteral("EXECUTE PROCEDURE sp_mgGetLockOwner( '") +
           dictionary::sqlLiteral(tablePath) + QStringLiteral("',") + QString::number(recNo) +
           QStringLiteral(");");
}

}  // namespace locksearch
