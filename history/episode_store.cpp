// Records lock episodes: one transaction per refresh, one row per episode.
#include "episode_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>
#include <atomic>

namespace history {
namespace {

// SQLite's primary result codes the store reacts to (the driver reports extended codes).
constexpr int kSqliteBusy = 5;
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteFull = 13;
constexpr int kSqliteNotADatabase = 26;
constexpr int kSqliteConstraint = 19;
// PostgreSQL's SQLSTATEs for a full disk and a duplicate key.
const QString kPostgresDiskFull = QStringLiteral("53100");
const QString kPostgresUniqueViolation = QStringLiteral("23505");

int sqlitePrimaryCode(const QSqlError& error) { return error.nativeErrorCode().toInt() & 0xff; }

QString nextConnectionName() {
  static std::atomic<int> counter{0};
  return QStringLiteral("brevantis-historique-%1").arg(++counter);
}

}  // namespace

EpisodeStore::EpisodeStore(MessageSink messages, StoreOptions options)
    : messages_(std::move(messages)), options_(options), connectionName_(nextConnectionName()) {}

EpisodeStore::~EpisodeStore() {
  writer_.reset();  // its statements hold the connection
  {
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    if (db.isValid()) db.close();
  }
  if (QSqlDatabase::contains(connectionName_)) QSqlDatabase::removeDatabase(connectionName_);
}

QSqlDatabase EpisodeStore::database() const { return QSqlDatabase::database(connectionName_, false); }

void EpisodeStore::say(const QString& message) {
  if (messages_) messages_(message);
}

bool EpisodeStore::open(const Location& location, const QDateTime& now) {
  writer_.reset();
  location_ = location;
  dialect_.sqlite = location.kind == Location::Kind::SqliteFile;
  ready_ = connect(location) && prepareSchema();
  if (ready_) {
    writer_ = std::make_unique<EpisodeWriter>(database(), dialect_);
    prune(now);
  }
  return ready_;
}

bool EpisodeStore::connect(const Location& location) {
  QSqlDatabase db = QSqlDatabase::contains(connectionName_)
                        ? database()
                        : QSqlDatabase::addDatabase(dialect_.sqlite ? QStringLiteral("QSQLITE")
                                                                    : QStringLiteral("QPSQL"),
                                                    connectionName_);
  if (!db.isValid()) {
    say(QStringLiteral("Le pilote de base de données de l'historique des locks est absent : "
                       "la surveillance continue sans historique."));
    return false;
  }
  if (dialect_.sqlite) {
    QDir().mkpath(QFileInfo(location.filePath).absolutePath());
    db.setDatabaseName(location.filePath);
    // Two programs writing the same file wait for each other instead of failing.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
  } else {
    db.setHostName(location.host);
    if (location.port > 0) db.setPort(location.port);
    db.setUserName(location.user);
    db.setPassword(location.password);
    db.setDatabaseName(location.database);
  }
  if (!db.open()) {
    say(QStringLiteral("Impossible d'ouvrir l'historique des locks « %1 » : %2. La surveillance "
                       "continue sans historique.").arg(describe(location), db.lastError().text()));
    return false;
  }
  return true;
}

bool EpisodeStore::prepareSchema() {
  QSqlDatabase db = database();
  QSqlQuery query(db);
  auto failed = [&](const QSqlError& error) {
    const int code = sqlitePrimaryCode(error);
    if (dialect_.sqlite && (code == kSqliteCorrupt || code == kSqliteNotADatabase))
      return setAsideDamagedFile(error.text()) && prepareSchema();
    say(QStringLiteral("Impossible de préparer l'historique des locks « %1 » : %2. La surveillance "
                       "continue sans historique.").arg(describe(location_), error.text()));
    return false;
  };
  if (dialect_.sqlite) {
    // Large pages: a refresh writes thousands of rows, and each page costs the log a write
    // call of its own. It only applies to a file not yet written.
    query.exec(QStringLiteral("PRAGMA page_size=16384"));
    // WAL: a writer killed mid-transaction loses that transaction only, readers never wait.
    // Turning a new file to WAL takes a lock SQLite does not wait for: two instances starting
    // on one new file take turns here, within the busy timeout.
    bool wal = false;
    for (int attempt = 0; attempt < 500 && !(wal = query.exec(QStringLiteral("PRAGMA journal_mode=WAL"))); ++attempt) {
      if (sqlitePrimaryCode(query.lastError()) != kSqliteBusy) break;
      QThread::msleep(20);
    }
    if (!wal) return failed(query.lastError());
    query.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    // A refresh of thousands of locks touches many pages: keep them in memory between refreshes.
    query.exec(QStringLiteral("PRAGMA cache_size=-32768"));
    // The chart's grouping sorts up to a million rows: in memory, not in temporary files.
    query.exec(QStringLiteral("PRAGMA temp_store=MEMORY"));
    if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next())
      return failed(query.lastError());
    if (query.value(0).toString() != QLatin1String("ok"))
      return setAsideDamagedFile(query.value(0).toString()) && prepareSchema();
  }
  for (const QString& statement : dialect_.beginWrite())
    if (!query.exec(statement)) return failed(query.lastError());
  auto rollback = [&] { QSqlQuery(db).exec(QStringLiteral("ROLLBACK")); };
  for (const QString& statement : dialect_.createSchema()) {
    if (!query.exec(statement)) {
      const QSqlError error = query.lastError();
      rollback();
      return failed(error);
    }
  }
  query.exec(QStringLiteral("SELECT value FROM history_meta WHERE name = 'schema_version'"));
  if (query.next()) {
    const int version = query.value(0).toInt();
    if (version > kSchemaVersion) {
      rollback();
      say(QStringLiteral("L'historique des locks « %1 » vient d'une version plus récente de "
                         "Brevantis (schéma %2) : il n'est pas modifié, et la surveillance continue "
                         "sans historique.").arg(describe(location_)).arg(version));
      return false;
    }
  } else if (!query.exec(QStringLiteral("INSERT INTO history_meta (name, value) VALUES "
                                        "('schema_version', '%1')").arg(kSchemaVersion))) {
    const QSqlError error = query.lastError();
    rollback();
    return failed(error);
  }
  if (!query.exec(QStringLiteral("COMMIT"))) return failed(query.lastError());
  return true;
}

