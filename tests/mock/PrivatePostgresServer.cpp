#include "PrivatePostgresServer.h"

#include "PostgresConnection.h"
#include "PrivateSambaServer.h"
#include "ServerProcesses.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <libpq-fe.h>

#include <csignal>

#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

constexpr int startAttempts = 3;
constexpr int initdbTimeoutMs = 120000;
constexpr int readyTimeoutMs = 60000;

// Group of the account; the account's own name is taken by useradd's group of the same name.
const QString accountGroup = u"cvtestdb"_s;

// The child of a QProcess: a session of its own when asked (so that its whole group can be
// stopped), then the account's identity, then SIGKILL when the test process dies.
auto childSetup(bool switchAccount, unsigned int uid, unsigned int gid, bool newSession)
{
    return [=] {
        if (newSession)
            ::setsid();
        if (switchAccount && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)) {
            static const char message[] = "cannot switch to the account cvtestpostgres\n";
            [[maybe_unused]] const auto written = ::write(STDERR_FILENO, message, sizeof message - 1);
            ::_exit(126);
        }
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    };
}

// The environment of the server's programs, without the PG variables of whoever runs the tests.
QProcessEnvironment serverEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : environment.keys()) {
        if (name.startsWith(u"PG"_s))
            environment.remove(name);
    }
    environment.insert(u"LC_ALL"_s, u"C"_s);
    return environment;
}

bool writeFile(const QString& path, const QByteArray& contents,
               QIODevice::OpenMode mode = QIODevice::Truncate)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | mode) && file.write(contents) == contents.size() && file.flush();
}

} // namespace

QString sqlIdentifier(const QString& name)
{
    QString quoted = name;
    return u'"' + quoted.replace(u'"', u"\"\""_s) + u'"';
}

QString sqlLiteral(const QString& text)
{
    QString quoted = text;
    return u'\'' + quoted.replace(u'\'', u"''"_s) + u'\'';
}

PrivatePostgresServer::PrivatePostgresServer() : PrivatePostgresServer(Options{}) {}

PrivatePostgresServer::PrivatePostgresServer(Options options) : options_(std::move(options))
{
    error_ = prepare();
    if (error_.isEmpty())
        error_ = initialise();
    if (error_.isEmpty())
        error_ = start();
    if (!error_.isEmpty())
        error_ = u"The private PostgreSQL server could not start: "_s + error_;
}

PrivatePostgresServer::~PrivatePostgresServer()
{
    const QString stopped = stop();
    if (!stopped.isEmpty())
        ADD_FAILURE() << stopped.toStdString();
}

QString PrivatePostgresServer::dataPath() const
{
    return root_.filePath(u"data"_s);
}
QString PrivatePostgresServer::socketPath() const
{
    return root_.filePath(u"socket"_s);
}
QString PrivatePostgresServer::logPath() const
{
    return root_.filePath(u"postgres.log"_s);
}

QString PrivatePostgresServer::prepare()
{
    for (const QString& program : {u"initdb"_s, u"postgres"_s}) {
        if (!QFileInfo(QDir(options_.binaries).filePath(program)).isExecutable())
            return program + u" not found in "_s + options_.binaries +
                   u": install postgresql-15 (scripts/install-deps.sh)"_s;
    }
    if (!root_.isValid())
        return u"no temporary folder: "_s + root_.errorString();
    uid_ = ::geteuid();
    gid_ = ::getegid();
    if (uid_ == 0) {
        // PostgreSQL refuses to run as root.
        if (const QString accounts = ensureUnixAccounts({account()}, accountGroup); !accounts.isEmpty())
            return accounts;
        const struct passwd* entry = ::getpwnam(account().toUtf8().constData());
        if (!entry)
            return u"no account "_s + account();
        uid_ = entry->pw_uid;
        gid_ = entry->pw_gid;
        // The account has to reach its folders inside the temporary one.
        if (::chmod(root_.path().toUtf8().constData(), 0711) != 0)
            return u"cannot open the temporary folder to "_s + account();
    }
    for (const QString& path : {dataPath(), socketPath()}) {
        if (!QDir().mkpath(path) || ::chown(path.toUtf8().constData(), uid_, gid_) != 0 ||
            ::chmod(path.toUtf8().constData(), 0700) != 0)
            return u"cannot make "_s + path;
    }
    return {};
}

