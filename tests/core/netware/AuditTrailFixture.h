#pragma once

#include "EmulatedNetwork.h"

#include "core/netware/samba/AuditTrailReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace corvane {

// A share folder, its logs and its store in a temporary folder, for tests of the audit trail.
class Trail
{
public:
    explicit Trail(const QByteArray& prefix = "%u|%I")
    {
        m_settings.share.name = "data";
        m_settings.share.path = root() + "/share";
        m_settings.share.auditPrefix = prefix;
        m_settings.share.recycle = true;
        m_settings.share.recycleRepository = ".recycle/%U";
        m_settings.share.keepTree = true;
        m_settings.storeFile = m_folder.path() + QStringLiteral("/store/SRV/DATA.sqlite");
        QDir().mkpath(QFile::decodeName(m_settings.share.path));
    }

    QByteArray root() const { return QFile::encodeName(m_folder.path()); }
    QString path(const QString& name) const { return m_folder.path() + u'/' + name; }
    SambaVolumeSettings& settings() { return m_settings; }

    void addSource(AuditSource::Kind kind, const QString& name)
    {
        m_settings.sources.append(AuditSource{kind, name.isEmpty() ? name : path(name)});
    }
    void write(const QString& name, const QByteArray& text, QIODevice::OpenMode mode = QIODevice::WriteOnly) const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(mode));
        file.write(QByteArray(text).replace("@ROOT@", root()));
    }
    void append(const QString& name, const QByteArray& text) const
    {
        write(name, text, QIODevice::Append);
    }

    AuditReading read() { return readAuditTrail(QStringLiteral("SRV/DATA"), m_settings); }

    QHash<QByteArray, PathFacts> facts() const
    {
        AuditStore store;
        EXPECT_TRUE(store.openForReading(m_settings.storeFile));
        return store.allFacts();
    }
    QList<PathDeletion> deletions() const
    {
        AuditStore store;
        EXPECT_TRUE(store.openForReading(m_settings.storeFile));
        return store.allDeletions();
    }

private:
    QTemporaryDir m_folder;
    SambaVolumeSettings m_settings;
};

inline QByteArray syslogLine(const QByteArray& record)
{
    return "Dec  8 05:24:24 fileserver smbd_audit: " + record + '\n';
}

inline QByteArray smbdLogRecord(const QByteArray& record)
{
    return "[2026/12/08 05:23:44.586998,  1] ../../source3/modules/vfs_full_audit.c:643(do_log)\n  " + record + '\n';
}

} // namespace corvane
