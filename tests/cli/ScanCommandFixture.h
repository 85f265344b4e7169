#pragma once

#include "core/settings/Registry.h"
#include "core/settings/SettingsStore.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>

namespace corvane::test {

// The built cv run against a temporary application folder (with a copy of the delivered cv.mdb
// and a netware.conf naming server SRV1 with volume VOL1 in the folder vol1, mapped to F:) and a
// temporary registry.
class ScanCommandTest : public ::testing::Test
{
protected:
    struct Run
    {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };

    ScanCommandTest()
    {
        QFile::copy(QStringLiteral(CV_DATABASE_FILE), databasePath());
        QFile::setPermissions(databasePath(), QFile::ReadOwner | QFile::WriteOwner);
        writeHomeFile(QStringLiteral("netware.conf"), "[server SRV1]\nversion = 3.12\nvolume VOL1 = vol1\n"
                                                      "[drives]\nF = SRV1/VOL1\n");
        QDir(home.path()).mkpath(QStringLiteral("vol1"));
    }

    QString databasePath() const { return home.filePath(QStringLiteral("cv.mdb")); }

    void writeHomeFile(const QString& relative, const QByteArray& contents) const
    {
        const QString path = home.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(contents);
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.insert(QStringLiteral("CORVANE_NET_HOME"), home.path());
        variables.insert(QStringLiteral("CORVANE_NET_REGISTRY"), registryFolder.path());
        // The start-at-boot entry's autostart file goes here, never into the machine's own.
        variables.insert(QStringLiteral("XDG_CONFIG_HOME"), configFolder.path());
        variables.remove(QStringLiteral("CORVANE_NET_TIMINGS"));
        // The tests' own cv.mdb, never a database this machine's environment names.
        variables.remove(QStringLiteral("CORVANE_NET_DATABASE"));
        return variables;
    }

    // inChild runs in the child just before cv starts (limits, signals, capabilities).
    Run cv(const QStringList& arguments, const QProcessEnvironment& variables,
           const std::function<void()>& inChild = {}) const
    {
        QProcess process;
        process.setProcessEnvironment(variables);
        if (inChild)
            process.setChildProcessModifier(inChild);
        process.setWorkingDirectory(workingDirectory);
        process.start(QStringLiteral(CV_EXECUTABLE), arguments);
        process.closeWriteChannel();
        process.waitForFinished(120000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput(), process.readAllStandardError()};
    }
    Run cv(const QStringList& arguments) const { return cv(arguments, environment()); }

    // The rows of a query as cv --query prints them, without the heading.
    QList<QByteArray> query(const QString& statement) const
    {
        const Run run = cv({QStringLiteral("--query"), statement});
        EXPECT_EQ(run.exitCode, 0) << run.err.constData();
        QList<QByteArray> lines = run.out.split('\n');
        for (QByteArray& line : lines)
            line = line.trimmed();
        lines.removeAll(QByteArray());
        return lines.mid(1);
    }
    qsizetype count(const char* table) const
    {
        return query(QStringLiteral("SELECT * FROM ") + QLatin1String(table)).size();
    }

    // A later run of the same day then asks no question.
    void forgetLastScan(const QString& registryPath) const
    {
        Registry registry({registryPath, registryPath});
        SettingsStore(registry).remove(QStringLiteral("System"), QStringLiteral("LastScan"));
    }
    void forgetLastScan() const { forgetLastScan(registryFolder.path()); }

    QString stored(const QString& section, const QString& key) const
    {
        Registry registry({registryFolder.path(), registryFolder.path()});
        return SettingsStore(registry).get(section, key, QStringLiteral("<unset>"));
    }
    QStringList storedKeys(const QString& section) const
    {
        Registry registry({registryFolder.path(), registryFolder.path()});
        QStringList keys = SettingsStore(registry).list(section);
        keys.sort();
        return keys;
    }

    // Folders of files in vol1, enough for a scan that lasts a while.
    void writeManyFiles(int folders, int filesPerFolder) const
    {
        for (int folder = 0; folder < folders; ++folder) {
            const QString path = home.filePath(QStringLiteral("vol1/MANY/F%1").arg(folder));
            QDir().mkpath(path);
            for (int file = 0; file < filesPerFolder; ++file) {
                QFile out(path + QStringLiteral("/FILE%1.DOC").arg(file));
                ASSERT_TRUE(out.open(QIODevice::WriteOnly));
                out.write("x");
            }
        }
    }

    QTemporaryDir home;
    QTemporaryDir registryFolder;
    QTemporaryDir configFolder;
    QString workingDirectory = QDir::currentPath();
    const QDate today = QDate::currentDate();
};

} // namespace corvane::test
