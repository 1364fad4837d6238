// Parses and describes where the lock history lives.
#include "history_location.h"

#include <QDir>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>

namespace history {

Location defaultLocation() {
  Location location;
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  location.filePath = QDir(folder).filePath(QStringLiteral("historique-locks.sqlite"));
  return location;
}

std::optional<Location> parseLocation(const QString& text, QString* error) {
  static const QString kScheme = QStringLiteral("postgresql://");
  Location location;
  if (!text.startsWith(kScheme, Qt::CaseInsensitive)) {
    location.filePath = text;
    return location;
  }
  const QUrl url(text, QUrl::StrictMode);
  const QString database = url.path(QUrl::FullyDecoded).mid(1);
  if (!url.isValid() || url.host(QUrl::FullyDecoded).isEmpty() || database.isEmpty() ||
      database.contains(QLatin1Char('/'))) {
    if (error)
      *error = QStringLiteral("Adresse d'historique invalide : « %1 » (attendu : "
                              "postgresql://utilisateur@hôte/base).").arg(text);
    return std::nullopt;
  }
  location.kind = Location::Kind::Postgres;
  location.host = url.host(QUrl::FullyDecoded);
  // As libpq: "?host=/folder" reaches a server on a Unix socket in that folder.
  const QUrlQuery query(url);
  if (query.hasQueryItem(QStringLiteral("host")))
    location.host = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
  location.port = url.port(-1);
  location.user = url.userName(QUrl::FullyDecoded);
  location.password = url.password(QUrl::FullyDecoded);
  location.database = database;
  return location;
}

QString describe(const Location& location) {
  if (location.kind == Location::Kind::SqliteFile) return location.filePath;
  return QStringLiteral("%1 sur %2").arg(location.database, location.host);
}

}  // namespace history
