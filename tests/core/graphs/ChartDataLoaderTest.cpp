#include "core/graphs/ChartDataLoader.h"

#include "core/db/AuditDatabaseFixture.h"
#include "core/graphs/GraphKinds.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

using Points = QList<std::optional<double>>;

// Range 01/30/03 to 02/01/03 with tallied days on the 30th, 31st and 1st, and rows just
// outside it on both sides.
class ChartDataLoaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AuditDatabase writer;
        ASSERT_FALSE(writer.open(temp.path, AuditDatabase::Access::ReadWrite).isError());
        test::appendRows(
            writer, u"DirActivity"_s,
            {tally(QDate(2003, 1, 29), u"SYS:\\A"_s, 9), tally(QDate(2003, 1, 30), u"SYS:\\A"_s, 1),
             tally(QDate(2003, 1, 30), u"SYS:\\B"_s, 10), tally(QDate(2003, 1, 31), u"SYS:\\A"_s, 2),
             tally(QDate(2003, 2, 1), u"SYS:\\A"_s, 3), tally(QDate(2003, 2, 2), u"SYS:\\A"_s, 9)});
        for (const EventTable& table : eventTables) {
            const auto event = [&table](const QDateTime& when, const QString& user) {
                return test::Fields{
                    {u"Directory"_s, u"SYS:\\A"_s}, {table.dateColumn, when}, {table.userColumn, user}};
            };
            test::appendRows(writer, table.name,
                             {event(QDateTime(QDate(2003, 1, 29), QTime(23, 59, 59)), u"ADM"_s),
                              event(QDateTime(QDate(2003, 1, 30), QTime(0, 0)), u"SYSADMIN"_s),
                              event(QDateTime(QDate(2003, 1, 30), QTime(18, 30)), u"jsmith"_s),
                              event(QDateTime(QDate(2003, 2, 1), QTime(23, 59, 59)), u"ADM"_s),
                              event(QDateTime(QDate(2003, 2, 1), QTime(8, 0)), u"O'Brien"_s),
                              event(QDateTime(QDate(2003, 2, 2), QTime(0, 0)), u"ADM"_s)});
        }
        for (const QString& table : {u"NewDirs"_s, u"DeletedDirs"_s}) {
            const QString column = table == u"NewDirs"_s ? u"Created"_s : u"Deleted"_s;
            test::appendRows(writer, table,
                             {{{column, QDate(2003, 1, 29)}},
                              {{column, QDate(2003, 1, 30)}},
                              {{column, QDate(2003, 1, 30)}},
                              {{column, QDate(2003, 2, 1)}},
                              {{column, QDate(2003, 2, 2)}}});
        }
    }

    // Every count of a day's tally row is a multiple of one number, so the sums tell the columns apart.
    static test::Fields tally(const QDate& day, const QString& directory, int count)
    {
        return {{u"SysDate"_s, day},       {u"Directory"_s, directory}, {u"Deleted"_s, count},
                {u"Created"_s, 2 * count}, {u"Modified"_s, 3 * count},  {u"Opened"_s, 4 * count},
                {u"Archived"_s, 5 * count}};
    }

    ChartDataLoad load(const QString& kind, const QString& user = QString(),
                       const QString& start = u"01/30/03"_s, const QString& end = u"02/01/03"_s) const
    {
        GraphChoice choice;
        choice.kind = kind;
        choice.startDate = start;
        choice.endDate = end;
        choice.userName = user;
        return loadChartData(buildGraphStatement(choice), temp.path);
    }

    static Points column(const ChartData& data, int series)
    {
        Points points;
        for (const Points& row : data.points)
            points.append(row.value(series));
        return points;
    }

    struct EventTable
    {
        QString kind;
        QString name;
        QString dateColumn;
        QString userColumn;
    };
    const QList<EventTable> eventTables = {
        {u"Deleted Files by User"_s, u"DeletedFiles"_s, u"Deleted"_s, u"Deletor"_s},
        {u"Edited Files by User"_s, u"EditedFiles"_s, u"Edited"_s, u"Editor"_s},
        {u"New Files by User"_s, u"NewFiles"_s, u"Created"_s, u"owner"_s},
        {u"Archived Files by User"_s, u"ArchivedFiles"_s, u"Archived"_s, u"Archivor"_s},
    };

    test::TempAuditDatabase temp;
};

} // namespace

