// lock_world.h: what the lock-search and monitor tests and benchmarks stand on, in Qt's
// terms: a real enginesrv on a private socket, dictionaries with tables and rows on disk, and
// lock holders running as other processes (server and holders started by tests/support). Failures
// are returned, for the caller to report.
#ifndef BREVANTIS_TESTS_APP_LOCK_WORLD_H
#define BREVANTIS_TESTS_APP_LOCK_WORLD_H

#include <QString>
#include <QStringList>
#include <vector>

#include "tests/support/lock_holder.h"
#include "tests/support/server_process.h"

namespace locktest {

// enginesrv on a private socket; while it lives, the client engine of this process (and
// every lock holder) connects to it.
class Server {
  public:
    // Starts it; see started().
    Server();
    ~Server();
    // Starts it (again, after kill()); false when it does not come up.
    bool start();
    bool started() { return process_.running(); }
    // What the server wrote on its standard error.
    QString log() const { return QString::fromStdString(process_.log()); }
    // SIGKILL: every connection is lost at once.
    void kill() { process_.kill(); }
    QString address() const { return QString::fromStdString(process_.address()); }

  private:
    testsupport::ServerProcess process_;
};

// One table of a test dictionary: `rows` rows (Code = 1..rows, Nom = "Nom <code>").
struct TableSpec {
    QString name;
    int rows;
};

// Writes `folder`/`name`.add with the administrator adssys/kor5382 and creates `tables` in it
// through the data-access layer (on a connection of its own, closed on return). Returns the
// dictionary's path; `error` (when given) receives what failed, empty on success.
QString makeDictionary(const QString& folder, const QString& name,
                       const std::vector<TableSpec>& tables, QString* error = nullptr);

// Runs `statement` on the dictionary as adssys. Returns what failed, empty on success.
QString execute(const QString& dictionary, const QString& statement);

// Who a holder says it is.
struct Who {
    QString workstation, osLogin, application;
};

// A process holding locks until it is destroyed (SIGTERM, then waited for: its locks are
// gone on return); see testsupport::LockHolder.
class Holder : public testsupport::LockHolder {
  public:
    // lockholder holding `records` ("3,8,20-25") of `table` as `who`; waits for its locks.
    Holder(const Server& server, const QString& dictionary, const QString& table,
           const QString& records, const Who& who);
    // `program` of the build's folder with `arguments`, then the ready file's path.
    Holder(const QString& program, const QStringList& arguments);
};

}  // namespace locktest

#endif  // BREVANTIS_TESTS_APP_LOCK_WORLD_H