QString PrivatePostgresServer::initialise()
{
    QProcess initdb;
    initdb.setProcessEnvironment(serverEnvironment());
    initdb.setProcessChannelMode(QProcess::MergedChannels);
    initdb.setWorkingDirectory(root_.path());
    initdb.setChildProcessModifier(childSetup(::geteuid() == 0, uid_, gid_, false));
    initdb.start(QDir(options_.binaries).filePath(u"initdb"_s),
                 {u"--pgdata="_s + dataPath(), u"--username="_s + adminRole(), u"--auth=trust"_s,
                  u"--encoding=UTF8"_s, u"--no-locale"_s, u"--no-sync"_s, u"--no-instructions"_s});
    if (!initdb.waitForFinished(initdbTimeoutMs)) {
        initdb.kill();
        initdb.waitForFinished();
        return u"initdb did not finish within two minutes"_s;
    }
    const QString output = QString::fromUtf8(initdb.readAll()).trimmed();
    if (initdb.exitStatus() != QProcess::NormalExit || initdb.exitCode() != 0)
        return u"initdb failed (exit code %1): "_s.arg(initdb.exitCode()) + output;
    // The admin over the private socket only; every other role with its password, everywhere.
    const QByteArray access = "local all " + adminRole().toUtf8() +
                              " trust\n"
                              "local all all scram-sha-256\n"
                              "host all all 127.0.0.1/32 scram-sha-256\n";
    if (!writeFile(QDir(dataPath()).filePath(u"pg_hba.conf"_s), access) ||
        !writeFile(QDir(dataPath()).filePath(u"postgresql.conf"_s), "include = 'cvtest.conf'\n",
                   QIODevice::Append))
        return u"cannot write the configuration in "_s + dataPath();
    return {};
}

QString PrivatePostgresServer::writeConfiguration() const
{
    const QString path = QDir(dataPath()).filePath(u"cvtest.conf"_s);
    const QString text = u"listen_addresses = '127.0.0.1'\n"
                         "port = %1\n"
                         "unix_socket_directories = '%2'\n"
                         "unix_socket_permissions = 0700\n"
                         "max_connections = 40\n"
                         "shared_buffers = 32MB\n"
                         // Test data: a crash of the machine may lose them, at no cost.
                         "fsync = off\n"
                         "synchronous_commit = off\n"
                         "full_page_writes = off\n"
                         "logging_collector = off\n"
                         "lc_messages = 'C'\n"
                         "datestyle = 'iso, mdy'\n"_s.arg(port_)
                             .arg(socketPath());
    if (!writeFile(path, text.toUtf8()) || ::chown(path.toUtf8().constData(), uid_, gid_) != 0)
        return u"cannot write "_s + path;
    return {};
}

QString PrivatePostgresServer::start()
{
    QString lastError;
    for (int attempt = 0; attempt < startAttempts; ++attempt) {
        port_ = freeLoopbackPort();
        if (port_ == 0)
            return u"no free port on 127.0.0.1"_s;
        if (const QString written = writeConfiguration(); !written.isEmpty())
            return written;
        postgres_ = std::make_unique<QProcess>();
        postgres_->setProcessEnvironment(serverEnvironment());
        postgres_->setWorkingDirectory(root_.path());
        postgres_->setStandardOutputFile(logPath(), QIODevice::Append);
        postgres_->setStandardErrorFile(logPath(), QIODevice::Append);
        postgres_->setChildProcessModifier(childSetup(::geteuid() == 0, uid_, gid_, true));
        postgres_->start(QDir(options_.binaries).filePath(u"postgres"_s), {u"-D"_s, dataPath()});
        if (!postgres_->waitForStarted())
            return u"postgres: "_s + postgres_->errorString();
        pid_ = postgres_->processId();
        lastError = waitUntilReady();
        if (lastError.isEmpty())
            return {};
        stop();
    }
    return lastError;
}

