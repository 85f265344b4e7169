#include "ScanCommandFixture.h"

#include "core/netware/DriveType.h"
#include "core/netware/NetWareConfiguration.h"
#include "core/db/AuditDatabase.h"
#include "core/settings/StartAtBootEntry.h"
#include "mock/PermissionOverride.h"
#include "mock/RefusedRows.h"

#include <sqlite3.h>

#include <csignal>

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

TEST_F(ScanCommandTest, AnAddedVolumeIsScannedIntoEveryTable)
{
    const QByteArray day = today.toString(u"yyyy-MM-dd"_s).toLatin1();
    const QByteArray yesterday = today.addDays(-1).toString(u"yyyy-MM-dd"_s).toLatin1();
    writeHomeFile(u"vol1/DOCS/REPORT.DOC"_s, "report");
    writeHomeFile(u"vol1/DOCS/MEMO.TXT"_s, "memo");
    writeHomeFile(u"vol1/DOCS/SUB/NOTE.TXT"_s, "note");
    writeHomeFile(u"vol1/.netware-meta"_s, "[users]\n1001 = alice\n"
                                           "[entry DOCS/REPORT.DOC]\narchived = " +
                                               day +
                                               " 18:00:00\narchiver = alice\n"
                                               "[deleted DOCS/OLD.DOC]\nsize = 100\ndeleted = " +
                                               day +
                                               " 12:00:00\n"
                                               "deletor = alice\n");
    // Yesterday's snapshot had a directory that is gone now.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(databasePath().toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(
            db,
            QByteArray("INSERT INTO Temp VALUES ('\\\\SRV1\\VOL1:GONE', '" + yesterday + "')").constData(),
            nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);

    const Run add = cv({u"--add-path"_s, u"\\\\SRV1\\VOL1\\DOCS"_s});
    ASSERT_EQ(add.exitCode, 0) << add.err.constData();
    EXPECT_EQ(add.out, "Directory added.\n");

    const Run scan = cv({u"--scan"_s});
    ASSERT_EQ(scan.exitCode, 0) << scan.err.constData();
    EXPECT_EQ(scan.out, "3 files found. Total of 0.0 KB.\n");
    EXPECT_TRUE(scan.err.contains("Scanning \\\\SRV1\\VOL1\\DOCS\\*.*...\n")) << scan.err.constData();
    EXPECT_TRUE(scan.err.contains("Updating database...\n"));
    EXPECT_TRUE(stored(u"System"_s, u"LastScan"_s).startsWith(today.toString(u"MM/dd/yyyy "_s)));

    EXPECT_EQ(count("Detail"), 3);
    EXPECT_EQ(count("NewFiles"), 3);
    EXPECT_EQ(count("OpenedFiles"), 3);
    EXPECT_EQ(count("EditedFiles"), 3);
    EXPECT_EQ(query(u"SELECT Directory, Archived, Archivor, file FROM ArchivedFiles"_s),
              QList<QByteArray>{"\"\\\\SRV1\\VOL1:DOCS\",\"" + day + " 18:00:00\",\"ALICE\",\"REPORT.DOC\""});
    EXPECT_EQ(
        query(u"SELECT Directory, Deleted, Deletor, file, Bytes FROM DeletedFiles"_s),
        QList<QByteArray>{"\"\\\\SRV1\\VOL1:DOCS\",\"" + day + " 12:00:00\",\"ALICE\",\"OLD.DOC\",\"100\""});
    EXPECT_EQ(query(u"SELECT Directory, Deleted, Created, Modified, Opened, Archived FROM DirActivity"_s),
              (QList<QByteArray>{"\"\\\\SRV1\\VOL1:DOCS\",\"1\",\"2\",\"2\",\"2\",\"1\"",
                                 "\"\\\\SRV1\\VOL1:DOCS\\SUB\",\"\",\"1\",\"1\",\"1\",\"\""}));
    EXPECT_EQ(query(u"SELECT Directory, Created FROM NewDirs"_s),
              (QList<QByteArray>{"\"\\\\SRV1\\VOL1:DOCS\",\"" + day + "\"",
                                 "\"\\\\SRV1\\VOL1:DOCS\\SUB\",\"" + day + "\""}));
    EXPECT_EQ(query(u"SELECT Directory, Deleted FROM DeletedDirs"_s),
              QList<QByteArray>{"\"\\\\SRV1\\VOL1:GONE\",\"" + day + "\""});
    EXPECT_EQ(query(u"SELECT Directory FROM Temp"_s),
              (QList<QByteArray>{"\"\\\\SRV1\\VOL1:DOCS\"", "\"\\\\SRV1\\VOL1:DOCS\\SUB\""}));

    // The same day again: the question is answered with its default button (Yes: purge first),
    // which ends the run; today's scan stands, which is no failure (a timer after a scan by hand).
    const Run again = cv({u"--scan"_s});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out, "Today's scan is done already; nothing was scanned again. \"cv --scan --again\" "
                         "deletes today's data and scans again.\n");
    EXPECT_TRUE(again.err.contains("You have already run today.")) << again.err.constData();
    EXPECT_TRUE(again.err.contains("[Y/n] yes (default)\n"));
    EXPECT_EQ(count("Detail"), 3);

    // For the user who means it: today's rows go, and the day is recorded anew, once.
    writeHomeFile(u"vol1/DOCS/LATE.DOC"_s, "late");
    const Run rescan = cv({u"--scan"_s, u"--again"_s});
    ASSERT_EQ(rescan.exitCode, 0) << rescan.err.constData();
    EXPECT_EQ(rescan.out, "4 files found. Total of 0.0 KB.\n");
    EXPECT_TRUE(rescan.err.contains("has been purged.")) << rescan.err.constData();
    EXPECT_FALSE(rescan.err.contains("You have already run today."));
    EXPECT_EQ(count("Detail"), 4);
}

