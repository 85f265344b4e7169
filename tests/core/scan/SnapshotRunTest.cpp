#include "ScanRunFixture.h"

#include "core/scan/Purges.h"

#include <QDir>

using namespace Qt::StringLiterals;
using Answer = corvane::UserInterfacePort::Answer;

namespace corvane::test {
namespace {

// The directory snapshot and the new and deleted directories over several scan days.
class SnapshotRunTest : public ScanRunTest
{
protected:
    void runOn(const QDate& day)
    {
        clock.set(QDateTime(day, QTime(10, 0)));
        ASSERT_EQ(run().ending, ScanRun::Ending::Completed) << ui.status.toStdString();
    }
    void removeFolder(const QString& relative)
    {
        QDir(network.path(u"vol1/"_s + relative)).removeRecursively();
    }
    static QString dir(const QString& relative) { return u"\\\\SRV1\\VOL1:"_s + relative; }
};

TEST_F(SnapshotRunTest, FirstRunSameDayRerunAndNextDay)
{
    writeFile(u"DOCS/A/X.DOC"_s);
    writeFile(u"DOCS/B/Y.DOC"_s);
    addPath(u"F:\\DOCS"_s);

    runOn(Day1);
    QStringList firstDay = column(u"Temp"_s, u"Directory"_s);
    firstDay.sort();
    EXPECT_EQ(firstDay, (QStringList{dir(u"DOCS\\A"_s), dir(u"DOCS\\B"_s)}));
    EXPECT_EQ(column(u"Temp"_s, u"Date"_s), QStringList(2, u"2026-12-07"_s));
    EXPECT_TRUE(rows(u"NewDirs"_s).isEmpty());
    EXPECT_TRUE(rows(u"DeletedDirs"_s).isEmpty());

    // The same day again: no comparison; the snapshot and the tally take in both runs' rows.
    ui.answers = {Answer::No};
    runOn(Day1);
    EXPECT_EQ(rows(u"Temp"_s).size(), 4);
    EXPECT_EQ(rows(u"DirActivity"_s).size(), 2 + 4);
    EXPECT_TRUE(rows(u"NewDirs"_s).isEmpty());
    EXPECT_TRUE(rows(u"DeletedDirs"_s).isEmpty());

    // The next day B is gone and C is new.
    removeFolder(u"DOCS/B"_s);
    writeFile(u"DOCS/C/Z.DOC"_s, Day2);
    runOn(Day2);
    EXPECT_TRUE(ui.questions.size() == 1) << "only the rerun asked";
    // The snapshot held B once per stretch of the two runs.
    EXPECT_EQ(column(u"DeletedDirs"_s, u"Directory"_s), QStringList(2, dir(u"DOCS\\B"_s)));
    EXPECT_EQ(column(u"DeletedDirs"_s, u"Deleted"_s), QStringList(2, u"2026-12-08"_s));
    EXPECT_EQ(column(u"NewDirs"_s, u"Directory"_s), QStringList{dir(u"DOCS\\C"_s)});
    EXPECT_EQ(column(u"NewDirs"_s, u"Created"_s), QStringList{u"2026-12-08"_s});
    QStringList secondDay = column(u"Temp"_s, u"Directory"_s);
    secondDay.sort();
    EXPECT_EQ(secondDay, (QStringList{dir(u"DOCS\\A"_s), dir(u"DOCS\\C"_s)}));
}

class StoredLastScanLine final : public LastScanLine
{
public:
    explicit StoredLastScanLine(const SettingsStore& store) : m_store(store) {}
    QString text() const override { return u"Last scan: "_s + m_store.get(u"System"_s, u"LastScan"_s, QString()); }
    void clear() override {}

private:
    const SettingsStore& m_store;
};

TEST_F(SnapshotRunTest, PurgeTodayThenARescanRecordsTheDaysDirectoryChangesAgain)
{
    const QDate day3(2026, 12, 9);
    writeFile(u"DOCS/A/X.DOC"_s);
    writeFile(u"DOCS/B/Y.DOC"_s);
    addPath(u"F:\\DOCS"_s);
    runOn(Day1);
    removeFolder(u"DOCS/B"_s);
    writeFile(u"DOCS/C/Z.DOC"_s, Day2);
    runOn(Day2);
    removeFolder(u"DOCS/A"_s);
    writeFile(u"DOCS/D/W.DOC"_s, day3);
    runOn(day3);
    const QList<QVariantMap> newDirs = rows(u"NewDirs"_s);
    const QList<QVariantMap> deletedDirs = rows(u"DeletedDirs"_s);
    ASSERT_EQ(column(u"NewDirs"_s, u"Directory"_s), (QStringList{dir(u"DOCS\\C"_s), dir(u"DOCS\\D"_s)}));

    StoredLastScanLine lastScanLine(store);
    ui.answers = {Answer::Yes};
    EXPECT_TRUE(Purges(ui, store, lastScanLine, clock, databaseFile.path).PurgeToday());
    // The snapshot the day's run compared with: the second day's directories.
    QStringList snapshot = column(u"Temp"_s, u"Directory"_s);
    snapshot.sort();
    EXPECT_EQ(snapshot, (QStringList{dir(u"DOCS\\A"_s), dir(u"DOCS\\C"_s)}));
    EXPECT_EQ(column(u"Temp"_s, u"Date"_s), QStringList(2, u"2026-12-08"_s));

    runOn(day3);
    EXPECT_EQ(rows(u"NewDirs"_s), newDirs);
    EXPECT_EQ(rows(u"DeletedDirs"_s), deletedDirs);
}

TEST_F(SnapshotRunTest, ADayWithoutFilesMissesEveryDirectoryAndKeepsTheSnapshot)
{
    writeFile(u"DOCS/A/X.DOC"_s);
    writeFile(u"DOCS/B/Y.DOC"_s);
    addPath(u"F:\\DOCS"_s);
    runOn(Day1);
    const QString firstStamp = lastScan();

    removeFolder(u"DOCS/A"_s);
    removeFolder(u"DOCS/B"_s);
    runOn(Day2);
    EXPECT_EQ(ui.status, u"No files found."_s);
    EXPECT_EQ(lastScan(), firstStamp);
    QStringList deleted = column(u"DeletedDirs"_s, u"Directory"_s);
    deleted.sort();
    EXPECT_EQ(deleted, (QStringList{dir(u"DOCS\\A"_s), dir(u"DOCS\\B"_s)}));
    EXPECT_EQ(column(u"Temp"_s, u"Date"_s), QStringList(2, u"2026-12-07"_s));

    // So the next day compares with the same snapshot again.
    writeFile(u"DOCS/A/X.DOC"_s, Day2);
    clock.set(QDateTime(Day2.addDays(1), QTime(10, 0)));
    run();
    EXPECT_EQ(column(u"DeletedDirs"_s, u"Directory"_s).count(dir(u"DOCS\\B"_s)), 2);
    EXPECT_EQ(column(u"DeletedDirs"_s, u"Directory"_s).count(dir(u"DOCS\\A"_s)), 1);
}

TEST_F(SnapshotRunTest, TwoStretchesOfOneDirectoryGiveTwoRowsAndStillMatchTheNextDay)
{
    writeFile(u"DOCS/A.DOC"_s);
    writeFile(u"DOCS/B.TXT"_s);
    writeFile(u"DOCS/SUB/C.DOC"_s);
    addPath(u"F:\\DOCS"_s, u"*.doc;*.txt"_s);
    runOn(Day1);
    // *.doc in DOCS, then in SUB, then *.txt in DOCS again.
    EXPECT_EQ(column(u"DirActivity"_s, u"Directory"_s),
              (QStringList{dir(u"DOCS"_s), dir(u"DOCS\\SUB"_s), dir(u"DOCS"_s)}));
    const QList<QVariantMap> activity = rows(u"DirActivity"_s);
    EXPECT_EQ(activity[0].value(u"Modified"_s), 2);
    EXPECT_EQ(activity[0], activity[2]);
    EXPECT_EQ(column(u"Temp"_s, u"Directory"_s),
              (QStringList{dir(u"DOCS"_s), dir(u"DOCS\\SUB"_s), dir(u"DOCS"_s)}));

    runOn(Day2);
    EXPECT_TRUE(rows(u"NewDirs"_s).isEmpty());
    EXPECT_TRUE(rows(u"DeletedDirs"_s).isEmpty());
}

TEST_F(SnapshotRunTest, ADirectoryWithAQuoteIsCountedAndCompared)
{
    writeFile(u"O'BRIEN/MEMO.DOC"_s);
    addPath(u"F:\\O'BRIEN"_s);
    runOn(Day1);
    const QList<QVariantMap> activity = rows(u"DirActivity"_s);
    ASSERT_EQ(activity.size(), 1);
    EXPECT_EQ(activity[0].value(u"Directory"_s), dir(u"O'BRIEN"_s));
    EXPECT_EQ(activity[0].value(u"Modified"_s), 1);
    EXPECT_EQ(activity[0].value(u"Opened"_s), 1);

    runOn(Day2);
    EXPECT_TRUE(rows(u"NewDirs"_s).isEmpty());
    EXPECT_TRUE(rows(u"DeletedDirs"_s).isEmpty());
    removeFolder(u"O'BRIEN"_s);
    writeFile(u"OTHER/MEMO.DOC"_s, Day2.addDays(1));
    addPath(u"F:\\OTHER"_s);
    runOn(Day2.addDays(1));
    EXPECT_EQ(column(u"DeletedDirs"_s, u"Directory"_s), QStringList{dir(u"O'BRIEN"_s)});
    EXPECT_EQ(column(u"NewDirs"_s, u"Directory"_s), QStringList{dir(u"OTHER"_s)});
}

TEST_F(SnapshotRunTest, OptionsThatBreakTheTableDependenciesSkipTheDirectorySteps)
{
    writeFile(u"DOCS/A.DOC"_s);
    addPath(u"F:\\DOCS"_s);
    seed("INSERT INTO Temp VALUES ('\\\\SRV1\\VOL1:OLD', '2026-12-06')");
    settings.setFlag(Flag::FileDetail, false); // DirActivity stays on
    runOn(Day1);
    EXPECT_TRUE(rows(u"DirActivity"_s).isEmpty());
    EXPECT_TRUE(rows(u"DeletedDirs"_s).isEmpty()) << "the missing tally must not make every directory vanish";
    EXPECT_EQ(column(u"Temp"_s, u"Directory"_s), QStringList{dir(u"OLD"_s)});
    EXPECT_EQ(rows(u"EditedFiles"_s).size(), 1);
}

} // namespace
} // namespace corvane::test
