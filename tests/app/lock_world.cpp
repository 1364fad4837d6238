// lock_world.cpp: the server, the dictionaries and the lock holders of the lock-search tests.
#include "tests/app/lock_world.h"

#include <QDir>
#include <cstdlib>

#include "data/adscnnct.h"
#include "data/adstable.h"
#include "engine/core/dictionary.h"

namespace locktest {
namespace {

// A program argument, as the system passes it.
std::string local8Bit(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

std::vector<std::string> local8Bit(const QStringList& texts) {
    std::vector<std::string> out;
    for (const QString& text : texts) out.push_back(local8Bit(text));
    return out;
}

// The rows of a table, as INSERT statements of at most 500 rows each.
QStringList inserts(const TableSpec& t) {
    QStringList out;
    for (int first = 1; first <= t.rows; first += 500) {
        QStringList values;
        for (int code = first; code < first + 500 && code <= t.rows; ++code)
            values << QStringLiteral("(%1, 'Nom %1')").arg(code);
        out << QStringLiteral("INSERT INTO [%1] (Code, Nom) VALUES %2;")
                   .arg(t.name, values.join(QStringLiteral(", ")));
    }
    return out;
}

}  // namespace

Server::Server() {
    start();
}

Server::~Server() {
    unsetenv("BREVANTIS_ENGINE_ADDRESS");
}

bool Server::start() {
    if (!process_.start()) return false;
    process_.serveThisProcess();
    return true;
}

QString makeDictionary(const QString& folder, const QString& name,
                       const std::vector<TableSpec>& tables, QString* error) {
    QString failed;
    QDir().mkpath(folder);
    const QString path = folder + u'/' + name + QStringLiteral(".add");
    engine::Dictionary d = engine::Dictionary::empty(path.toStdString());
    if (d.addUser("adssys", "kor5382", true).code != 0 || d.save().code != 0)
        failed = QStringLiteral("cannot write ") + path;
    for (const TableSpec& t : tables) {
        QStringList statements = inserts(t);
        statements.prepend(
            QStringLiteral("CREATE TABLE [%1] (Code Integer, Nom CIChar(30));").arg(t.name));
        for (const QString& statement : statements) {
            if (failed.isEmpty()) failed = execute(path, statement);
        }
    }
    if (error) *error = failed;
    return path;
}

QString execute(const QString& dictionary, const QString& statement) {
    TAdsConnection connection(nullptr);
    TAdsQuery query(nullptr);
    try {
        connection.SetConnectPath(dictionary);
        connection.Username = QStringLiteral("adssys");
        connection.Password = QStringLiteral("kor5382");
        connection.LoginPrompt = false;
        connection.Connect();
        query.SetAdsConnection(&connection);
        query.SQL().Assign({statement});
        query.ExecSQL();
    } catch (const rtl::Exception& e) {
        return statement.left(200) + QStringLiteral(": ") + e.message();
    }
    return QString();
}

Holder::Holder(const Server& server, const QString& dictionary, const QString& table,
               const QString& records, const Who& who)
    : testsupport::LockHolder(
          local8Bit(server.address()), local8Bit(dictionary), local8Bit(table), local8Bit(records),
          {local8Bit(who.workstation), local8Bit(who.osLogin), local8Bit(who.application)}) {
    waitReady();
}

Holder::Holder(const QString& program, const QStringList& arguments)
    : testsupport::LockHolder(local8Bit(program), local8Bit(arguments)) {}

}  // namespace locktest
