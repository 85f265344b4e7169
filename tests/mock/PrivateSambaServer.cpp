#include "PrivateSambaServer.h"

#include "ServerProcesses.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

constexpr int startAttempts = 3;
constexpr int listenTimeoutMs = 30000;

struct ToolRun
{
    int exitCode = -1;
    QByteArray output;
};

QString findTool(const QString& name)
{
    const QString found = QStandardPaths::findExecutable(name);
    return found.isEmpty() ? QStandardPaths::findExecutable(name, {u"/usr/sbin"_s, u"/usr/bin"_s, u"/sbin"_s})
                           : found;
}

ToolRun runTool(const QString& name, const QStringList& arguments, const QByteArray& input = {},
                const QString& workingDirectory = {})
{
    const QString program = findTool(name);
    if (program.isEmpty())
        return {-1, name.toUtf8() + " not found (install samba, samba-vfs-modules and smbclient: "
                                    "scripts/install-deps.sh)"};
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return {-1, name.toUtf8() + " did not finish within two minutes"};
    }
    const int code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return {code, process.readAll()};
}

QString failure(const QString& what, const ToolRun& run)
{
    return what + u" failed (exit code %1): "_s.arg(run.exitCode) + QString::fromUtf8(run.output).trimmed();
}

bool isMember(const QString& user, const QString& group)
{
    const struct group* entry = ::getgrnam(group.toUtf8().constData());
    if (!entry)
        return false;
    for (char** member = entry->gr_mem; *member; ++member)
        if (user == QLatin1String(*member))
            return true;
    return false;
}

