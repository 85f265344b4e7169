#include "ProgramRun.h"

#include "core/settings/Registry.h"
#include "core/settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

#include <sqlite3.h>
#include <sys/resource.h>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

// The built cv laid out as the package installs it, <root>/usr/bin/cv beside
// <root>/usr/share/corvane-net/, and run with a home of its own and no CORVANE_NET_HOME.
class InstalledProgramTest : public ::testing::Test
{
protected:
    using Run = test::ProgramRun;

    InstalledProgramTest()
    {
        QDir().mkpath(root + u"/usr/bin");
        QDir().mkpath(copies);
        QFile::copy(QStringLiteral(CV_EXECUTABLE), root + u"/usr/bin/cv");
        QFile::copy(QStringLiteral(CV_DATABASE_FILE), copies + u"/cv.mdb");
        QFile::copy(QStringLiteral(CV_SOURCE_DIR u"/data/faq.fil"), copies + u"/faq.fil");
        copyTree(QStringLiteral(CV_SOURCE_DIR u"/data/demo"), copies + u"/demo");
    }

    static void copyTree(const QString& from, const QString& to)
    {
        QDir().mkpath(to);
        const QDir source(from);
        for (const QFileInfo& entry : source.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
            if (entry.isDir())
                copyTree(entry.filePath(), to + u'/' + entry.fileName());
            else
                QFile::copy(entry.filePath(), to + u'/' + entry.fileName());
        }
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.remove(QStringLiteral("CORVANE_NET_HOME"));
        variables.insert(QStringLiteral("HOME"), temp.filePath(QStringLiteral("home")));
        variables.insert(QStringLiteral("XDG_DATA_HOME"), temp.filePath(QStringLiteral("home/data")));
        variables.insert(QStringLiteral("XDG_CONFIG_HOME"), temp.filePath(QStringLiteral("home/config")));
        variables.insert(QStringLiteral("CORVANE_NET_REGISTRY"), temp.filePath(QStringLiteral("registry")));
        return variables;
    }

    Run cv(const QStringList& arguments, const QProcessEnvironment& variables) const
    {
        return test::runProgram(root + u"/usr/bin/cv", arguments, variables);
    }
    Run cv(const QStringList& arguments) const { return cv(arguments, environment()); }

    QByteArray detailRows(const QProcessEnvironment& variables) const
    {
        const Run run = cv({QStringLiteral("--query"), QStringLiteral("SELECT COUNT(*) AS n FROM Detail")}, variables);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return run.out.split('\n').value(1).replace('"', "").trimmed();
    }

    static QByteArray bytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir temp;
    const QString root = temp.filePath(QStringLiteral("root"));
    const QString copies = root + u"/usr/share/corvane-net";
    const QString userFolder = temp.filePath(QStringLiteral("home/data/corvane-net"));
};