bool EpisodeStore::setAsideDamagedFile(const QString& why) {
  {
    QSqlDatabase db = database();
    db.close();
  }
  const QString path = location_.filePath;
  const QString aside = QStringLiteral("%1.endommage-%2")
                            .arg(path, QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
  bool moved = QFile::rename(path, aside);
  for (const QString& suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")})
    if (QFile::exists(path + suffix)) moved = QFile::rename(path + suffix, aside + suffix) && moved;
  if (!moved || !database().open()) {
    say(QStringLiteral("L'historique des locks « %1 » est endommagé (%2) et n'a pas pu être mis de "
                       "côté : la surveillance continue sans historique.").arg(path, why));
    return false;
  }
  say(QStringLiteral("L'historique des locks « %1 » était endommagé : il est mis de côté sous « %2 » "
                     "et un nouvel historique commence.").arg(path, aside));
  return true;
}

bool EpisodeStore::record(const Refresh& refresh) {
  if (!ready_ || stopped_) return false;
  if (!dialect_.sqlite && !lastFailure_.isEmpty()) {
    // The shared server may have gone and come back: the driver does not reconnect by itself.
    writer_.reset();
    QSqlDatabase db = database();
    db.close();
    db.open();
    writer_ = std::make_unique<EpisodeWriter>(db, dialect_);
  }
  if (!writeRefresh(refresh)) return false;
  lastFailure_.clear();
  const qint64 now = refresh.at.toMSecsSinceEpoch();
  if (now - lastPruneMs_ >= std::chrono::milliseconds(options_.pruneEvery).count()) prune(refresh.at);
  return true;
}

bool EpisodeStore::writeRefresh(const Refresh& refresh) {
  QSqlDatabase db = database();
  QSqlQuery query(db);
  for (int attempt = 1;; ++attempt) {
    std::optional<QSqlError> error;
    for (const QString& statement : dialect_.beginWrite())
      if (!error && !query.exec(statement)) error = query.lastError();
    if (!error) error = writer_->write(refresh);
    if (!error && !query.exec(QStringLiteral("COMMIT"))) error = query.lastError();
    if (!error) return true;
    QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    writer_->forget();
    // An open episode the writer did not know of (a writer that left no mark): once more,
    // from what the history holds.
    if (attempt == 1 && isUniqueViolation(*error)) continue;
    fail(QStringLiteral("enregistrer"), *error);
    return false;
  }
}

bool EpisodeStore::isUniqueViolation(const QSqlError& error) const {
  return dialect_.sqlite ? sqlitePrimaryCode(error) == kSqliteConstraint
                         : error.nativeErrorCode() == kPostgresUniqueViolation;
}

void EpisodeStore::fail(const QString& what, const QSqlError& error) {
  const bool full = dialect_.sqlite ? sqlitePrimaryCode(error) == kSqliteFull
                                    : error.nativeErrorCode() == kPostgresDiskFull;
  if (full) {
    stopped_ = true;
    say(QStringLiteral("Le disque de l'historique des locks est plein : l'historique est arrêté, "
                       "la surveillance continue."));
    return;
  }
  const QString message = QStringLiteral("Impossible d'%1 l'historique des locks « %2 » : %3")
                              .arg(what, describe(location_), error.text());
  if (message == lastFailure_) return;
  lastFailure_ = message;
  say(message);
}

int EpisodeStore::prune(const QDateTime& now) {
  if (!ready_ || stopped_) return -1;
  const qint64 nowMs = now.toMSecsSinceEpoch();
  const qint64 cutoff = nowMs - std::chrono::milliseconds(options_.retention).count();
  QSqlQuery query(database());
  query.prepare(QStringLiteral("DELETE FROM lock_episodes WHERE last_seen < ?"));
  query.addBindValue(cutoff);
  if (!query.exec()) {
    fail(QStringLiteral("élaguer"), query.lastError());
    return -1;
  }
  lastPruneMs_ = nowMs;
  writer_->forget();  // it may have deleted episodes the writer knew as open
  return query.numRowsAffected();
}

bool EpisodeStore::clear() {
  if (!ready_) return false;
  QSqlDatabase db = database();
  QSqlQuery query(db);
  QStringList statements = dialect_.beginWrite();
  statements << QStringLiteral("DELETE FROM lock_episodes") << QStringLiteral("DELETE FROM lock_refreshes")
             << QStringLiteral("COMMIT");
  for (const QString& statement : statements) {
    if (!query.exec(statement)) {
      const QSqlError error = query.lastError();
      QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
      fail(QStringLiteral("vider"), error);
      return false;
    }
  }
  if (dialect_.sqlite) {
    // Gives the space back, so the size shown drops.
    query.exec(QStringLiteral("VACUUM"));
    query.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
  }
  writer_->forget();
  stopped_ = false;
  return true;
}

std::optional<qint64> EpisodeStore::sizeBytes() const {
  if (!ready_) return std::nullopt;
  if (dialect_.sqlite) {
    const QString path = location_.filePath;
    return QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size();
  }
  QSqlQuery query(database());
  if (!query.exec(QStringLiteral("SELECT pg_total_relation_size('lock_episodes') + "
                                 "pg_total_relation_size('lock_refreshes') + "
                                 "pg_total_relation_size('history_meta')")) ||
      !query.next())
    return std::nullopt;
  return query.value(0).toLongLong();
}

}  // namespace history