// An exclusive lock on a file, so that test processes running side by side do not edit the
// account files at the same time.
class AccountsLock
{
public:
    AccountsLock() : fd_(::open("/tmp/cvtest-accounts.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        if (fd_ >= 0)
            ::flock(fd_, LOCK_EX);
    }
    ~AccountsLock()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    AccountsLock(const AccountsLock&) = delete;
    AccountsLock& operator=(const AccountsLock&) = delete;

private:
    int fd_;
};

bool acceptsConnections(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

QString indentedLines(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += u"  "_s + line + u'\n';
    return text;
}

} // namespace

bool PrivateSambaServer::ClientRun::succeeded() const
{
    // smbclient keeps going after a failed command and may still exit 0; its errors are NT_STATUS
    // names in the output.
    return exitCode == 0 && !output.contains("NT_STATUS_");
}

QString ensureUnixAccounts(const QStringList& users, const QString& group)
{
    const AccountsLock lock;
    if (!::getgrnam(group.toUtf8().constData())) {
        const ToolRun made = runTool(u"groupadd"_s, {group});
        if (made.exitCode != 0 && !::getgrnam(group.toUtf8().constData()))
            return failure(u"groupadd "_s + group, made);
    }
    for (const QString& user : users) {
        if (!::getpwnam(user.toUtf8().constData())) {
            const ToolRun made = runTool(u"useradd"_s, {u"--no-create-home"_s, u"--shell"_s, u"/usr/sbin/nologin"_s,
                                                        u"--groups"_s, group, user});
            if (made.exitCode != 0 && !::getpwnam(user.toUtf8().constData()))
                return failure(u"useradd "_s + user, made);
        }
        if (!isMember(user, group)) {
            const ToolRun joined = runTool(u"usermod"_s, {u"--append"_s, u"--groups"_s, group, user});
            if (joined.exitCode != 0)
                return failure(u"usermod "_s + user, joined);
        }
    }
    return {};
}

PrivateSambaServer::PrivateSambaServer() : PrivateSambaServer(Options{}) {}

PrivateSambaServer::PrivateSambaServer(Options options) : options_(std::move(options))
{
    error_ = prepare();
    if (error_.isEmpty())
        error_ = start();
    if (!error_.isEmpty())
        error_ = u"The private smbd could not start: "_s + error_;
}

PrivateSambaServer::~PrivateSambaServer()
{
    const QString stopped = stop();
    if (!stopped.isEmpty())
        ADD_FAILURE() << stopped.toStdString();
}

QString PrivateSambaServer::configPath() const { return root_.filePath(u"smb.conf"_s); }
QString PrivateSambaServer::sharePath() const { return root_.filePath(u"share"_s); }
QString PrivateSambaServer::logPath() const { return root_.filePath(u"log.smbd"_s); }
QString PrivateSambaServer::clientFolder() const { return root_.filePath(u"client"_s); }

QString PrivateSambaServer::prepare()
{
    if (::geteuid() != 0)
        return u"it needs root (to add the cvtest accounts and to let smbd switch users); "
               "run the tests as root, as CI does"_s;
    for (const QString& tool : {u"smbd"_s, u"smbclient"_s, u"smbpasswd"_s})
        if (findTool(tool).isEmpty())
            return tool + u" not found: install samba, samba-vfs-modules and smbclient (scripts/install-deps.sh)"_s;
    if (!root_.isValid())
        return u"no temporary folder: "_s + root_.errorString();
    // smbd works in the share as the connected user, who must be able to reach it.
    if (::chmod(root_.path().toUtf8().constData(), 0755) != 0)
        return u"cannot open the temporary folder to the share's users"_s;
    for (const QString& name : {u"private"_s, u"lock"_s, u"state"_s, u"cache"_s, u"pid"_s, u"ncalrpc"_s,
                                u"share"_s, u"client"_s})
        if (!QDir(root_.path()).mkpath(name))
            return u"cannot make "_s + root_.filePath(name);
    if (const QString accounts = ensureUnixAccounts(options_.users, sharedGroup()); !accounts.isEmpty())
        return accounts;
    const struct group* shared = ::getgrnam(sharedGroup().toUtf8().constData());
    if (!shared || ::chown(sharePath().toUtf8().constData(), 0, shared->gr_gid) != 0 ||
        ::chmod(sharePath().toUtf8().constData(), 02775) != 0)
        return u"cannot give the share to the group "_s + sharedGroup();
    return {};
}

QString PrivateSambaServer::writeConfiguration() const
{
    QFile file(configPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return u"cannot write "_s + configPath();
    const QString root = root_.path();
    QString text = u"[global]\n"
                   "  server role = standalone server\n"
                   "  workgroup = CVTEST\n"
                   "  private dir = %1/private\n"
                   "  lock directory = %1/lock\n"
                   "  state directory = %1/state\n"
                   "  cache directory = %1/cache\n"
                   "  pid directory = %1/pid\n"
                   "  ncalrpc dir = %1/ncalrpc\n"
                   "  log file = %1/log.smbd\n"
                   "  log level = 1\n"
                   "  max log size = 0\n"
                   "  passdb backend = tdbsam:%1/private/passdb.tdb\n"
                   "  disable netbios = yes\n"
                   "  disable spoolss = yes\n"
                   "  load printers = no\n"
                   "  printcap name = /dev/null\n"
                   "  smb ports = %2\n"
                   "  interfaces = 127.0.0.1\n"
                   "  bind interfaces only = yes\n"
                   "  map to guest = never\n"
                   "%5"
                   "[%3]\n"
                   "  path = %1/share\n"
                   "  read only = no\n"
                   "  create mask = 0664\n"
                   "  directory mask = 2775\n"
                   "  force group = %4\n"
                   "  vfs objects = full_audit recycle\n"
                   "  full_audit:syslog = false\n"
                   "  full_audit:success = create_file openat pread pread_send pwrite pwrite_send ftruncate "
                   "renameat unlinkat mkdirat fset_dos_attributes\n"
                   "  full_audit:failure = none\n"
                   "  recycle:repository = .recycle/%U\n"
                   "  recycle:keeptree = yes\n"
                   "  recycle:versions = yes\n"
                   "  recycle:directory_mode = 2770\n"_s.arg(root)
                       .arg(port_)
                       .arg(options_.shareName, sharedGroup(), indentedLines(options_.globalLines));
    text += indentedLines(options_.shareLines);
    if (file.write(text.toUtf8()) < 0 || !file.flush())
        return u"cannot write "_s + configPath();
    return {};
}

QString PrivateSambaServer::start()
{
    QString lastError;
    for (int attempt = 0; attempt < startAttempts; ++attempt) {
        port_ = freeLoopbackPort();
        if (port_ == 0)
            return u"no free port on 127.0.0.1"_s;
        if (const QString written = writeConfiguration(); !written.isEmpty())
            return written;
        for (const QString& user : options_.users) {
            const QByteArray answers = (password() + u'\n' + password() + u'\n').toUtf8();
            const ToolRun added = runTool(u"smbpasswd"_s, {u"-c"_s, configPath(), u"-s"_s, u"-a"_s, user}, answers);
            if (added.exitCode != 0)
                return failure(u"smbpasswd -a "_s + user, added);
        }
        smbd_ = std::make_unique<QProcess>();
        smbd_->setStandardOutputFile(root_.filePath(u"smbd.out"_s));
        smbd_->setStandardErrorFile(root_.filePath(u"smbd.out"_s), QIODevice::Append);
        // Without --no-process-group smbd leads a session of its own, so that stopping its group
        // reaches every worker it forked and nothing of the test's.
        smbd_->start(findTool(u"smbd"_s), {u"--foreground"_s, u"-s"_s, configPath()});
        if (!smbd_->waitForStarted())
            return u"smbd: "_s + smbd_->errorString();
        pid_ = smbd_->processId();
        lastError = waitUntilListening();
        if (lastError.isEmpty())
            return {};
        stop();
    }
    return lastError;
}

QString PrivateSambaServer::waitUntilListening()
{
    const QDeadlineTimer deadline(listenTimeoutMs);
    while (!deadline.hasExpired()) {
        if (smbd_->state() == QProcess::NotRunning || smbd_->waitForFinished(0))
            return u"smbd ended at start (exit code %1); its log ends:\n"_s.arg(smbd_->exitCode()) +
                   lastLines(logPath(), 10) + u'\n' + lastLines(root_.filePath(u"smbd.out"_s), 5);
        if (acceptsConnections(port_))
            return {};
        QThread::msleep(50);
    }
    return u"smbd did not listen on 127.0.0.1:%1 within %2 s; its log ends:\n"_s.arg(port_).arg(listenTimeoutMs / 1000) +
           lastLines(logPath(), 10);
}

QString PrivateSambaServer::stop()
{
    return stopServer(smbd_, pid_, SIGTERM, u"the private smbd"_s);
}

PrivateSambaServer::ClientRun PrivateSambaServer::client(const QString& user, const QString& commands) const
{
    return client(user, commands, ClientLogon{});
}

PrivateSambaServer::ClientRun PrivateSambaServer::client(const QString& user, const QString& commands,
                                                         const ClientLogon& logon) const
{
    const ToolRun run = runTool(u"smbclient"_s,
                                {u"//127.0.0.1/"_s + options_.shareName, u"-p"_s, QString::number(port_), u"-s"_s,
                                 configPath(), u"--option=client min protocol="_s + logon.protocol, u"-m"_s,
                                 logon.protocol, u"-U"_s, user + u'%' + logon.password, u"-c"_s, commands},
                                {}, clientFolder());
    return {run.exitCode, run.output};
}

bool PrivateSambaServer::writeClientFile(const QString& name, const QByteArray& contents) const
{
    QFile file(QDir(clientFolder()).filePath(name));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents) == contents.size();
}

} // namespace corvane::test