QString PrivatePostgresServer::waitUntilReady()
{
    const QByteArray conninfo = connectionString(u"postgres"_s).toUtf8();
    const QDeadlineTimer deadline(readyTimeoutMs);
    while (!deadline.hasExpired()) {
        if (postgres_->state() == QProcess::NotRunning || postgres_->waitForFinished(0))
            return u"postgres ended at start (exit code %1); its log ends:\n"_s.arg(postgres_->exitCode()) +
                   lastLines(logPath(), 10);
        if (PQping(conninfo.constData()) == PQPING_OK)
            return {};
        QThread::msleep(50);
    }
    return u"postgres did not accept connections within %1 s; its log ends:\n"_s.arg(readyTimeoutMs / 1000) +
           lastLines(logPath(), 10);
}

QString PrivatePostgresServer::stop()
{
    // SIGINT is the fast shutdown: sessions are ended, nothing waits for clients.
    return stopServer(postgres_, pid_, SIGINT, u"the private PostgreSQL server"_s);
}

QString PrivatePostgresServer::connectionString(const QString& database, const QString& role,
                                                const QString& password) const
{
    QString text = u"host=%1 port=%2 dbname=%3 user=%4 connect_timeout=10"_s.arg(
        connectionValue(socketPath()), QString::number(port_), connectionValue(database),
        connectionValue(role));
    if (!password.isEmpty())
        text += u" password="_s + connectionValue(password);
    return text;
}

QString PrivatePostgresServer::tcpConnectionString(const QString& database, const QString& role,
                                                   const QString& password) const
{
    return u"host=127.0.0.1 port=%1 dbname=%2 user=%3 password=%4 connect_timeout=10"_s.arg(
        QString::number(port_), connectionValue(database), connectionValue(role), connectionValue(password));
}

QString PrivatePostgresServer::execute(const QString& sql, const QString& database) const
{
    PostgresConnection connection(connectionString(database));
    if (!connection.connected())
        return connection.error();
    return connection.run(sql).error;
}

QString PrivatePostgresServer::createOwnedDatabase(const QString& database, const QString& owner,
                                                   const QString& password) const
{
    if (const QString made =
            execute(u"CREATE ROLE %1 LOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE PASSWORD %2"_s.arg(
                sqlIdentifier(owner), sqlLiteral(password)));
        !made.isEmpty())
        return made;
    return execute(u"CREATE DATABASE %1 OWNER %2"_s.arg(sqlIdentifier(database), sqlIdentifier(owner)));
}

QString PrivatePostgresServer::createReadOnlyRole(const QString& role, const QString& password,
                                                  const QString& database, const QString& owner) const
{
    const QString made = execute(u"CREATE ROLE %1 LOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE PASSWORD %2;"
                                 "ALTER ROLE %1 SET default_transaction_read_only = on;"
                                 "GRANT CONNECT ON DATABASE %3 TO %1"_s.arg(
                                     sqlIdentifier(role), sqlLiteral(password), sqlIdentifier(database)));
    if (!made.isEmpty())
        return made;
    return execute(u"GRANT USAGE ON SCHEMA public TO %1;"
                   "GRANT SELECT ON ALL TABLES IN SCHEMA public TO %1;"
                   "ALTER DEFAULT PRIVILEGES FOR ROLE %2 IN SCHEMA public GRANT SELECT ON TABLES TO %1"_s.arg(
                       sqlIdentifier(role), sqlIdentifier(owner)),
                   database);
}

} // namespace corvane::test
