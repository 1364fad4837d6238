// db_error.h: the dataset framework's error and its French messages.
#ifndef BREVANTIS_DB_DB_ERROR_H
#define BREVANTIS_DB_DB_ERROR_H

#include <QObject>
#include <QString>

#include "rtl/exception.h"

// The framework's database error; the data-access layer's EADSDatabaseError derives from it.
class EDatabaseError : public rtl::Exception {
  public:
    using rtl::Exception::Exception;
    QString className() const override { return QStringLiteral("EDatabaseError"); }
};

namespace db {

// The framework's messages, exact as the user sees them ("%1"... are filled in order).
inline const QString kFieldNotFound = QStringLiteral("Champ '%1' non trouvé");
inline const QString kFieldTypeMismatch =
    QStringLiteral("Type inadéquat pour le champ '%1', attendu : %2 actuel : %3");
inline const QString kFieldSizeMismatch =
    QStringLiteral("Taille inadéquate pour le champ '%1', attendue : %2 actuelle  : %3");
inline const QString kDataSetClosed =
    QStringLiteral("Impossible d'effectuer cette opération sur un ensemble de données fermé");
inline const QString kDataSetOpen =
    QStringLiteral("Impossible d'effectuer cette opération sur un ensemble de données ouvert");
inline const QString kDataSetReadOnly =
    QStringLiteral("Impossible de modifier un ensemble de données en lecture seule");
inline const QString kParamNotFound = QStringLiteral("Paramètre '%1' non trouvé");

// Throws EDatabaseError with `message`, prefixed with the component's name and ": " when
// `component` is given and has a name.
[[noreturn]] void databaseError(const QString& message, const QObject* component = nullptr);

}  // namespace db

#endif  // BREVANTIS_DB_DB_ERROR_H
