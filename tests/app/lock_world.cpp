// lock_world.cpp: the server, the dictionaries and the lock holders of the lock-search tests.
#include "tests/app/lock_world.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <cstdlib>

#include "data/adscnnct.h"
#include "data/adstable.h"
#include "engine/core/dictionary.h"

namespace locktest {
namespace {

QString binDir() {
    const char* dir = std::getenv("BREVANTIS_BIN_DIR");
    return dir && *dir
               ? QString::fromLocal8Bit(dir)
               : QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget().section(u'/', 0, -2);
}

bool waitForFile(const QString& path, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(path)) {
        if (t.elapsed() > timeoutMs) return false;
        QThread::msleep(10);
    }
    return true;
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
    setenv("BREVANTIS_ENGINE_ADDRESS", process_.address().c_str(), 1);
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
    : Holder(QStringLiteral("lockholder"),
             {QStringLiteral("--server"), server.address(), QStringLiteral("--dict"), dictionary,
              QStringLiteral("--table"), table, QStringLiteral("--records"), records,
              QStringLiteral("--workstation"), who.workstation, QStringLiteral("--oslogin"),
              who.osLogin, QStringLiteral("--app"), who.application, QStringLiteral("--ready")}) {
    waitReady();
}

Holder::Holder(const QString& program, QStringList arguments)
    : process_(std::make_unique<QProcess>()) {
    static int serial = 0;
    readyFile_ =
        QDir::currentPath() +
        QStringLiteral("/holder%1-%2.ready").arg(QCoreApplication::applicationPid()).arg(++serial);
    QFile::remove(readyFile_);
    arguments << readyFile_;
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_->setStandardOutputFile(QProcess::nullDevice());
    process_->start(binDir() + u'/' + program, arguments);
}

bool Holder::waitReady(int timeoutMs) {
    if (!ready_) ready_ = waitForFile(readyFile_, timeoutMs);
    QFile::remove(readyFile_);
    return ready_;
}

Holder::~Holder() {
    stop();
}

void Holder::stop() {
    if (process_->state() == QProcess::NotRunning) return;
    process_->terminate();
    if (!process_->waitForFinished(10000)) process_->kill();
    process_->waitForFinished(10000);
}

}  // namespace locktest
