#include "core/settings/HiveFile.h"

#include "core/common/FileWriting.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QtDebug>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

// Saves take a fraction of a second; a lock held longer than this belongs to a hung process.
constexpr int lockTimeoutMs = 5000;
constexpr int lockSliceMs = 250;

// QLockFile breaks a stale lock under a second lock, "<lock>.rmlock", held for an instant. One
// left empty by a process killed in that instant would keep the stale lock for 30 seconds; a
// second after it was made it can only be such a leftover.
void removeAbandonedBreakLocks(const QString& lockPath)
{
    constexpr qint64 abandonedAfterMs = 1000;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (QString breakLock = lockPath + QStringLiteral(".rmlock"); QFileInfo::exists(breakLock);
         breakLock += QStringLiteral(".rmlock")) {
        if (QFileInfo(breakLock).lastModified().msecsTo(now) > abandonedAfterMs)
            QFile::remove(breakLock);
    }
}

long errorFromErrno(int error)
{
    return error == EACCES || error == EPERM || error == EROFS ? RegError::AccessDenied : RegError::CantWrite;
}

HiveFile::Stamp stampFrom(const struct stat& info)
{
    HiveFile::Stamp stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.changedNs = qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    return stamp;
}

HiveFile::Stamp stampOf(const QString& path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? stampFrom(info) : HiveFile::Stamp();
}

// A reader sees either the old file or the new one, never a part.
long writeAtomically(const QString& path, const QByteArray& bytes)
{
    const int error = replaceFile(path, bytes);
    return error == 0 ? RegError::Success : errorFromErrno(error);
}

long createFolderOf(const QString& path)
{
    std::error_code error;
    const std::filesystem::path file(QFile::encodeName(path).toStdString());
    std::filesystem::create_directories(file.parent_path(), error);
    return error ? errorFromErrno(error.value()) : RegError::Success;
}

} // namespace

HiveFile::HiveFile(QString path, QString rootName, QStringList standardKeys)
    : m_path(std::move(path)), m_standardKeys(std::move(standardKeys)), m_hive(std::move(rootName))
{}

long HiveFile::read(const std::function<long(const RegistryHive&)>& query)
{
    if (const long result = refresh(Lock::NotHeld))
        return result;
    return query(m_hive);
}

long HiveFile::change(const std::function<long(RegistryHive&)>& edit)
{
    if (const long result = createFolderOf(m_path))
        return result;
    QLockFile lock(m_path + QStringLiteral(".lock"));
    if (const long result = takeLock(lock))
        return result;
    if (const long result = refresh(Lock::Held))
        return result;
    // Saving over a damaged file that could not be set aside would lose its unreadable lines.
    if (m_unrepaired)
        return RegError::CantWrite;
    RegistryHive edited = m_hive;
    if (const long result = edit(edited))
        return result;
    QByteArray bytes = edited.serialise();
    if (bytes == m_diskBytes)
        return RegError::Success;
    if (const long result = writeAtomically(m_path, bytes))
        return result;
    m_hive = std::move(edited);
    m_diskBytes = std::move(bytes);
    m_stamp = stampOf(m_path);
    return RegError::Success;
}

long HiveFile::refresh(Lock lock)
{
    // A damaged file read without the lock is repaired at the next chance to take it.
    const bool repairDue = lock == Lock::Held && m_unrepaired;
    if (m_stamp && *m_stamp == stampOf(m_path) && !repairDue)
        return RegError::Success;
    return load(lock);
}

long HiveFile::load(Lock lock)
{
    QByteArray bytes;
    Stamp stamp;
    if (const long result = readFromDisk(&bytes, &stamp))
        return result;
    ParsedHive parsed = parseOrFresh(bytes);
    m_unrepaired = false;
    if (!parsed.damage.isEmpty()) {
        if (lock == Lock::Held) {
            m_unrepaired = !repair(parsed, &bytes, &stamp);
        } else {
            // Setting the file aside is a change: read it again under the lock first.
            QLockFile fileLock(m_path + QStringLiteral(".lock"));
            if (takeLock(fileLock) == RegError::Success)
                return load(Lock::Held);
            warnDamaged(parsed, QString());
            m_unrepaired = true;
        }
    }
    m_hive = std::move(parsed.hive);
    m_diskBytes = std::move(bytes);
    m_stamp = stamp;
    return RegError::Success;
}

