#include "ScanRunFixture.h"

#include "core/scan/ScanTexts.h"
#include "mock/PermissionOverride.h"
#include "mock/RefusedRows.h"

#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using Answer = corvane::UserInterfacePort::Answer;
using Ending = corvane::ScanRun::Ending;

namespace corvane::test {
namespace {

const QString alreadyRun =
    u"You have already run today. Re-running can produce duplicate data if scanning for the "
    "same file specs. Do you want to click the 'Purge Today' Button to delete today's data "
    "before continuing."_s;

TEST_F(ScanRunTest, AnEmptyPathListFindsNothingAndCommits)
{
    seed("INSERT INTO Temp VALUES ('\\\\SRV1\\VOL1:OLD', '2026-12-06')");
    const ScanRun::Outcome outcome = run();
    EXPECT_EQ(outcome.ending, Ending::Completed);
    EXPECT_EQ(ui.status, u"No files found."_s);
    EXPECT_EQ(outcome.text, u"No files found."_s);
    EXPECT_EQ(lastScan(), u"<unset>"_s);
    EXPECT_TRUE(ui.lastScanLine.isEmpty());
    // What the directory steps wrote is committed: the snapshot directory was missed today.
    EXPECT_EQ(column(u"DeletedDirs"_s, u"Directory"_s), QStringList{u"\\\\SRV1\\VOL1:OLD"_s});
    EXPECT_EQ(ui.busyHistory, (QList<bool>{true, false}));
    EXPECT_FALSE(ui.stopVisible);
    EXPECT_FALSE(ui.waitCursor);
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_TRUE(ui.statusHistory.contains(u"Updating database..."_s));
    EXPECT_FALSE(scanRun.isRunning());
}

TEST_F(ScanRunTest, SpecTextsAreCutAtEverySemicolonWithoutTrimming)
{
    writeFile(u"DOCS/A.DOC"_s);
    writeFile(u"DOCS/B.TXT"_s);
    addPath(u"F:\\DOCS"_s, u"*.doc;; *.txt;"_s, false);
    run();
    QStringList scanning;
    for (const QString& text : std::as_const(ui.statusHistory)) {
        if (text.startsWith(u"Scanning "_s))
            scanning.append(text);
    }
    EXPECT_EQ(scanning, (QStringList{u"Scanning F:\\DOCS\\*.doc..."_s, u"Scanning F:\\DOCS\\..."_s,
                                     u"Scanning F:\\DOCS\\ *.txt..."_s, u"Scanning F:\\DOCS\\..."_s}));
    // " *.txt" is passed with its blank and so matches nothing.
    EXPECT_EQ(column(u"Detail"_s, u"file"_s), QStringList{u"A.DOC"_s});
    EXPECT_EQ(ui.status, u"1 files found. Total of 0.0 KB."_s);
}

TEST_F(ScanRunTest, AnEntryWithoutSpecsScansAllFiles)
{
    writeFile(u"DOCS/A.DOC"_s);
    settings.Paths.append(ScanPath{u"F:\\DOCS"_s, true});
    run();
    EXPECT_EQ(column(u"Detail"_s, u"file"_s), QStringList{u"A.DOC"_s});
}

TEST_F(ScanRunTest, AFoundFileStampsLastScanAndSummarises)
{
    writeFile(u"DOCS/A.DOC"_s, Day1, QByteArray(1536, 'x'));
    writeFile(u"DOCS/B.DOC"_s, Day1, QByteArray(1024, 'x'));
    addPath(u"F:\\DOCS"_s);
    clock.set(QDateTime(Day1, QTime(14, 5, 59)));
    const ScanRun::Outcome outcome = run();
    EXPECT_EQ(outcome.ending, Ending::Completed);
    EXPECT_EQ(ui.status, u"2 files found. Total of 2.5 KB."_s);
    EXPECT_EQ(outcome.text, ui.status);
    EXPECT_EQ(lastScan(), u"12/07/2026 02:05 pm"_s);
    EXPECT_EQ(ui.lastScanLine, u"Last scan: 12/07/2026 02:05 pm"_s);
    EXPECT_EQ(rows(u"Detail"_s).size(), 2);
    EXPECT_EQ(rows(u"Detail"_s).value(0).value(u"SysDate"_s), u"2026-12-07"_s);
}

TEST_F(ScanRunTest, TheSameDayAsksWhetherToPurgeFirstAndYesEndsTheRun)
{
    writeFile(u"DOCS/A.DOC"_s);
    addPath(u"F:\\DOCS"_s);
    setLastScan(u"12/07/2026 08:00 am"_s);
    const ScanRun::Outcome declined = run();
    EXPECT_EQ(declined.ending, Ending::AlreadyScannedToday);
    EXPECT_EQ(ui.questions, QStringList{alreadyRun});
    EXPECT_TRUE(ui.busyHistory.isEmpty());
    EXPECT_TRUE(rows(u"Detail"_s).isEmpty());

    ui.answers = {Answer::No};
    EXPECT_EQ(run().ending, Ending::Completed);
    EXPECT_EQ(rows(u"Detail"_s).size(), 1);
}

TEST_F(ScanRunTest, ATimedStartWithAutoExitEndsSilentlyOnADayAlreadyScanned)
{
    addPath(u"F:\\DOCS"_s);
    setLastScan(u"12/07/2026 08:00 am"_s);
    settings.TimedStart = true;
    boxes.setChecked(OptionBox::cbExit, true);
    EXPECT_EQ(run().ending, Ending::ProgramEnded);
    EXPECT_EQ(ui.quits, 1);
    EXPECT_TRUE(ui.questions.isEmpty());
    EXPECT_TRUE(ui.statusHistory.isEmpty());

    // Without -t the question comes as usual.
    settings.TimedStart = false;
    run();
    EXPECT_EQ(ui.questions, QStringList{alreadyRun});
}

TEST_F(ScanRunTest, KeepRunningInForceSkipsTheSameDayQuestions)
{
    writeFile(u"DOCS/A.DOC"_s);
    addPath(u"F:\\DOCS"_s);
    setLastScan(u"12/09/2026 08:00 am"_s);
    boxes.setChecked(OptionBox::cbAutoScan, true);
    boxes.setChecked(OptionBox::cbKeepRunning, true);
    settings.StartTime = u"10:00 am"_s;
    ui.closing = true; // no repetition
    EXPECT_EQ(run().ending, Ending::Completed);
    EXPECT_TRUE(ui.questions.isEmpty());
}

TEST_F(ScanRunTest, AClockBeforeTheLastScanAsksAndNoChangesNothing)
{
    addPath(u"F:\\DOCS"_s);
    setLastScan(u"12/08/2026 09:00 am"_s);
    EXPECT_EQ(run().ending, Ending::Declined);
    EXPECT_EQ(ui.questions,
              QStringList{u"Warning! Today's date conflicts with the last scan date of 12/8/2026. "
                          "Do you want to continue?"_s});
    EXPECT_EQ(lastScan(), u"12/08/2026 09:00 am"_s);
    EXPECT_TRUE(ui.busyHistory.isEmpty());

    // Yes goes on, and a day that is no date asks nothing.
    ui.answers = {Answer::Yes};
    EXPECT_EQ(run().ending, Ending::Completed);
    setLastScan(u"someday"_s);
    ui.questions.clear();
    run();
    EXPECT_TRUE(ui.questions.isEmpty());
}

TEST_F(ScanRunTest, AMissingDatabaseIsReportedWithABeep)
{
    QFile::remove(databaseFile.path);
    EXPECT_EQ(run().ending, Ending::Failed);
    ASSERT_EQ(ui.messages.size(), 1);
    // The words of the check, then what to do.
    EXPECT_TRUE(ui.messages[0].text.startsWith(u"Database file "_s + databaseFile.folder.path() +
                                               u"/cv.mdb does not exist.\r\nRestore it from a backup, or start "
                                               "afresh with an empty audit database: copy "_s))
        << ui.messages[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(databaseFile.path));
    EXPECT_EQ(ui.messages[0].icon, UserInterfacePort::Icon::Warning);
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_TRUE(ui.busyHistory.isEmpty());
}

// A central database has no file to look for: the server says whether it is there, and the
// messages name it without its password.
TEST_F(ScanRunTest, ACentralDatabaseIsOpenedWithoutLookingForAFile)
{
    const QTemporaryDir noServer;
    const QString name = u"host=%1 dbname=central password=Secret-pw-1 connect_timeout=5"_s.arg(noServer.path());
    ScanRun central{ScanRunServices{ui, clock, store, settings, boxes, network.client(),
                                    network.client().configuration(), name}};
    const ScanRun::Outcome outcome = central.Command1_Click();
    EXPECT_EQ(outcome.ending, Ending::Failed);
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(ui.beeps, 0);
    const QString shown = u"host=%1 dbname=central password=******** connect_timeout=5"_s.arg(noServer.path());
    EXPECT_TRUE(ui.status.startsWith(u"Unable to open database "_s + shown + u".\r\nError "_s))
        << ui.status.toStdString();
    EXPECT_EQ(outcome.text, u"Unable to open database "_s + shown + u"."_s);
    EXPECT_FALSE(ui.status.contains(u"Secret-pw-1"_s));
}

TEST_F(ScanRunTest, ADatabaseThatCannotBeOpenedShowsTheTwoLineStatus)
{
    QFile file(databaseFile.path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a database at all");
    file.close();
    EXPECT_EQ(run().ending, Ending::Failed);
    EXPECT_TRUE(ui.status.startsWith(u"Unable to open database "_s + databaseFile.path + u".\r\nError "_s))
        << ui.status.toStdString();
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_TRUE(ui.busyHistory.isEmpty());
}

// A file this user may not write: SQLite would open it read-only and refuse every row, while the
// run reported its files found. The run ends at the opening instead, as for a locked file.
TEST_F(ScanRunTest, ADatabaseThatCannotBeWrittenEndsTheRunAtItsStart)
{
    writeFile(u"DOCS/A.DOC"_s);
    addPath(u"F:\\DOCS"_s);
    ASSERT_TRUE(QFile::setPermissions(databaseFile.path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    ScanRun::Outcome outcome;
    {
        const WithoutPermissionOverride asUser;
        ASSERT_FALSE(opensForWriting(databaseFile.path)) << "this process writes a file of mode 444";
        outcome = run();
    }
    EXPECT_EQ(outcome.ending, Ending::Failed);
    EXPECT_EQ(ui.status, u"Unable to open database "_s + databaseFile.path +
                             u".\r\nError -2147217911 : Cannot update. Database or object is read-only: '"_s +
                             databaseFile.path + u"' may not be written."_s);
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_TRUE(ui.busyHistory.isEmpty());
    EXPECT_EQ(lastScan(), u"<unset>"_s);
}

// Rows SQLite refuses one by one while the transaction goes on (here a trigger refuses some): the
// rest is kept, and the summary says how many were lost and why.
TEST_F(ScanRunTest, RowsThatCouldNotBeRecordedAreCountedAfterTheSummary)
{
    refuseDetailRowsOfBadFiles(databaseFile.path);
    for (const char* file : {"DOCS/A.DOC", "DOCS/BAD1.DOC", "DOCS/BAD2.DOC"})
        writeFile(QString::fromLatin1(file));
    addPath(u"F:\\DOCS"_s);
    const ScanRun::Outcome outcome = run();
    EXPECT_EQ(outcome.ending, Ending::Completed);
    EXPECT_EQ(outcome.lostRows, 2);
    EXPECT_EQ(outcome.text, u"3 files found. Total of 0.0 KB.\r\n2 rows of this run could not be recorded; the "
                            "first failed with Error -2147467259 : row refused"_s);
    EXPECT_EQ(ui.status, outcome.text);
    EXPECT_EQ(column(u"Detail"_s, u"file"_s), QStringList{u"A.DOC"_s});
    EXPECT_EQ(rows(u"EditedFiles"_s).size(), 3) << "what could be recorded is kept";
    EXPECT_EQ(lastScan(), u"12/07/2026 10:00 am"_s);
}

class AutoPurgeTest : public ScanRunTest
{
protected:
    AutoPurgeTest()
    {
        seed("INSERT INTO Detail (Directory, SysDate) VALUES ('D', '2026-12-01');"
             "INSERT INTO NewFiles (Directory, Created) VALUES ('D', '2026-12-01 10:00:00');"
             "INSERT INTO DirActivity (Directory, SysDate) VALUES ('D', '2026-12-01');"
             "INSERT INTO Temp VALUES ('D', '2026-12-07')");
        boxes.setChecked(OptionBox::cbAutoPurge, true);
    }
    void setPurgeDate(const QString& date) { store.save(u"System"_s, u"PurgeDate"_s, date); }
    bool purged() { return rows(u"Detail"_s).isEmpty() && rows(u"NewFiles"_s).isEmpty(); }
};

TEST_F(AutoPurgeTest, EmptiesTheTablesButTempOnceThePurgeDateHasCome)
{
    setPurgeDate(u"12/7/2026"_s);
    run();
    EXPECT_TRUE(purged());
    EXPECT_TRUE(rows(u"DirActivity"_s).isEmpty());
    EXPECT_EQ(rows(u"Temp"_s).size(), 1);
}

TEST_F(AutoPurgeTest, APastPurgeDatePurgesToo)
{
    setPurgeDate(u"12/1/2026"_s);
    run();
    EXPECT_TRUE(purged());
}

TEST_F(AutoPurgeTest, ALaterEmptyOrUnreadablePurgeDateKeepsTheData)
{
    for (const QString& date : {u"12/8/2026"_s, u""_s, u"soon"_s, u"13/45/2026"_s}) {
        setPurgeDate(date);
        run();
        EXPECT_FALSE(purged()) << date.toStdString();
    }
}

TEST_F(AutoPurgeTest, NothingIsPurgedWithAutoPurgeOff)
{
    boxes.setChecked(OptionBox::cbAutoPurge, false);
    setPurgeDate(u"12/7/2026"_s);
    run();
    EXPECT_FALSE(purged());
}

TEST_F(AutoPurgeTest, AStopDoesNotBringPurgedDataBack)
{
    setPurgeDate(u"12/7/2026"_s);
    writeFile(u"DOCS/A.DOC"_s);
    addPath(u"F:\\DOCS"_s);
    duringYield = [this] { scanRun.Command2_Click(); };
    EXPECT_EQ(run().ending, Ending::Stopped);
    EXPECT_TRUE(purged());
}

class TimedWaitTest : public ScanRunTest
{
protected:
    TimedWaitTest()
    {
        writeFile(u"DOCS/A.DOC"_s);
        addPath(u"F:\\DOCS"_s);
        boxes.setChecked(OptionBox::cbAutoScan, true);
    }
};

TEST_F(TimedWaitTest, WaitsForTheStartMinuteWithStopShown)
{
    settings.StartTime = u"10:05 am"_s;
    bool stopShownWhileWaiting = false;
    duringYield = [&] {
        stopShownWhileWaiting = stopShownWhileWaiting || ui.stopVisible;
        if (ui.status.startsWith(u"Waiting"_s))
            clock.advanceSeconds(20);
    };
    EXPECT_EQ(run().ending, Ending::Completed);
    EXPECT_EQ(ui.statusHistory.value(0), u"Waiting until 10:05 am to scan..."_s);
    EXPECT_TRUE(stopShownWhileWaiting);
    EXPECT_EQ(clock.now().time(), QTime(10, 5));
    EXPECT_EQ(lastScan(), u"12/07/2026 10:05 am"_s);
}

TEST_F(TimedWaitTest, TheDefaultStartTimeMeansFiveInTheAfternoon)
{
    duringYield = [this] {
        if (ui.status.startsWith(u"Waiting"_s))
            clock.advanceSeconds(59);
    };
    run();
    EXPECT_EQ(ui.statusHistory.value(0), u"Waiting until 05:00 p to scan..."_s);
    EXPECT_EQ(minuteOf(clock.now().time()), QTime(17, 0));
}

TEST_F(TimedWaitTest, StopDuringTheWaitEndsTheRunWithoutExitOrRepetition)
{
    settings.StartTime = u"11:00 pm"_s;
    boxes.setChecked(OptionBox::cbExit, true);
    int looks = 0;
    duringYield = [&] {
        if (++looks == 5)
            scanRun.Command2_Click();
    };
    const ScanRun::Outcome outcome = run();
    EXPECT_EQ(outcome.ending, Ending::StoppedWhileWaiting);
    EXPECT_EQ(ui.status, u"Scan terminated."_s);
    EXPECT_EQ(ui.quits, 0);
    EXPECT_FALSE(ui.stopVisible);
    EXPECT_FALSE(ui.waitCursor);
    EXPECT_FALSE(ui.busy);
    EXPECT_EQ(ui.beeps, 0);
    EXPECT_TRUE(rows(u"Detail"_s).isEmpty());
    EXPECT_EQ(lastScan(), u"<unset>"_s);

    // The stop was taken: the next run waits again.
    looks = -100;
    settings.StartTime = u"10:00 am"_s;
    EXPECT_EQ(run().ending, Ending::Completed);
}

TEST_F(TimedWaitTest, ARunThatCannotBeginAfterTheWaitLeavesTheWindowUsable)
{
    settings.StartTime = u"10:05 am"_s;
    // Another writer takes the file while the run waits, and holds it past the start time.
    AuditDatabase otherWriter;
    duringYield = [&] {
        if (!otherWriter.isOpen()) {
            ASSERT_FALSE(otherWriter.open(databaseFile.path, AuditDatabase::Access::ReadWrite).isError());
            ASSERT_FALSE(otherWriter.beginTransaction().isError());
        }
        clock.advanceSeconds(20);
    };
    const ScanRun::Outcome outcome = run();
    EXPECT_EQ(outcome.ending, Ending::Failed);
    EXPECT_EQ(ui.status, outcome.text);
    EXPECT_FALSE(ui.stopVisible);
    EXPECT_FALSE(ui.busy);
    EXPECT_FALSE(ui.waitCursor);

    // Once the other writer is done, the next run scans.
    duringYield = [&] { clock.advanceSeconds(20); };
    otherWriter.close();
    settings.StartTime = u"10:10 am"_s;
    EXPECT_EQ(run().ending, Ending::Completed);
    EXPECT_EQ(rows(u"Detail"_s).size(), 1);
}

TEST_F(TimedWaitTest, AStartTimeThatIsNoTimeWaitsForStop)
{
    settings.StartTime = u"whenever"_s;
    int looks = 0;
    duringYield = [&] {
        clock.advanceSeconds(600);
        if (++looks == 500)
            scanRun.Command2_Click();
    };
    EXPECT_EQ(run().ending, Ending::StoppedWhileWaiting);
    EXPECT_EQ(looks, 500);
}

} // namespace
} // namespace corvane::test
