#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

class QProcess;

namespace corvane::test {

// A PostgreSQL 15 server of the test's own, never the machine's cluster: Debian's binaries run
// initdb into a temporary folder and the server from there, with its own configuration,
// listening on 127.0.0.1 at a free port and on a Unix socket in that folder. Run as root (CI
// does), both run as the unprivileged account cvtestpostgres, made if missing; otherwise as the
// calling user. fsync is off: the data are thrown away with the folder, so a crash of the
// machine would lose nothing of worth. The admin role (a superuser) connects over the socket
// without a password; every other role needs its password, also on the socket, so that a wrong
// password is refused there as over TCP. The server is stopped with its whole process group
// when the object goes, also when a test fails, and a process that outlives it fails the test;
// should the test process die, the server gets SIGKILL. Where it cannot start, running() is
// false and error() says why.
class PrivatePostgresServer
{
public:
    struct Options
    {
        QString binaries = QStringLiteral("/usr/lib/postgresql/15/bin");
    };

    PrivatePostgresServer();
    explicit PrivatePostgresServer(Options options);
    ~PrivatePostgresServer();
    PrivatePostgresServer(const PrivatePostgresServer&) = delete;
    PrivatePostgresServer& operator=(const PrivatePostgresServer&) = delete;

    bool running() const { return error_.isEmpty(); }
    QString error() const { return error_; }

    static QString adminRole() { return QStringLiteral("cvtestadmin"); }
    static QString account() { return QStringLiteral("cvtestpostgres"); }

    QString folder() const { return root_.path(); }
    QString dataPath() const;
    QString socketPath() const;
    QString logPath() const;
    int port() const { return port_; }
    qint64 pid() const { return pid_; }

    // libpq connection strings: over the private socket, or over TCP to 127.0.0.1.
    QString connectionString(const QString& database, const QString& role = adminRole(),
                             const QString& password = {}) const;
    QString tcpConnectionString(const QString& database, const QString& role, const QString& password) const;

    // Statements run as the admin on a database; PostgreSQL's message when one fails.
    QString execute(const QString& sql, const QString& database = QStringLiteral("postgres")) const;

    // A new database owned by a new login role that is no superuser and may not create
    // databases or roles: the owner of the database and of its public schema.
    QString createOwnedDatabase(const QString& database, const QString& owner, const QString& password) const;
    // A new login role that may read every table of the database's public schema, also those
    // its owner makes later, and whose transactions are read-only.
    QString createReadOnlyRole(const QString& role, const QString& password, const QString& database,
                               const QString& owner) const;

    // Stops the server and waits until its process group is gone; an empty text when it is.
    QString stop();
    // Starts the stopped server again on its data, at a new free port.
    QString start();

private:
    QString prepare();
    QString initialise();
    QString writeConfiguration() const;
    QString waitUntilReady();

    Options options_;
    QTemporaryDir root_;
    std::unique_ptr<QProcess> postgres_;
    qint64 pid_ = 0;
    int port_ = 0;
    unsigned int uid_ = 0;
    unsigned int gid_ = 0;
    QString error_;
};

// An SQL identifier and an SQL string literal, quoted.
QString sqlIdentifier(const QString& name);
QString sqlLiteral(const QString& text);

} // namespace corvane::test
