// db_error.cpp: raising the framework's database error with its component prefix.
#include "db/db_error.h"

namespace db {

void databaseError(const QString& message, const QObject* component) {
    if (component && !component->objectName().isEmpty())
        throw EDatabaseError(component->objectName() + QStringLiteral(": ") + message);
    throw EDatabaseError(message);
}

}  // namespace db