TEST_F(ChartDataLoaderTest, FileActivityOverThreeDaysGivesThreeRowsFiveSeriesAndTwoLabels)
{
    const ChartDataLoad result = load(u"File Activity"_s);
    ASSERT_EQ(result.outcome, ChartDataLoad::Outcome::Loaded) << result.error.description.toStdString();
    const ChartData& data = result.data;
    EXPECT_EQ(data.columnLabels,
              QStringList({u"Deleted"_s, u"New"_s, u"Modified"_s, u"Opened"_s, u"Archived"_s}));
    EXPECT_EQ(data.rowLabels, QStringList({u"2003-01-30"_s, QString(), u"2003-02-01"_s}));
    ASSERT_EQ(data.points.size(), 3);
    EXPECT_EQ(data.points[0], Points({11.0, 22.0, 33.0, 44.0, 55.0}));
    EXPECT_EQ(column(data, 0), Points({11.0, 2.0, 3.0}));
}

TEST_F(ChartDataLoaderTest, ADayRangeGivesOneRowLabelledWithItsDate)
{
    const ChartDataLoad result = load(u"Opened Files"_s, {}, u"01/31/03"_s, u"01/31/03"_s);
    ASSERT_EQ(result.outcome, ChartDataLoad::Outcome::Loaded);
    EXPECT_EQ(result.data.columnLabels, QStringList{u"Opened"_s});
    EXPECT_EQ(result.data.rowLabels, QStringList{u"2003-01-31"_s});
    EXPECT_EQ(result.data.points, QList<Points>{Points{8.0}});
}

TEST_F(ChartDataLoaderTest, EveryDailyTotalSumsItsColumnPerDayOfTheRange)
{
    const QList<std::pair<QString, int>> totals = {{u"Deleted Files"_s, 1},
                                                   {u"New Files"_s, 2},
                                                   {u"Edited Files"_s, 3},
                                                   {u"Opened Files"_s, 4},
                                                   {u"Archived Files"_s, 5}};
    for (const auto& [kind, factor] : totals) {
        const ChartDataLoad result = load(kind);
        ASSERT_EQ(result.outcome, ChartDataLoad::Outcome::Loaded) << kind.toStdString();
        EXPECT_EQ(column(result.data, 0), Points({11.0 * factor, 2.0 * factor, 3.0 * factor}))
            << kind.toStdString();
    }
}

TEST_F(ChartDataLoaderTest, NewAndDeletedDirectoriesAreCountedPerDay)
{
    for (const QString& kind : {u"New Directories"_s, u"Deleted Directories"_s}) {
        const ChartDataLoad result = load(kind);
        ASSERT_EQ(result.outcome, ChartDataLoad::Outcome::Loaded) << kind.toStdString();
        EXPECT_EQ(result.data.rowLabels, QStringList({u"2003-01-30"_s, u"2003-02-01"_s}));
        EXPECT_EQ(column(result.data, 0), Points({2.0, 1.0}));
    }
}