TEST_F(ScanCommandTest, StepTimingsOnRequest)
{
    QProcessEnvironment variables = environment();
    variables.insert(u"CORVANE_NET_TIMINGS"_s, u"1"_s);
    const Run scan = cv({u"--scan"_s}, variables);
    EXPECT_EQ(scan.exitCode, 0);
    EXPECT_EQ(scan.out, "No files found.\n");
    for (const char* step : {"\nscan ", "\ntally ", "\ndirectories ", "\nsnapshot ", "\nrun "})
        EXPECT_TRUE(scan.err.contains(step)) << step << scan.err.constData();
}

TEST_F(ScanCommandTest, AMissingDatabaseEndsWithItsMessage)
{
    QFile::remove(databasePath());
    const Run scan = cv({u"--scan"_s});
    EXPECT_EQ(scan.exitCode, 1);
    EXPECT_TRUE(scan.out.isEmpty());
    EXPECT_TRUE(
        scan.err.contains((u"Database file "_s + home.path() + u"/cv.mdb does not exist.\n"_s).toUtf8()))
        << scan.err.constData();
    EXPECT_FALSE(QFile::exists(databasePath()));
}

// The window's own words for the failure, then the reason, marked as the program's own.
TEST_F(ScanCommandTest, AnUnreadableNetworkEndsWithTheWindowsMessageAndTheReason)
{
    writeHomeFile(u"netware.conf"_s, "[server SRV1]\nversion\n");
    const Run scan = cv({u"--scan"_s});
    EXPECT_EQ(scan.exitCode, 1);
    EXPECT_TRUE(scan.out.isEmpty());
    EXPECT_EQ(scan.err, "Error! Unable to initialize network.\ncv: " +
                            home.filePath(u"netware.conf"_s).toUtf8() + ":2: expected \"name = value\"\n");
}

