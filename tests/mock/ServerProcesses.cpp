#include "ServerProcesses.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <cerrno>
#include <csignal>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

constexpr int stopTimeoutMs = 10000;

} // namespace

int freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

bool processGroupExists(qint64 leader)
{
    return ::kill(-pid_t(leader), 0) == 0 || errno != ESRCH;
}

QString lastLines(const QString& path, int count)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return u"(no log at "_s + path + u")"_s;
    const QByteArrayList lines = file.readAll().trimmed().split('\n');
    return QString::fromUtf8(lines.mid(qMax(0, lines.size() - count)).join('\n'));
}

bool stopProcessGroup(QProcess& server, qint64 leader, int signal)
{
    if (server.state() != QProcess::NotRunning) {
        ::kill(-pid_t(leader), signal);
        ::kill(pid_t(leader), signal); // in case the server had not yet made its own group
        if (!server.waitForFinished(stopTimeoutMs)) {
            ::kill(-pid_t(leader), SIGKILL);
            server.kill();
            server.waitForFinished(stopTimeoutMs);
        }
    }
    // Workers left behind by the leader still belong to its group.
    const QDeadlineTimer deadline(stopTimeoutMs);
    bool killed = false;
    while (processGroupExists(leader) && !deadline.hasExpired()) {
        if (!killed && deadline.remainingTime() < stopTimeoutMs / 2) {
            ::kill(-pid_t(leader), SIGKILL);
            killed = true;
        }
        QThread::msleep(20);
    }
    return !processGroupExists(leader);
}

QString stopServer(std::unique_ptr<QProcess>& server, qint64& pid, int signal, const QString& what)
{
    if (!server)
        return {};
    const qint64 leader = pid;
    const bool stopped = stopProcessGroup(*server, leader, signal);
    server.reset();
    pid = 0;
    if (!stopped)
        return u"processes of "_s + what + u" (group %1) outlived its stop"_s.arg(leader);
    return {};
}

} // namespace corvane::test
