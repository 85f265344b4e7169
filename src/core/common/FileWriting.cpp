#include "core/common/FileWriting.h"

#include <QDir>
#include <QFile>
#include <QList>

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

bool isFolder(const QByteArray& path)
{
    struct stat info = {};
    return ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

QByteArray parentOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? path.left(slash + 1) : path.left(slash);
}

// The mode of the file being replaced; else the one asked for, else the one the umask gives.
mode_t modeFor(const QByteArray& path, std::optional<mode_t> newFileMode)
{
    struct stat info = {};
    if (::stat(path.constData(), &info) == 0)
        return info.st_mode & 07777;
    if (newFileMode)
        return *newFileMode;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// 0, or the errno of the write that failed.
int writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno != EINTR)
            return errno;
        done += qMax<ssize_t>(written, 0);
    }
    return 0;
}

// 0, or the errno of the first step that failed; the descriptor is closed either way.
int writeAndClose(int fd, const QByteArray& bytes, mode_t mode)
{
    int error = writeAll(fd, bytes);
    if (error == 0 && ::fchmod(fd, mode) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

} // namespace

QString systemErrorText(int error)
{
    return QString::fromStdString(std::generic_category().message(error));
}

bool makeFolder(const QString& path, mode_t mode, QString* failure)
{
    const QByteArray target = QFile::encodeName(QDir::cleanPath(path));
    QList<QByteArray> missing;
    for (QByteArray level = target; !level.isEmpty() && !isFolder(level);) {
        missing.prepend(level);
        QByteArray parent = parentOf(level);
        if (parent == level)
            break;
        level = std::move(parent);
    }
    for (const QByteArray& level : std::as_const(missing)) {
        // Another process may make the same folder at the same time.
        if (::mkdir(level.constData(), mode) != 0 && !(errno == EEXIST && isFolder(level))) {
            *failure = u"cannot make the folder "_s + QFile::decodeName(level) + u": "_s + systemErrorText(errno);
            return false;
        }
    }
    return true;
}

int replaceFile(const QString& path, const QByteArray& bytes, std::optional<mode_t> newFileMode)
{
    const QByteArray target = QFile::encodeName(path);
    QByteArray temporary = target + ".new-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = writeAndClose(fd, bytes, modeFor(target, newFileMode));
    if (error == 0 && ::rename(temporary.constData(), target.constData()) == 0)
        return 0;
    if (error == 0)
        error = errno;
    ::unlink(temporary.constData());
    return error;
}

} // namespace corvane