// SQLite opens a cv.mdb this user may not write read-only and refuses every row; the run used to
// report the files found and end well. It must fail at its start, as for a locked file.
TEST_F(ScanCommandTest, ADatabaseThatCannotBeWrittenFailsTheRunAtItsStart)
{
    writeHomeFile(u"vol1/DOCS/A.DOC"_s, "a");
    ASSERT_EQ(cv({u"--add-path"_s, u"F:\\DOCS"_s}).exitCode, 0);
    ASSERT_TRUE(QFile::setPermissions(databasePath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const QByteArray before = [this] {
        QFile file(databasePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    const Run scan = cv({u"--scan"_s}, environment(), withoutPermissionOverride);
    EXPECT_EQ(scan.exitCode, 1);
    EXPECT_TRUE(scan.out.isEmpty()) << scan.out.constData();
    EXPECT_TRUE(scan.err.contains(QString(u"Unable to open database "_s + databasePath() +
                                          u".\nError -2147217911 : Cannot update. Database or object is read-only: '"_s +
                                          databasePath() + u"' may not be written.\n"_s)
                                      .toUtf8()))
        << scan.err.constData();
    EXPECT_EQ(stored(u"System"_s, u"LastScan"_s), u"<unset>"_s);
    QFile file(databasePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

// Rows refused one by one (a trigger of the test's own refuses some) are lost however much else
// was recorded: the summary says how many, and the run fails.
TEST_F(ScanCommandTest, RowsThatCouldNotBeRecordedFailTheRun)
{
    refuseDetailRowsOfBadFiles(databasePath());
    for (const char* file : {"A.DOC", "BAD1.DOC", "BAD2.DOC", "BAD3.DOC"})
        writeHomeFile(u"vol1/DOCS/"_s + QLatin1String(file), "x");
    ASSERT_EQ(cv({u"--add-path"_s, u"F:\\DOCS"_s}).exitCode, 0);
    const Run scan = cv({u"--scan"_s});
    EXPECT_EQ(scan.exitCode, 1);
    EXPECT_EQ(scan.out, "4 files found. Total of 0.0 KB.\n3 rows of this run could not be recorded; the first "
                        "failed with Error -2147467259 : row refused\n");
    EXPECT_EQ(count("Detail"), 1);
}

TEST_F(ScanCommandTest, PathsAreStoredAsTheMainWindowStoresThem)
{
    EXPECT_EQ(cv({u"--add-path"_s, u"F:\\A"_s}).exitCode, 0);
    EXPECT_EQ(cv({u"--add-path"_s, u"\\\\SRV1\\VOL1\\B"_s, u"--specs"_s, u"*.doc;*.xls"_s, u"--no-subdirs"_s})
                  .exitCode,
              0);
    // A local folder is stored by its absolute path.
    workingDirectory = home.path();
    EXPECT_EQ(cv({u"--add-path"_s, u"vol1/./C"_s}).exitCode, 0);

    const Run duplicate = cv({u"--add-path"_s, u"\\\\srv1\\vol1\\b"_s});
    EXPECT_EQ(duplicate.exitCode, 1);
    EXPECT_EQ(duplicate.err, "Directory not added. It already exists in list.\n");

    EXPECT_EQ(cv({u"--list-paths"_s}).out, (u"1\tF:\\A\tsubdirectories\t*.*\n"
                                            "2\t\\\\SRV1\\VOL1\\B\tno subdirectories\t*.doc;*.xls\n"
                                            "3\t" +
                                            home.filePath(u"vol1/C"_s) + u"\tsubdirectories\t*.*\n"_s)
                                               .toUtf8());
    const Run removed = cv({u"--remove-path"_s, u"1"_s});
    EXPECT_EQ(removed.exitCode, 0);
    EXPECT_EQ(removed.out, "Directory deleted.\n");
    EXPECT_EQ(storedKeys(u"Options"_s),
              (QStringList{u"Dir_0"_s, u"Dir_1"_s, u"Spec_0"_s, u"Spec_1"_s, u"Sub_0"_s, u"Sub_1"_s}));
    EXPECT_EQ(stored(u"Options"_s, u"Dir_0"_s), u"\\\\SRV1\\VOL1\\B"_s);
    EXPECT_EQ(stored(u"Options"_s, u"Sub_0"_s), u"False"_s);
    EXPECT_EQ(stored(u"Options"_s, u"Spec_0"_s), u"*.doc;*.xls"_s);
    EXPECT_EQ(stored(u"Options"_s, u"Sub_1"_s), u"True"_s);

    EXPECT_EQ(cv({u"--remove-path"_s, u"3"_s}).exitCode, 1);
    EXPECT_EQ(cv({u"--remove-path"_s, u"one"_s}).exitCode, 2);
    EXPECT_EQ(cv({u"--add-path"_s}).exitCode, 2);
    EXPECT_EQ(cv({u"--add-path"_s, u"F:\\X"_s, u"--specs"_s}).exitCode, 2);
}

TEST_F(ScanCommandTest, ALocalDirectoryIsRefused)
{
    NetWareConfiguration none;
    if (GetDriveTypeA(home.path(), none) != DriveType::Fixed)
        GTEST_SKIP() << "the temporary folder does not lie on a fixed disk here";
    const Run refused = cv({u"--add-path"_s, home.path()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.startsWith("Directory not added. You can only add network directories. "))
        << refused.err.constData();
    EXPECT_EQ(cv({u"--list-paths"_s}).out, QByteArray());
}

TEST_F(ScanCommandTest, APurgeThatCannotRunSaysSoAndKeepsTheLastScan)
{
    writeHomeFile(u"vol1/DOCS/REPORT.DOC"_s, "report");
    ASSERT_EQ(cv({u"--add-path"_s, u"F:\\DOCS"_s}).exitCode, 0);
    ASSERT_EQ(cv({u"--scan"_s}).exitCode, 0);
    const QString lastScan = stored(u"System"_s, u"LastScan"_s);
    // Another process holds the write lock for as long as the purges wait for it.
    AuditDatabase otherWriter;
    ASSERT_FALSE(otherWriter.open(databasePath(), AuditDatabase::Access::ReadWrite).isError());
    ASSERT_FALSE(otherWriter.beginTransaction().isError());
    for (const QString& job : {u"--purge-all"_s, u"--purge-today"_s}) {
        const Run purge = cv({job, u"--yes"_s});
        EXPECT_EQ(purge.exitCode, 1) << job.toStdString();
        EXPECT_TRUE(purge.err.contains("Error -2147467259 : ")) << purge.err.constData();
        EXPECT_FALSE(purge.out.contains("has been purged")) << purge.out.constData();
    }
    otherWriter.close();
    EXPECT_EQ(stored(u"System"_s, u"LastScan"_s), lastScan);
    EXPECT_EQ(count("Detail"), 1);
}

TEST_F(ScanCommandTest, AScanRewritesTheStartAtBootEntryAsTheWindowDoes)
{
    {
        Registry registry({registryFolder.path(), registryFolder.path()});
        SettingsStore(registry).save(u"Misc"_s, u"AutoRun"_s, u"1"_s);
    }
    const Run run = cv({u"--scan"_s});
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    Registry registry({registryFolder.path(), registryFolder.path()});
    RegistryValue value;
    EXPECT_EQ(registry.queryValue(RootKey::LocalMachine, QString::fromUtf16(StartAtBootEntry::runKey),
                                  QString::fromUtf16(StartAtBootEntry::valueName), &value),
              RegError::Success);
    QFile autostart(configFolder.filePath(u"autostart/corvane-net.desktop"_s));
    ASSERT_TRUE(autostart.open(QIODevice::ReadOnly));
    // The program's own folder, as the window writes it.
    EXPECT_TRUE(autostart.readAll().contains(QByteArray(CV_EXECUTABLE).append("\" -t")));
}

TEST_F(ScanCommandTest, HelpListsTheScanAndPathJobs)
{
    const Run help = cv({u"--help"_s});
    for (const char* job : {"--scan", "--list-paths", "--add-path PATH", "--specs", "--no-subdirs",
                            "--remove-path N", "--demo", "CORVANE_NET_TIMINGS", "130"})
        EXPECT_TRUE(help.out.contains(job)) << job;
    EXPECT_EQ(cv({u"--scan"_s, u"--now"_s}).exitCode, 2);
}

// A run that is interrupted: Ctrl-C is Stop, kill -9 leaves the file as it was before the run.
class InterruptedScanTest : public ScanCommandTest
{
protected:
    InterruptedScanTest()
    {
        writeManyFiles(150, 60);
        EXPECT_EQ(cv({u"--add-path"_s, u"F:\\MANY"_s}).exitCode, 0);
    }

    // Starts cv --scan, holds it (SIGSTOP) in the middle of scanning, sends the signal and lets it
    // go on.
    Run scanAndSignal(int signal, int foldersScanned = 1)
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.setReadChannel(QProcess::StandardError);
        process.start(QStringLiteral(CV_EXECUTABLE), {u"--scan"_s});
        EXPECT_TRUE(process.waitForStarted());
        const auto pid = static_cast<pid_t>(process.processId());
        QByteArray err;
        while (err.count("Scanning ") < foldersScanned && process.state() == QProcess::Running) {
            process.waitForReadyRead(10000);
            err += process.readAllStandardError();
        }
        ::kill(pid, SIGSTOP);
        while (process.waitForReadyRead(200))
            err += process.readAllStandardError();
        EXPECT_FALSE(err.contains("Updating database...")) << "the scan ended before it could be interrupted";
        ::kill(pid, signal);
        ::kill(pid, SIGCONT);
        process.waitForFinished(60000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput(), err + process.readAllStandardError()};
    }
};

TEST_F(InterruptedScanTest, CtrlCStopsTheRunAndNothingIsRecorded)
{
    const Run stopped = scanAndSignal(SIGINT);
    EXPECT_EQ(stopped.exitCode, 130) << stopped.err.constData();
    EXPECT_TRUE(stopped.out.isEmpty());
    EXPECT_TRUE(stopped.err.contains("\nScan terminated.\n")) << stopped.err.right(300).constData();
    EXPECT_EQ(count("Detail"), 0);
    EXPECT_EQ(count("EditedFiles"), 0);
    EXPECT_EQ(stored(u"System"_s, u"LastScan"_s), u"<unset>"_s);
}

TEST_F(InterruptedScanTest, KillNineLeavesTheDatabaseIntactWithoutRowsOfTheRun)
{
    const Run killed = scanAndSignal(SIGKILL);
    EXPECT_EQ(killed.exitCode, -1);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(databasePath().toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr),
              SQLITE_OK);
    sqlite3_stmt* check = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(db);
    EXPECT_EQ(count("Detail"), 0);
    EXPECT_EQ(count("NewFiles"), 0);
    EXPECT_EQ(stored(u"System"_s, u"LastScan"_s), u"<unset>"_s);

    // The next run works on the same file.
    const Run next = cv({u"--scan"_s});
    EXPECT_EQ(next.exitCode, 0) << next.err.right(300).constData();
    EXPECT_EQ(count("Detail"), 150 * 60);
}

TEST_F(InterruptedScanTest, KillNineThenAReaderFirst)
{
    // Late in the scan, when the run's rows no longer fit in the page cache and the journal exists.
    scanAndSignal(SIGKILL, 130);
    // A reader finding the killed run's journal still sees the file as before the run.
    EXPECT_TRUE(QFile::exists(databasePath() + u"-journal"_s));
    EXPECT_EQ(count("Detail"), 0);
    EXPECT_EQ(count("DirActivity"), 0);
}

} // namespace
} // namespace corvane::test