TEST_F(InstalledProgramTest, AFirstScanRecordsIntoTheUsersOwnFolderAndTheOverrideStillWins)
{
    Run run = cv({QStringLiteral("--demo")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    run = cv({QStringLiteral("--scan")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(detailRows(environment()), "9");
    EXPECT_TRUE(QFile::exists(userFolder + u"/netware.conf"));
    EXPECT_EQ(bytes(copies + u"/cv.mdb"), bytes(QStringLiteral(CV_DATABASE_FILE)));

    QProcessEnvironment override = environment();
    const QString other = temp.filePath(QStringLiteral("other"));
    QDir().mkpath(other);
    QFile::copy(QStringLiteral(CV_DATABASE_FILE), other + u"/cv.mdb");
    QFile::setPermissions(other + u"/cv.mdb", QFile::ReadOwner | QFile::WriteOwner);
    override.insert(QStringLiteral("CORVANE_NET_HOME"), other);
    EXPECT_EQ(detailRows(override), "0");
    // Filled as the user's own folder is, the database it holds left as it was.
    EXPECT_EQ(QDir(other).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("cv.mdb"), QStringLiteral("demo"), QStringLiteral("faq.fil")}));
}

// After "rm cv.mdb" an empty database in its place would answer every question with nothing.
TEST_F(InstalledProgramTest, ALostDatabaseIsReportedWithHowToStartAfresh)
{
    ASSERT_EQ(cv({QStringLiteral("--demo")}).exitCode, 0);
    ASSERT_EQ(cv({QStringLiteral("--scan")}).exitCode, 0);
    ASSERT_TRUE(QFile::remove(userFolder + u"/cv.mdb"));
    const QString database = userFolder + u"/cv.mdb";
    const QByteArray words = QString(u"Database file "_s + database +
                              u" does not exist.\nRestore it from a backup, or start afresh with an empty audit "
                              "database: copy "_s + copies + u"/cv.mdb to "_s + database + u".\n"_s)
                                 .toUtf8();
    const Run query = cv({QStringLiteral("--query"), QStringLiteral("SELECT COUNT(*) FROM Detail")});
    EXPECT_EQ(query.exitCode, 1);
    EXPECT_TRUE(query.out.isEmpty()) << query.out.toStdString();
    EXPECT_EQ(query.err, words);
    // The same day would end the scan before it looks for the file.
    const QString registryFolder = temp.filePath(QStringLiteral("registry"));
    Registry registry({registryFolder, registryFolder});
    SettingsStore(registry).remove(QStringLiteral("System"), QStringLiteral("LastScan"));
    const Run scan = cv({QStringLiteral("--scan")});
    EXPECT_EQ(scan.exitCode, 1);
    EXPECT_TRUE(scan.err.contains(words)) << scan.err.toStdString();
    EXPECT_FALSE(QFile::exists(database));

    // The way back it names.
    ASSERT_TRUE(QFile::copy(copies + u"/cv.mdb", database));
    EXPECT_EQ(detailRows(environment()), "0");
}

TEST_F(InstalledProgramTest, WithoutTheDemoFolderThereIsNothingToPrepare)
{
    QDir(copies + u"/demo").removeRecursively();
    const Run demo = cv({QStringLiteral("--demo")});
    EXPECT_EQ(demo.exitCode, 1);
    EXPECT_TRUE(demo.err.startsWith("cv: no demo network in ")) << demo.err.toStdString();
}

TEST_F(InstalledProgramTest, AUsersDatabaseOfANewerVersionIsRefusedAndLeftAlone)
{
    ASSERT_EQ(cv({QStringLiteral("--demo")}).exitCode, 0);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((userFolder + u"/cv.mdb").toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_exec(db, "PRAGMA user_version = 99", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    const QByteArray before = bytes(userFolder + u"/cv.mdb");

    const Run run = cv({QStringLiteral("--scan")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("was written by a newer version of Corvane Net (database version 99"))
        << run.err.toStdString();
    EXPECT_EQ(bytes(userFolder + u"/cv.mdb"), before);
}

TEST_F(InstalledProgramTest, TheTimerIsSetToTheStoredStartTime)
{
    const QString dropIn = temp.filePath(QStringLiteral("home/config/systemd/user/corvane-net-scan.timer.d/start-time.conf"));
    Run run = cv({QStringLiteral("--write-timer")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(bytes(dropIn).contains("\n[Timer]\nOnCalendar=\nOnCalendar=*-*-* 17:00:00\n")) << bytes(dropIn).toStdString();

    const QString registryFolder = temp.filePath(QStringLiteral("registry"));
    Registry registry({registryFolder, registryFolder});
    SettingsStore store(registry);
    store.save(QStringLiteral("Misc"), QStringLiteral("StartTime"), QStringLiteral("07:30 a"));
    ASSERT_EQ(cv({QStringLiteral("--write-timer")}).exitCode, 0);
    EXPECT_TRUE(bytes(dropIn).contains("\nOnCalendar=*-*-* 07:30:00\n")) << bytes(dropIn).toStdString();

    store.save(QStringLiteral("Misc"), QStringLiteral("StartTime"), QStringLiteral("soon"));
    run = cv({QStringLiteral("--write-timer")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("\"soon\" is no time of day")) << run.err.toStdString();
    EXPECT_TRUE(bytes(dropIn).contains("07:30:00"));
}

// A drop-in that cannot be written whole (a full disk: here a file-size limit) must not be emptied,
// nor the failure pass for success; a folder that cannot be made says why.
TEST_F(InstalledProgramTest, ATimerThatCannotBeWrittenKeepsItsTimeAndSaysWhy)
{
    const QString dropIn = temp.filePath(QStringLiteral("home/config/systemd/user/corvane-net-scan.timer.d/start-time.conf"));
    ASSERT_EQ(cv({QStringLiteral("--write-timer")}).exitCode, 0);
    const QByteArray before = bytes(dropIn);
    const QString registryFolder = temp.filePath(QStringLiteral("registry"));
    Registry registry({registryFolder, registryFolder});
    SettingsStore(registry).save(QStringLiteral("Misc"), QStringLiteral("StartTime"), QStringLiteral("07:30 a"));

    const Run full = test::runProgram(root + u"/usr/bin/cv", {QStringLiteral("--write-timer")}, environment(), {},
                                      [] {
                                          ::signal(SIGXFSZ, SIG_IGN);
                                          const rlimit limit{64, 64};
                                          ::setrlimit(RLIMIT_FSIZE, &limit);
                                      });
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_TRUE(full.out.isEmpty()) << full.out.toStdString();
    EXPECT_EQ(full.err, QByteArray("cv: " + dropIn.toUtf8() + ": File too large\n"));
    EXPECT_EQ(bytes(dropIn), before);
    EXPECT_EQ(QDir(QFileInfo(dropIn).absolutePath()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("start-time.conf")});

    QProcessEnvironment noFolder = environment();
    const QString notAFolder = temp.filePath(QStringLiteral("home/config-file"));
    QFile file(notAFolder);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    noFolder.insert(QStringLiteral("XDG_CONFIG_HOME"), notAFolder);
    const Run unmade = cv({QStringLiteral("--write-timer")}, noFolder);
    EXPECT_EQ(unmade.exitCode, 1);
    EXPECT_EQ(unmade.err, QByteArray("cv: cannot make the folder " + notAFolder.toUtf8() + ": File exists\n"));
}

// The options and variables of cv a text names, sorted; the options of systemctl commands in
// examples are not cv's.
QStringList namesIn(QString text)
{
    static const QRegularExpression otherCommand(QStringLiteral(R"(systemctl[^\n"]*)"));
    static const QRegularExpression name(QStringLiteral(R"((?<![\w-])(--?[a-z][a-z-]*|CORVANE_NET_[A-Z_]+))"));
    text.remove(otherCommand);
    QSet<QString> names;
    for (const QRegularExpressionMatch& match : name.globalMatch(text))
        names.insert(match.captured(1));
    QStringList sorted(names.begin(), names.end());
    sorted.sort();
    return sorted;
}

TEST(ManPageTest, TheManualPageNamesWhatTheHelpNames)
{
    QProcess help;
    help.start(QStringLiteral(CV_EXECUTABLE), {QStringLiteral("--help")});
    ASSERT_TRUE(help.waitForFinished(30000));
    const QString helpText = QString::fromUtf8(help.readAllStandardOutput());
    QFile page(QStringLiteral(CV_SOURCE_DIR u"/data/cv.1"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    // Troff writes a minus as "\-"; lines of requests (".TP") are no text.
    QString pageText = QString::fromUtf8(page.readAll()).replace(QStringLiteral("\\-"), QStringLiteral("-"));
    pageText.remove(QRegularExpression(QStringLiteral(R"(\\f[BIRP])")));

    const QStringList inHelp = namesIn(helpText);
    ASSERT_TRUE(inHelp.contains(QStringLiteral("--scan")));
    EXPECT_EQ(namesIn(pageText).join(u' ').toStdString(), inHelp.join(u' ').toStdString())
        << "data/cv.1 and cv --help must name the same options and variables";
}

} // namespace
