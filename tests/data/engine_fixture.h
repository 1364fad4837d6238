// engine_fixture.h: the real engine for end-to-end tests: enginesrv on a private socket, an
// empty dictionary whose administrator is adssys, and the result table the tool creates.
#ifndef BREVANTIS_TESTS_DATA_ENGINE_FIXTURE_H
#define BREVANTIS_TESTS_DATA_ENGINE_FIXTURE_H

#include <QStringList>
#include <QTemporaryDir>
#include <string>

#include "data/adscnnct.h"
#include "engine/core/dictionary.h"
#include "tests/support/server_process.h"

namespace e2e {

// The statements that create #UsersTableLocks, as the main window sends them.
inline const QStringList kCreateUsersTableLocks = {
    "CREATE TABLE #UsersTableLocks (",
    "    DictionaryName CIChar(25),",
    "\t  DictionaryPath CIChar(100),",
    "\t  TableName CIChar(25),",
    "\t  TablePath CIChar(100),",
    "\t  UserName CIChar(50),",
    "\t  OsUserLoginName CIChar(50),",
    "\t  ApplicationID CIChar(70),",
    "\t  LockedRecNo Integer );",
    "",
    "Create Index UserName on #UsersTableLocks(UserName);",
    "Create Index OsUserLoginName on #UsersTableLocks(OsUserLoginName);"};

// A running enginesrv that the client library of this process talks to, and Test.add in a
// temporary folder.
class Engine {
  public:
    // False, with the reason in error(), when the server or the dictionary fails.
    bool start() {
        if (!server.start()) return fail("enginesrv: " + server.log());
        server.serveThisProcess();
        dictionary = folder.filePath(QStringLiteral("Test.add"));
        engine::Dictionary d = engine::Dictionary::empty(dictionary.toStdString());
        if (d.addUser("adssys", "kor5382", true).code != 0 || d.save().code != 0)
            return fail("Test.add");
        return true;
    }
    const std::string& error() const { return error_; }

    testsupport::ServerProcess server;
    QTemporaryDir folder;
    QString dictionary;

  private:
    bool fail(std::string why) {
        error_ = std::move(why);
        return false;
    }
    std::string error_;
};

// Connects `c` (disconnecting it first) to `path` as adssys, remote server only, without
// a login prompt.
inline void connectAsAdmin(TAdsConnection& c, const QString& path,
                           const QString& password = QStringLiteral("kor5382")) {
    c.Disconnect();
    c.SetConnectPath(path);
    c.Username = QStringLiteral("adssys");
    c.Password = password;
    c.LoginPrompt = false;
    c.AdsServerTypes = {stADS_REMOTE};
    c.Connect();
}

}  // namespace e2e

#endif  // BREVANTIS_TESTS_DATA_ENGINE_FIXTURE_H