long HiveFile::takeLock(QLockFile& lock) const
{
    // QLockFile breaks the lock of a process that no longer runs. A process killed between
    // creating the lock file and writing its id into it leaves a file naming nobody, which only
    // its age shows to be stale: it is broken within the wait rather than after Qt's 30 seconds.
    lock.setStaleLockTime(lockTimeoutMs * 4 / 5);
    QElapsedTimer waited;
    waited.start();
    do {
        removeAbandonedBreakLocks(lock.fileName());
        if (lock.tryLock(lockSliceMs))
            return RegError::Success;
    } while (!waited.hasExpired(lockTimeoutMs) && lock.error() == QLockFile::LockFailedError);
    return lock.error() == QLockFile::PermissionError ? RegError::AccessDenied : RegError::CantWrite;
}

long HiveFile::readFromDisk(QByteArray* bytes, Stamp* stamp) const
{
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        *bytes = QByteArray();
        *stamp = Stamp();
        // No file, or not even its folder: a fresh hive.
        return error == ENOENT || error == ENOTDIR ? RegError::Success : errorFromErrno(error);
    }
    QFile file;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return RegError::CantWrite;
    }
    *stamp = stampFrom(info);
    *bytes = file.readAll();
    return file.error() == QFileDevice::NoError ? RegError::Success : RegError::CantWrite;
}

ParsedHive HiveFile::parseOrFresh(const QByteArray& bytes) const
{
    if (!bytes.trimmed().isEmpty())
        return RegistryHive::parse(m_hive.rootName(), bytes);
    ParsedHive fresh{RegistryHive(m_hive.rootName()), {}};
    for (const QString& key : m_standardKeys)
        fresh.hive.createKey(RegistryHive::splitKeyPath(key).value_or(QStringList()));
    return fresh;
}

bool HiveFile::repair(const ParsedHive& parsed, QByteArray* bytes, Stamp* stamp)
{
    const QString asidePath = setAside(*bytes);
    QByteArray clean = parsed.hive.serialise();
    if (asidePath.isEmpty() || writeAtomically(m_path, clean) != RegError::Success) {
        if (!asidePath.isEmpty())
            QFile::remove(asidePath);
        warnDamaged(parsed, QString());
        return false;
    }
    *bytes = std::move(clean);
    *stamp = stampOf(m_path);
    m_setAside.append(asidePath);
    warnDamaged(parsed, asidePath);
    return true;
}

// Writes the damaged bytes beside the hive under a dated name no other file has.
QString HiveFile::setAside(const QByteArray& bytes) const
{
    const QString base = m_path + QStringLiteral(".damaged-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int counter = 1; counter < 1000; ++counter) {
        const QString candidate = counter == 1 ? base : base + u'-' + QString::number(counter);
        QFile file(candidate);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            const bool written = file.write(bytes) == bytes.size() && file.flush() && ::fsync(file.handle()) == 0;
            file.close();
            if (written && file.error() == QFileDevice::NoError)
                return candidate;
            file.remove();
            return QString();
        }
        if (!file.exists())
            return QString();
    }
    return QString();
}

void HiveFile::warnDamaged(const ParsedHive& parsed, const QString& setAsidePath) const
{
    const HiveDamage& first = parsed.damage.constFirst();
    const QString what =
        QStringLiteral("Registry hive %1 is damaged (%2 unreadable line(s), the first is line %3: %4)")
            .arg(m_path)
            .arg(parsed.damage.size())
            .arg(first.line)
            .arg(first.reason);
    if (setAsidePath.isEmpty())
        qWarning().noquote() << what + QStringLiteral(
                                           "; it could not be set aside, working on what could be read");
    else
        qWarning().noquote() << what + QStringLiteral("; set aside as %1, rewritten with what could be read")
                                           .arg(setAsidePath);
}

} // namespace corvane
