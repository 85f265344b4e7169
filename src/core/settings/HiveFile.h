#pragma once

#include "core/settings/RegistryHive.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QLockFile;

namespace corvane {

// One hive file on disk, shared with other processes. Reads reload the file only when
// it changed on disk. Every change takes the lock file beside the hive, brings the
// hive up to date, applies itself and replaces the file atomically, so changes saved
// by another process in between are kept.
//
// A file that turns out damaged is set aside beside the hive under a dated name, and
// a clean hive holding everything that could be read is written in its place.
class HiveFile
{
public:
    // standardKeys: the keys a fresh (missing or empty) hive holds from the start.
    HiveFile(QString path, QString rootName, QStringList standardKeys);

    const QString& path() const { return m_path; }

    // Runs the query on the hive as the file holds it now. Fails with the error of
    // a file that exists but cannot be read.
    long read(const std::function<long(const RegistryHive&)>& query);
    // Runs the edit on the latest hive and saves the result when the edit succeeds
    // and changed something. A failed save leaves the hive as the file holds it.
    // A damaged file that cannot be set aside is never saved over.
    long change(const std::function<long(RegistryHive&)>& edit);

    // The set-aside copies of damaged files, oldest first.
    const QStringList& damagedFilesSetAside() const { return m_setAside; }

    // What tells a file apart from the one seen before: replaced or rewritten.
    struct Stamp
    {
        bool exists = false;
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedNs = 0;
        qint64 changedNs = 0;

        friend bool operator==(const Stamp&, const Stamp&) = default;
    };

private:
    enum class Lock
    {
        NotHeld,
        Held,
    };

    long refresh(Lock lock);
    long load(Lock lock);
    long takeLock(QLockFile& lock) const;
    long readFromDisk(QByteArray* bytes, Stamp* stamp) const;
    ParsedHive parseOrFresh(const QByteArray& bytes) const;
    bool repair(const ParsedHive& parsed, QByteArray* bytes, Stamp* stamp);
    QString setAside(const QByteArray& bytes) const;
    void warnDamaged(const ParsedHive& parsed, const QString& setAsidePath) const;

    QString m_path;
    QStringList m_standardKeys;
    RegistryHive m_hive;
    QByteArray m_diskBytes;       // what the file held when m_hive was loaded or saved
    std::optional<Stamp> m_stamp; // of that file; none before the first load
    bool m_unrepaired = false;    // m_hive comes from a damaged file still in place
    QStringList m_setAside;
};

} // namespace corvane
