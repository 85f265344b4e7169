#include "core/db/AuditDatabaseFixture.h"
#include "core/scan/DailyTally.h"
#include "core/scan/DetailStretches.h"
#include "core/scan/DirectoryTracking.h"
#include "core/scan/RunTables.h"
#include "core/settings/ScanSettings.h"
#include "mock/FakeUserInterface.h"

#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

// The tally, the directory comparison and the snapshot rebuild over rows written by hand, on
// the scan date 12/7/2026.
class DirectoryStepsTest : public ::testing::Test
{
protected:
    DirectoryStepsTest()
    {
        for (const FlagKey& key : flagKeys())
            settings.setFlag(key.flag, key.defaultValue);
        EXPECT_FALSE(database.open(databaseFile.path, AuditDatabase::Access::ReadWrite).isError());
    }

    void seed(const QString& statements)
    {
        for (const QString& statement : statements.split(u';', Qt::SkipEmptyParts))
            ASSERT_FALSE(database.execute(statement).isError()) << statement.toStdString();
    }
    // Detail rows of the given days and directories, in this order.
    void detailRows(const QList<std::pair<const char*, const char*>>& dayAndDirectory)
    {
        for (const auto& [day, directory] : dayAndDirectory)
            seed(u"INSERT INTO Detail (Directory, SysDate, file) VALUES ('%1', #%2#, 'f')"_s.arg(
                QString::fromUtf8(directory).replace(u"'"_s, u"''"_s), QString::fromUtf8(day)));
    }
    void open() { tables.open(settings); }

    // Each row as its columns joined by "|", an empty text for a column without a value.
    QStringList table(const QString& name, const QString& columns)
    {
        QSqlQuery query(database.connection());
        EXPECT_TRUE(query.exec(u"SELECT "_s + columns + u" FROM "_s + name + u" ORDER BY rowid"_s));
        QStringList result;
        while (query.next()) {
            QStringList values;
            for (int i = 0; i < columns.count(u',') + 1; ++i)
                values.append(query.value(i).toString());
            result.append(values.join(u'|'));
        }
        return result;
    }

    static inline const QDate ScanDate{2026, 12, 7};

    TempAuditDatabase databaseFile;
    AuditDatabase database;
    ScanSettings settings;
    FakeUserInterface ui;
    bool stop = false;
    RunTables tables{database};
    DatabaseUpdate update{database, tables, ScanDate, stop, ui};
};

TEST_F(DirectoryStepsTest, EveryStretchOfADirectoryGetsARowWithTheDaysCounts)
{
    detailRows({{"12/6/2026", "\\\\S\\V:A"},
                {"12/7/2026", "\\\\S\\V:A"},
                {"12/7/2026", "\\\\S\\V:A"},
                {"12/7/2026", "\\\\S\\V:B"},
                {"12/7/2026", "\\\\S\\V:A"},
                {"12/8/2026", "\\\\S\\V:C"}});
    seed(u"INSERT INTO NewFiles (Directory, Created) VALUES ('\\\\S\\V:A', #12/7/2026#);"
         "INSERT INTO NewFiles (Directory, Created) VALUES ('\\\\S\\V:A', #12/7/2026 23:59:59#);"
         "INSERT INTO NewFiles (Directory, Created) VALUES ('\\\\S\\V:A', #12/8/2026#);"
         "INSERT INTO NewFiles (Directory, Created) VALUES ('\\\\S\\V:A', #12/6/2026 23:59:59#);"
         "INSERT INTO OpenedFiles (Directory, Opened) VALUES ('\\\\S\\V:A', #12/7/2026#);"
         "INSERT INTO EditedFiles (Directory, Edited) VALUES ('\\\\S\\V:B', #12/7/2026 10:00#);"
         "INSERT INTO DeletedFiles (Directory, Deleted) VALUES ('\\\\S\\V:B', #12/7/2026 11:00#);"
         "INSERT INTO ArchivedFiles (Directory, Archived) VALUES ('\\\\S\\V:A', #12/7/2026 18:00#)"_s);
    open();
    TallyDirectoryActivity(update);
    EXPECT_EQ(table(u"DirActivity"_s, u"Directory, SysDate, Deleted, Created, Modified, Opened, Archived"_s),
              (QStringList{u"\\\\S\\V:A|2026-12-07||2||1|1"_s, u"\\\\S\\V:B|2026-12-07|1||1||"_s,
                           u"\\\\S\\V:A|2026-12-07||2||1|1"_s}));
    EXPECT_EQ(ui.yields, 3) << "once per stretch";
}