TEST_F(ChartDataLoaderTest, PerUserGraphsCountEventsPerDayOfTheirTime)
{
    for (const EventTable& table : eventTables) {
        const ChartDataLoad everyone = load(table.kind);
        ASSERT_EQ(everyone.outcome, ChartDataLoad::Outcome::Loaded)
            << table.kind.toStdString() << ": " << everyone.error.description.toStdString();
        EXPECT_EQ(everyone.data.rowLabels, QStringList({u"2003-01-30"_s, u"2003-02-01"_s}))
            << table.kind.toStdString();
        EXPECT_EQ(column(everyone.data, 0), Points({2.0, 2.0})) << table.kind.toStdString();

        // "adm" is contained in SYSADMIN too, whatever the case.
        const ChartDataLoad adm = load(table.kind, u"adm"_s);
        ASSERT_EQ(adm.outcome, ChartDataLoad::Outcome::Loaded) << table.kind.toStdString();
        EXPECT_EQ(column(adm.data, 0), Points({1.0, 1.0})) << table.kind.toStdString();

        const ChartDataLoad apostrophe = load(table.kind, u"O'Brien"_s);
        ASSERT_EQ(apostrophe.outcome, ChartDataLoad::Outcome::Loaded)
            << apostrophe.error.description.toStdString();
        EXPECT_EQ(apostrophe.data.rowLabels, QStringList{u"2003-02-01"_s});
        EXPECT_EQ(load(table.kind, u"nobody"_s).outcome, ChartDataLoad::Outcome::NoRows);
    }
}

TEST_F(ChartDataLoaderTest, ACustomStatementGivesOneSeriesPerFieldAfterTheFirst)
{
    const ChartDataLoad two = loadChartData(
        u"SELECT Directory, SUM(Deleted) AS D, SUM(Opened) AS O FROM DirActivity GROUP BY Directory"_s,
        temp.path);
    ASSERT_EQ(two.outcome, ChartDataLoad::Outcome::Loaded);
    EXPECT_EQ(two.data.columnLabels, QStringList({u"D"_s, u"O"_s}));
    EXPECT_EQ(two.data.rowLabels, QStringList({u"SYS:\\A"_s, u"SYS:\\B"_s}));
    EXPECT_EQ(two.data.points, QList<Points>({Points{24.0, 96.0}, Points{10.0, 40.0}}));

    const ChartDataLoad single =
        loadChartData(u"SELECT SysDate FROM DirActivity ORDER BY SysDate"_s, temp.path);
    ASSERT_EQ(single.outcome, ChartDataLoad::Outcome::Loaded);
    EXPECT_EQ(single.data.columnCount(), 0);
    EXPECT_EQ(single.data.rowLabels, QStringList({u"2003-01-29"_s, {}, {}, {}, {}, u"2003-02-02"_s}));
}

TEST_F(ChartDataLoaderTest, AFieldThatIsNoNumberLeavesItsPointUnset)
{
    const ChartDataLoad result = loadChartData(
        u"SELECT SysDate, Directory, Deleted FROM DirActivity WHERE SysDate = #01/31/03#"_s, temp.path);
    ASSERT_EQ(result.outcome, ChartDataLoad::Outcome::Loaded);
    EXPECT_EQ(result.data.points, QList<Points>{Points({std::nullopt, 2.0})});
    EXPECT_EQ(chartPoint(u" 12.5 "_s), 12.5);
    EXPECT_EQ(chartPoint(QVariant()), std::nullopt);
    EXPECT_EQ(chartPoint(u"nan"_s), std::nullopt);
    EXPECT_EQ(chartPoint(QVariant(qlonglong(7))), 7.0);
}

TEST_F(ChartDataLoaderTest, NoTalliedDayInTheRangeGivesNoRows)
{
    EXPECT_EQ(load(u"File Activity"_s, {}, u"03/01/03"_s, u"03/31/03"_s).outcome,
              ChartDataLoad::Outcome::NoRows);
}

TEST_F(ChartDataLoaderTest, AStatementThatCannotRunGivesItsError)
{
    for (const QString& statement : {u"SELECT FROM WHERE"_s, u"SELECT * FROM Nowhere"_s, QString()}) {
        const ChartDataLoad result = loadChartData(statement, temp.path);
        EXPECT_EQ(result.outcome, ChartDataLoad::Outcome::Failed) << statement.toStdString();
        EXPECT_FALSE(result.error.description.isEmpty()) << statement.toStdString();
    }
    const ChartDataLoad missing =
        loadChartData(u"SELECT * FROM DirActivity"_s, temp.folder.filePath(u"no.mdb"_s));
    EXPECT_EQ(missing.outcome, ChartDataLoad::Outcome::Failed);
}
