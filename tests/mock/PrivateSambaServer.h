#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class QProcess;

namespace corvane::test {

// An smbd of the test's own on 127.0.0.1 at a free port: configuration, passdb, state, log and
// one share (with full_audit and recycle) in a temporary folder, never the machine's own Samba.
// Its users are Unix accounts named cvtest*, made if missing, sharing the group cvtestshare so
// that each may edit the others' files. The server is stopped with its whole process group when
// the object goes, also when a test fails. Needs root and Debian's samba, samba-vfs-modules and
// smbclient; where it cannot start, running() is false and error() says why.
class PrivateSambaServer
{
public:
    struct Options
    {
        QString shareName = QStringLiteral("data");
        QStringList users = {QStringLiteral("cvtestalice"), QStringLiteral("cvtestbob")};
        // Lines added to the share's section, e.g. "full_audit:prefix = %u|%I|%S".
        QStringList shareLines;
        // Lines added to [global], e.g. "map to guest = bad user".
        QStringList globalLines;
    };

    // How a client logs on: its password, and the protocol it speaks ("NT1" for SMB1, whose
    // Unix extensions allow names no other protocol does).
    struct ClientLogon
    {
        QString password = PrivateSambaServer::password();
        QString protocol = QStringLiteral("SMB3");
    };

    struct ClientRun
    {
        int exitCode = -1;
        QByteArray output;
        bool succeeded() const;
    };

    PrivateSambaServer();
    explicit PrivateSambaServer(Options options);
    ~PrivateSambaServer();
    PrivateSambaServer(const PrivateSambaServer&) = delete;
    PrivateSambaServer& operator=(const PrivateSambaServer&) = delete;

    bool running() const { return error_.isEmpty(); }
    QString error() const { return error_; }

    static QString password() { return QStringLiteral("Cv-test-1"); }
    static QString sharedGroup() { return QStringLiteral("cvtestshare"); }

    QString shareName() const { return options_.shareName; }
    QStringList users() const { return options_.users; }
    QString folder() const { return root_.path(); }
    QString configPath() const;
    QString sharePath() const;
    QString logPath() const;
    // Where the client's put and get read and write their local files.
    QString clientFolder() const;
    int port() const { return port_; }
    qint64 pid() const { return pid_; }

    // smbclient's commands (";"-separated, as for -c) run on the share as user.
    ClientRun client(const QString& user, const QString& commands) const;
    ClientRun client(const QString& user, const QString& commands, const ClientLogon& logon) const;
    // Writes contents to the client folder under name, for a later put.
    bool writeClientFile(const QString& name, const QByteArray& contents) const;

    // Stops the server and waits until its process group is gone; an empty text when it is.
    QString stop();

private:
    QString prepare();
    QString start();
    QString writeConfiguration() const;
    QString waitUntilListening();

    Options options_;
    QTemporaryDir root_;
    std::unique_ptr<QProcess> smbd_;
    qint64 pid_ = 0;
    int port_ = 0;
    QString error_;
};

// Makes the Unix group and the accounts (no home, no login shell) that are missing; users already
// there are put into the group. Serialised between test processes by a lock file.
QString ensureUnixAccounts(const QStringList& users, const QString& group);

} // namespace corvane::test
