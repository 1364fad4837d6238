// lock_world.h: what the lock-search tests stand on: a real enginesrv on a private socket,
// dictionaries with tables and rows on disk, and lock holders running as other processes.
#ifndef BREVANTIS_TESTS_APP_LOCK_WORLD_H
#define BREVANTIS_TESTS_APP_LOCK_WORLD_H

#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "engine/testing/server_process.h"

namespace locktest {

// enginesrv on a private socket; while it lives, the client engine of this process (and
// every lock holder) connects to it.
class Server {
  public:
    Server();
    ~Server();
    // Starts it (again, after kill()); false when it does not come up.
    bool start();
    // SIGKILL: every connection is lost at once.
    void kill() { process_.kill(); }
    QString address() const { return QString::fromStdString(process_.address()); }

  private:
    engine::testing::ServerProcess process_;
};

// One table of a test dictionary: `rows` rows (Code = 1..rows, Nom = "Nom <code>").
struct TableSpec {
    QString name;
    int rows;
};

// Writes `folder`/`name`.add with the administrator adssys/kor5382 and creates `tables` in it
// through the data-access layer (on a connection of its own, closed on return). Returns the
// dictionary's path. Fails the running test on an error.
QString makeDictionary(const QString& folder, const QString& name,
                       const std::vector<TableSpec>& tables);

// Runs `statement` on the dictionary as adssys (for tests that change tables meanwhile).
void execute(const QString& dictionary, const QString& statement);

// Who a holder says it is.
struct Who {
    QString workstation, osLogin, application;
};

// A lockholder process holding `records` of `table` as `who` until it is destroyed
// (SIGTERM, then waited for: its locks are gone on return).
class Holder {
  public:
    Holder(const Server& server, const QString& dictionary, const QString& table,
           const QString& records, const Who& who);
    ~Holder();
    // Whether it reported its locks taken within 10 s.
    bool ready() const { return ready_; }
    // Stops it now; its locks are released when this returns.
    void stop();

  private:
    std::unique_ptr<QProcess> process_;
    bool ready_ = false;
};

}  // namespace locktest

#endif  // BREVANTIS_TESTS_APP_LOCK_WORLD_H
