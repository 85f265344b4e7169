#pragma once

#include "core/netware/EmulatedNetWareClient.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* stream)
{
    *stream << '"' << text.toStdString() << '"';
}

namespace corvane::test {

// A temporary emulated network: server SRV1 (3.12) with volume VOL1 on drive F:, and server SRV4
// (4.11) with volume DATA, each over a folder of its own.
class EmulatedNetwork
{
public:
    static constexpr const char* Configuration = "[server SRV1]\n"
                                                 "version = 3.12\n"
                                                 "volume VOL1 = vol1\n"
                                                 "[server SRV4]\n"
                                                 "version = 4.11\n"
                                                 "volume DATA = data4\n"
                                                 "[drives]\n"
                                                 "F = SRV1/VOL1\n";

    explicit EmulatedNetwork(const QByteArray& configuration = Configuration)
    {
        QDir(m_folder.path()).mkpath(QStringLiteral("vol1"));
        QDir(m_folder.path()).mkpath(QStringLiteral("data4"));
        writeFile(QStringLiteral("netware.conf"), configuration);
    }

    QString path(const QString& relative) const { return m_folder.path() + u'/' + relative; }
    QByteArray bytePath(const QByteArray& relative) const
    {
        return QFile::encodeName(m_folder.path()) + '/' + relative;
    }
    QString configurationPath() const { return path(QStringLiteral("netware.conf")); }

    void writeFile(const QString& relative, const QByteArray& contents = "data") const
    {
        writeBytes(QFile::encodeName(relative), contents);
    }

    // Through the file system's own calls: Qt would replace bytes that are not UTF-8.
    void writeBytes(const QByteArray& relative, const QByteArray& contents = "data") const
    {
        const QByteArray full = bytePath(relative);
        QDir().mkpath(QFile::decodeName(full.left(full.lastIndexOf('/'))));
        const int file = ::open(full.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(file, 0) << full.constData();
        ASSERT_EQ(::write(file, contents.constData(), contents.size()), contents.size());
        ::close(file);
    }

    void setTimes(const QString& relative, const QDateTime& accessed, const QDateTime& modified) const
    {
        const timespec times[2] = {{static_cast<time_t>(accessed.toSecsSinceEpoch()), 0},
                                   {static_cast<time_t>(modified.toSecsSinceEpoch()), 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(path(relative)).constData(), times, 0), 0);
    }

    EmulatedNetWareClient& client()
    {
        if (!m_client) {
            m_client = std::make_unique<EmulatedNetWareClient>(configurationPath());
            EXPECT_EQ(m_client->NWCallsInit(), NWResult::Success) << m_client->initFailure().toStdString();
        }
        return *m_client;
    }

private:
    QTemporaryDir m_folder;
    std::unique_ptr<EmulatedNetWareClient> m_client;
};

} // namespace corvane::test
