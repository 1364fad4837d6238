// The lock history's store: turns each refresh into episodes in SQLite or PostgreSQL, keeps
// them for the retention period, and stops quietly (one message) when it cannot write.
#pragma once

#include "episode_writer.h"
#include "history_location.h"
#include "observation.h"
#include "sql_dialect.h"

#include <QSqlDatabase>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace history {

struct StoreOptions {
  std::chrono::days retention{30};    // episodes last seen longer ago are deleted
  std::chrono::hours pruneEvery{24};  // besides at opening
};

class EpisodeStore {
 public:
  using MessageSink = std::function<void(const QString&)>;

  // `messages` receives every French message the store has for the user (may be empty).
  explicit EpisodeStore(MessageSink messages = {}, StoreOptions options = {});
  ~EpisodeStore();
  EpisodeStore(const EpisodeStore&) = delete;
  EpisodeStore& operator=(const EpisodeStore&) = delete;

  // Opens the history, creating it when missing, and prunes it. A damaged SQLite file is
  // set aside under a dated name and a new one started; a history of a newer schema is
  // left untouched. Returns whether the store is ready to record; says why when not.
  bool open(const Location& location, const QDateTime& now = QDateTime::currentDateTimeUtc());

  // Records one refresh in one transaction: opens, continues and closes episodes.
  // Returns false when nothing was written (not open, stopped, or an error, said once).
  // A full disk stops the history for good; the caller's monitoring goes on.
  bool record(const Refresh& refresh);

  // Deletes the episodes last seen before now minus the retention. Returns how many, or -1.
  int prune(const QDateTime& now);

  // Empties the history. The caller has asked the user first. Returns success.
  bool clear();

  // The history's size on disk in bytes, or nullopt when unknown.
  std::optional<qint64> sizeBytes() const;

  bool isReady() const { return ready_ && !stopped_; }
  bool isStopped() const { return stopped_; }
  const SqlDialect& dialect() const { return dialect_; }
  // The connection for the history's queries. REQUIRES: isReady() or at least opened.
  QSqlDatabase database() const;

 private:
  bool connect(const Location& location);
  bool prepareSchema();
  bool setAsideDamagedFile(const QString& why);
  bool writeRefresh(const Refresh& refresh);
  bool isUniqueViolation(const class QSqlError& error) const;
  void fail(const QString& what, const class QSqlError& error);
  void say(const QString& message);

  MessageSink messages_;
  StoreOptions options_;
  SqlDialect dialect_;
  Location location_;
  QString connectionName_;
  bool ready_ = false;
  bool stopped_ = false;      // a full disk: no more writes until the program restarts
  QString lastFailure_;       // the last error said, so a failing refresh is said once
  qint64 lastPruneMs_ = 0;
  std::unique_ptr<EpisodeWriter> writer_;  // while ready_
};

}  // namespace history