// A run that writes the day's first Detail rows hands the tally and the snapshot the stretches it
// recorded while appending: they must be the ones the walk reads back from the table, quirks and
// all (an empty directory first continues the empty "previous" one; case counts).
TEST_F(DirectoryStepsTest, RecordedStretchesAreTheOnesTheWalkReadsBack)
{
    const QList<std::pair<const char*, const char*>> rows{
        {"12/7/2026", ""},  {"12/7/2026", "A"}, {"12/7/2026", "A"}, {"12/7/2026", "a"},
        {"12/7/2026", "B"}, {"12/7/2026", ""},  {"12/7/2026", "A"}};
    detailRows(rows);
    seed(u"INSERT INTO NewFiles (Directory, Created) VALUES ('a', #12/7/2026 9:00#)"_s);
    open();
    ASSERT_FALSE(tables.temp().open(u"Temp"_s).isError());
    TallyDirectoryActivity(update);
    RebuildSnapshot(update);
    const QStringList walked = table(u"DirActivity"_s, u"Directory, Created"_s);
    const QStringList walkedSnapshot = table(u"Temp"_s, u"Directory, Date"_s);
    seed(u"DELETE * FROM DirActivity"_s);

    StretchRecorder recorder;
    for (const auto& row : rows)
        recorder.add(QString::fromUtf8(row.second));
    update.recordedStretches = &recorder;
    ui.yields = 0;
    TallyDirectoryActivity(update);
    RebuildSnapshot(update);
    EXPECT_EQ(table(u"DirActivity"_s, u"Directory, Created"_s), walked);
    EXPECT_EQ(walked, (QStringList{u"A|1"_s, u"a|1"_s, u"B|"_s, u"|"_s, u"A|1"_s}));
    EXPECT_EQ(table(u"Temp"_s, u"Directory, Date"_s), walkedSnapshot);
    EXPECT_EQ(ui.yields, 10) << "once per stretch, in each of the two steps";
}

TEST_F(DirectoryStepsTest, ARecordingOfNoRowsKeepsTheSnapshotAndOneOfOnlyEmptyDirectoriesEmptiesIt)
{
    seed(u"INSERT INTO Temp VALUES ('OLD', #12/6/2026#)"_s);
    open();
    StretchRecorder none;
    update.recordedStretches = &none;
    RebuildSnapshot(update);
    EXPECT_EQ(table(u"Temp"_s, u"Directory"_s), QStringList{u"OLD"_s});

    StretchRecorder onlyEmpty;
    onlyEmpty.add(QString());
    update.recordedStretches = &onlyEmpty;
    RebuildSnapshot(update);
    EXPECT_TRUE(table(u"Temp"_s, u"Directory"_s).isEmpty()) << "as the walk does: the day has rows";
}

TEST_F(DirectoryStepsTest, ARecordingStopsKeepingStretchesPastItsBound)
{
    StretchRecorder recorder;
    for (int i = 0; i < 50000; ++i)
        recorder.add(QString::number(i));
    EXPECT_TRUE(recorder.complete());
    recorder.add(u"one more"_s);
    EXPECT_FALSE(recorder.complete());
    EXPECT_TRUE(recorder.directories().isEmpty()) << "the day is read back instead";
}

// Only a day without Detail rows of its own or of a later day is recorded: rows of a later day
// (the clock set back) end the walk before the run's own rows.
TEST_F(DirectoryStepsTest, RowsOfTheScanDateOrALaterDayAreSeenBeforeTheRun)
{
    EXPECT_FALSE(hasDetailRowsFrom(update));
    detailRows({{"12/6/2026", "EARLIER"}});
    EXPECT_FALSE(hasDetailRowsFrom(update));
    detailRows({{"12/8/2026", "LATER"}});
    EXPECT_TRUE(hasDetailRowsFrom(update));
}

TEST_F(DirectoryStepsTest, TheScanDatesRowsEndAtTheFirstRowWithoutTheScanDate)
{
    detailRows({{"12/7/2026", "A"}, {"12/7/2026", "B"}});
    seed(u"INSERT INTO Detail (Directory, file) VALUES ('NO DAY', 'f')"_s);
    detailRows({{"12/7/2026", "C"}});
    open();
    TallyDirectoryActivity(update);
    EXPECT_EQ(table(u"DirActivity"_s, u"Directory"_s), (QStringList{u"A"_s, u"B"_s}));
}

TEST_F(DirectoryStepsTest, ADirectoryWithAQuoteIsCountedLikeAnyOther)
{
    detailRows({{"12/7/2026", "\\\\S\\V:O'BRIEN"}});
    seed(u"INSERT INTO NewFiles (Directory, Created) VALUES ('\\\\S\\V:O''BRIEN', #12/7/2026 9:00#)"_s);
    open();
    TallyDirectoryActivity(update);
    EXPECT_EQ(table(u"DirActivity"_s, u"Directory, Created"_s), QStringList{u"\\\\S\\V:O'BRIEN|1"_s});
}

TEST_F(DirectoryStepsTest, NoTallyWhenTheFirstRowFromTheScanDateIsOfALaterDay)
{
    detailRows({{"12/8/2026", "\\\\S\\V:LATER"}, {"12/7/2026", "\\\\S\\V:A"}});
    open();
    TallyDirectoryActivity(update);
    RebuildSnapshot(update);
    EXPECT_TRUE(table(u"DirActivity"_s, u"Directory"_s).isEmpty());
}

