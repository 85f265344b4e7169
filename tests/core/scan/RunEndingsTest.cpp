#include "ScanRunFixture.h"

#include <QFile>

using namespace Qt::StringLiterals;
using Ending = corvane::ScanRun::Ending;

namespace corvane::test {
namespace {

// Stop during scanning and updating, the repetitions of Keep running, and the byte total.
class RunEndingsTest : public ScanRunTest
{
protected:
    RunEndingsTest()
    {
        for (int i = 0; i < 20; ++i)
            writeFile(u"DOCS/SUB%1/FILE%2.DOC"_s.arg(i % 4).arg(i));
        addPath(u"F:\\DOCS"_s);
    }

    // Presses Stop at the given yield after scanning began.
    void stopAtYield(int yield)
    {
        duringYield = [this, yield, yields = 0]() mutable {
            if (scanningTexts() > 0 && ++yields == yield)
                scanRun.Command2_Click();
        };
    }

    bool nothingRecorded()
    {
        for (const QString& table : {u"Detail"_s, u"NewFiles"_s, u"OpenedFiles"_s, u"EditedFiles"_s,
                                     u"DirActivity"_s, u"Temp"_s, u"NewDirs"_s}) {
            if (!rows(table).isEmpty())
                return false;
        }
        return true;
    }
};

TEST_F(RunEndingsTest, StopWhileScanningRollsEverythingBack)
{
    stopAtYield(5);
    const ScanRun::Outcome outcome = run();
    EXPECT_EQ(outcome.ending, Ending::Stopped);
    EXPECT_EQ(outcome.text, u"Scan terminated."_s);
    EXPECT_EQ(ui.status, u"Scan terminated."_s);
    EXPECT_TRUE(nothingRecorded());
    EXPECT_EQ(lastScan(), u"<unset>"_s);
    EXPECT_FALSE(ui.stopVisible);
    EXPECT_FALSE(ui.busy);
    EXPECT_EQ(ui.beeps, 1);
    // The stop was taken: the next run records.
    duringYield = nullptr;
    EXPECT_EQ(run().ending, Ending::Completed);
    EXPECT_EQ(rows(u"Detail"_s).size(), 20);
}

TEST_F(RunEndingsTest, StopWhileUpdatingRollsBackTheScanToo)
{
    seed("INSERT INTO Temp VALUES ('\\\\SRV1\\VOL1:GONE', '2026-12-06')");
    duringYield = [this] {
        if (ui.status == u"Updating database..."_s)
            scanRun.Command2_Click();
    };
    EXPECT_EQ(run().ending, Ending::Stopped);
    EXPECT_TRUE(rows(u"Detail"_s).isEmpty());
    EXPECT_TRUE(rows(u"DeletedDirs"_s).isEmpty());
    EXPECT_EQ(column(u"Temp"_s, u"Directory"_s), QStringList{u"\\\\SRV1\\VOL1:GONE"_s});
}

TEST_F(RunEndingsTest, AutoExitFollowsAStoppedRunToo)
{
    boxes.setChecked(OptionBox::cbExit, true);
    stopAtYield(3);
    EXPECT_EQ(run().ending, Ending::Stopped);
    EXPECT_EQ(ui.quits, 1);
    duringYield = nullptr;
    EXPECT_EQ(run().ending, Ending::Completed);
    EXPECT_EQ(ui.quits, 2);
}

TEST_F(RunEndingsTest, KeepRunningRepeatsAStoppedRunAfterAMinute)
{
    boxes.setChecked(OptionBox::cbKeepRunning, true); // hidden: auto-start is off
    const QString topFolder = u"Scanning F:\\DOCS\\*.*..."_s;
    bool stopped = false;
    QDateTime pauseStart;
    QDateTime secondRunStart;
    duringYield = [&] {
        if (ui.status.endsWith(u"Please wait..."_s)) {
            if (!pauseStart.isValid())
                pauseStart = clock.now();
            clock.advanceSeconds(7);
            return;
        }
        const qsizetype runs = ui.statusHistory.count(topFolder);
        if (runs == 1 && !stopped) {
            stopped = true;
            scanRun.Command2_Click();
        }
        if (runs == 2 && !secondRunStart.isValid())
            secondRunStart = clock.now();
        ui.closing = runs == 2;
    };
    EXPECT_EQ(run().ending, Ending::Completed);
    EXPECT_EQ(ui.statusHistory.count(topFolder), 2);
    EXPECT_GE(pauseStart.secsTo(secondRunStart), 60);
    EXPECT_LE(pauseStart.secsTo(secondRunStart), 60 + 2 * 7);
    EXPECT_TRUE(ui.statusHistory.contains(u"Scan terminated.\r\nPausing for one minute. Please wait..."_s));
    // The pause keeps the window busy; the repetition ends when the window is closed.
    EXPECT_EQ(ui.busyHistory.count(false), 1);
    EXPECT_FALSE(ui.busy);
    EXPECT_EQ(rows(u"Detail"_s).size(), 20);
}

TEST_F(RunEndingsTest, APauseAcrossMidnightLastsItsMinuteAndTheNextDayIsCompared)
{
    clock.set(QDateTime(Day1, QTime(23, 59, 40)));
    boxes.setChecked(OptionBox::cbKeepRunning, true);
    QList<QDateTime> marks; // pause start, next run's first yield, next pause start
    duringYield = [&] {
        if (ui.status.endsWith(u"Please wait..."_s)) {
            if (marks.size() % 2 == 0)
                marks.append(clock.now());
            clock.advanceSeconds(9);
        } else if (marks.size() % 2 == 1) {
            marks.append(clock.now());
        }
        ui.closing = marks.size() >= 2;
    };
    EXPECT_EQ(run().ending, Ending::Completed);
    ASSERT_GE(marks.size(), 2);
    EXPECT_EQ(marks[1].date(), Day2);
    EXPECT_GE(marks[0].secsTo(marks[1]), 60);
    EXPECT_LE(marks[0].secsTo(marks[1]), 60 + 2 * 9);
    // The next day asks nothing, and compares with the first day's snapshot.
    EXPECT_TRUE(ui.questions.isEmpty());
    QStringList days = column(u"Detail"_s, u"SysDate"_s);
    days.removeDuplicates();
    EXPECT_EQ(days, (QStringList{u"2026-12-07"_s, u"2026-12-08"_s}));
    EXPECT_TRUE(rows(u"NewDirs"_s).isEmpty());
    EXPECT_TRUE(rows(u"DeletedDirs"_s).isEmpty());
    EXPECT_EQ(column(u"Temp"_s, u"Date"_s).value(0), u"2026-12-08"_s);
}

TEST_F(RunEndingsTest, ARepeatedRunAsksTheSameDayQuestionWhenKeepRunningIsHidden)
{
    boxes.setChecked(OptionBox::cbKeepRunning, true);
    duringYield = [this] {
        if (ui.status.endsWith(u"Please wait..."_s))
            clock.advanceSeconds(30);
    };
    // Yes (the default) ends the repetition, and the window becomes idle.
    EXPECT_EQ(run().ending, Ending::AlreadyScannedToday);
    EXPECT_EQ(ui.questions.size(), 1);
    EXPECT_EQ(ui.busyHistory, (QList<bool>{true, false}));
    EXPECT_FALSE(ui.busy);
    EXPECT_FALSE(ui.waitCursor);
}

class ByteTotalTest : public ScanRunTest
{
protected:
    void sparseFile(const QString& relative, qint64 size)
    {
        network.writeFile(u"vol1/"_s + relative, "");
        ASSERT_TRUE(QFile::resize(network.path(u"vol1/"_s + relative), size));
    }
};

TEST_F(ByteTotalTest, AnAdditionPastTheLargestTotalIsDropped)
{
    sparseFile(u"A/BIG.DAT"_s, qint64{1} << 30);
    sparseFile(u"B/BIG.DAT"_s, qint64{1} << 30);
    sparseFile(u"C/SMALL.DAT"_s, 2048);
    for (const QString& folder : {u"A"_s, u"B"_s, u"C"_s})
        addPath(u"F:\\"_s + folder);
    run();
    // 2,147,483,648 does not fit: the total stays at the first gigabyte, then grows by 2 KB.
    EXPECT_EQ(ui.status, u"3 files found. Total of 1,048,578.0 KB."_s);
}

TEST_F(ByteTotalTest, TheLargestTotalItselfIsKept)
{
    sparseFile(u"A/BIG.DAT"_s, qint64{1} << 30);
    sparseFile(u"B/BIG.DAT"_s, (qint64{1} << 30) - 1);
    addPath(u"F:\\A"_s);
    addPath(u"F:\\B"_s);
    run();
    EXPECT_EQ(ui.status, u"2 files found. Total of 2,097,152.0 KB."_s);
}

} // namespace
} // namespace corvane::test