TEST_F(DirectoryStepsTest, AStopEndsTheTallyAtTheNextRow)
{
    detailRows({{"12/7/2026", "A"}, {"12/7/2026", "B"}, {"12/7/2026", "C"}});
    ui.onYield = [this] { stop = ui.yields == 2; };
    open();
    TallyDirectoryActivity(update);
    EXPECT_EQ(table(u"DirActivity"_s, u"Directory"_s), (QStringList{u"A"_s, u"B"_s}));
}

TEST_F(DirectoryStepsTest, SnapshotDirectoriesMissedTodayAreDeletedAndOnlyTodaysNewOnesAreNew)
{
    seed(u"INSERT INTO Temp VALUES ('A', #12/6/2026#);"
         "INSERT INTO Temp VALUES ('B', #12/6/2026#);"
         "INSERT INTO Temp VALUES ('O''BRIEN', #12/6/2026#);"
         "INSERT INTO DirActivity (Directory, SysDate) VALUES ('OLD', #12/1/2026#);"
         "INSERT INTO DirActivity (Directory, SysDate) VALUES ('B', #12/6/2026#);"
         "INSERT INTO DirActivity (Directory, SysDate) VALUES ('A', #12/7/2026#);"
         "INSERT INTO DirActivity (Directory, SysDate) VALUES ('O''BRIEN', #12/7/2026#);"
         "INSERT INTO DirActivity (Directory, SysDate) VALUES ('C', #12/7/2026#);"
         "INSERT INTO DirActivity (Directory, SysDate) VALUES ('C', #12/7/2026#)"_s);
    open();
    CompareDirectories(update);
    EXPECT_EQ(table(u"DeletedDirs"_s, u"Directory, Deleted"_s), QStringList{u"B|2026-12-07"_s});
    // OLD had activity on an earlier day only and is not reported again; C has two rows today.
    EXPECT_EQ(table(u"NewDirs"_s, u"Directory, Created"_s),
              (QStringList{u"C|2026-12-07"_s, u"C|2026-12-07"_s}));
}

TEST_F(DirectoryStepsTest, ASnapshotOfTheScanDateIsNotCompared)
{
    seed(u"INSERT INTO Temp VALUES ('A', #12/7/2026#);"
         "INSERT INTO DirActivity (Directory, SysDate) VALUES ('B', #12/7/2026#)"_s);
    open();
    CompareDirectories(update);
    EXPECT_TRUE(table(u"DeletedDirs"_s, u"Directory"_s).isEmpty());
    EXPECT_TRUE(table(u"NewDirs"_s, u"Directory"_s).isEmpty());
}

TEST_F(DirectoryStepsTest, EachPassNeedsItsTable)
{
    seed(u"INSERT INTO Temp VALUES ('A', #12/6/2026#);"
         "INSERT INTO DirActivity (Directory, SysDate) VALUES ('B', #12/7/2026#)"_s);
    settings.setFlag(Flag::DeletedDirs, false);
    open();
    CompareDirectories(update);
    EXPECT_TRUE(table(u"DeletedDirs"_s, u"Directory"_s).isEmpty());
    EXPECT_EQ(table(u"NewDirs"_s, u"Directory"_s), QStringList{u"B"_s});
}

TEST_F(DirectoryStepsTest, TheSnapshotIsRebuiltFromTheScanDatesStretches)
{
    seed(u"INSERT INTO Temp VALUES ('OLD', #12/6/2026#)"_s);
    detailRows(
        {{"12/6/2026", "X"}, {"12/7/2026", "A"}, {"12/7/2026", "A"}, {"12/7/2026", "B"}, {"12/7/2026", "A"}});
    open();
    CompareDirectories(update); // opens the snapshot
    RebuildSnapshot(update);
    EXPECT_EQ(table(u"Temp"_s, u"Directory, Date"_s),
              (QStringList{u"A|2026-12-07"_s, u"B|2026-12-07"_s, u"A|2026-12-07"_s}));
}

TEST_F(DirectoryStepsTest, WithoutRowsOfTheScanDateTheSnapshotStays)
{
    seed(u"INSERT INTO Temp VALUES ('OLD', #12/6/2026#)"_s);
    detailRows({{"12/6/2026", "X"}});
    open();
    CompareDirectories(update);
    RebuildSnapshot(update);
    EXPECT_EQ(table(u"Temp"_s, u"Directory"_s), QStringList{u"OLD"_s});
}

TEST_F(DirectoryStepsTest, WithDirActivityOffTheRebuildOnlyEmptiesTheSnapshot)
{
    seed(u"INSERT INTO Temp VALUES ('OLD', #12/6/2026#)"_s);
    detailRows({{"12/7/2026", "A"}});
    open(); // the comparison is not made, so the snapshot's row set stays closed
    RebuildSnapshot(update);
    EXPECT_TRUE(table(u"Temp"_s, u"Directory"_s).isEmpty());
}

} // namespace
} // namespace corvane::test
