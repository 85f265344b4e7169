#include "AuditDatabaseFixture.h"

#include "core/db/QueryCursor.h"

using namespace corvane;
using corvane::test::Fields;

namespace {

const QString dir = QStringLiteral("\\\\S\\V:DATA");

// Every statement the program runs, and some a user types, on a small data set: the rows
// must be those the original engine gives.
class StatementsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(database.open(temp.path, AuditDatabase::Access::ReadWrite).isError());
    }

    QList<QVariantList> rows(const QString& statement)
    {
        QueryCursor cursor(database);
        const DbError error = cursor.open(statement);
        EXPECT_FALSE(error.isError()) << statement.toStdString() << ": " << error.text().toStdString();
        QList<QVariantList> result;
        while (cursor.next())
            result.append(cursor.values());
        EXPECT_FALSE(cursor.error().isError()) << cursor.error().text().toStdString();
        return result;
    }
    qint64 count(const QString& statement)
    {
        const DbResult<QVariant> result = database.queryValue(statement);
        EXPECT_TRUE(result.ok()) << statement.toStdString() << ": " << result.error.text().toStdString();
        return result.value.toLongLong();
    }

    test::TempAuditDatabase temp;
    AuditDatabase database;
};

Fields event(const QString& column, const QVariant& when, const QString& directory = dir)
{
    return {{QStringLiteral("Directory"), directory},
            {column, when},
            {QStringLiteral("file"), QStringLiteral("f")}};
}

// The tally's five counts: from midnight of the scan date up to, not including, midnight of
// the next day, for one directory compared without regard to case.
TEST_F(StatementsTest, TheTallyCountsAHalfOpenDayPerDirectory)
{
    const QDate day(2026, 12, 7);
    const QList<std::pair<QString, QString>> dateTimeTables{
        {QStringLiteral("DeletedFiles"), QStringLiteral("Deleted")},
        {QStringLiteral("NewFiles"), QStringLiteral("Created")},
        {QStringLiteral("EditedFiles"), QStringLiteral("Edited")},
        {QStringLiteral("ArchivedFiles"), QStringLiteral("Archived")}};
    for (const auto& [table, column] : dateTimeTables) {
        test::appendRows(database, table,
                         {event(column, QDateTime(day.addDays(-1), QTime(23, 59, 59))),
                          event(column, QDateTime(day, QTime(0, 0))),
                          event(column, QDateTime(day, QTime(13, 0))),
                          event(column, QDateTime(day, QTime(23, 59, 59)), dir.toLower()),
                          event(column, QDateTime(day.addDays(1), QTime(0, 0))),
                          event(column, QDateTime(day, QTime(10, 0)), QStringLiteral("\\\\S\\V:OTHER"))});
    }
    test::appendRows(database, QStringLiteral("OpenedFiles"),
                     {event(QStringLiteral("Opened"), day.addDays(-1)), event(QStringLiteral("Opened"), day),
                      event(QStringLiteral("Opened"), day), event(QStringLiteral("Opened"), day.addDays(1))});

    const auto tally = [&](const QString& fragment, const QString& upper) {
        return count(QStringLiteral("SELECT COUNT(*) AS cnt FROM ") + fragment +
                     QStringLiteral("12/7/2026# AND ") + upper +
                     QStringLiteral("12/8/2026# AND Directory = '") + dir + QLatin1Char('\''));
    };
    EXPECT_EQ(tally(QStringLiteral("DeletedFiles WHERE Deleted >= #"), QStringLiteral("Deleted < #")), 3);
    EXPECT_EQ(tally(QStringLiteral("NewFiles WHERE Created >= #"), QStringLiteral("Created < #")), 3);
    EXPECT_EQ(tally(QStringLiteral("EditedFiles WHERE Edited >= #"), QStringLiteral("Edited < #")), 3);
    EXPECT_EQ(tally(QStringLiteral("OpenedFiles WHERE Opened >= #"), QStringLiteral("Opened < #")), 2);
    EXPECT_EQ(tally(QStringLiteral("ArchivedFiles WHERE Archived >= #"), QStringLiteral("Archived < #")), 3);

    // A directory with a quote in its name makes the statement invalid, not wrong.
    EXPECT_FALSE(
        database
            .queryValue(QStringLiteral("SELECT COUNT(*) AS cnt FROM NewFiles WHERE Directory = 'O'Brien'"))
            .ok());
}

// The same counts with the values bound: a quote in a directory name is just a character.
TEST_F(StatementsTest, BoundCountsNeedNoQuoting)
{
    const QDate day(2026, 12, 7);
    const QString quoteDir = QStringLiteral("\\\\S\\V:O'BRIEN");
    test::appendRows(database, QStringLiteral("NewFiles"),
                     {event(QStringLiteral("Created"), QDateTime(day, QTime(0, 0)), quoteDir),
                      event(QStringLiteral("Created"), QDateTime(day, QTime(23, 59, 59)), quoteDir.toLower()),
                      event(QStringLiteral("Created"), QDateTime(day.addDays(1), QTime(0, 0)), quoteDir)});
    test::appendRows(database, QStringLiteral("DirActivity"),
                     {{{QStringLiteral("Directory"), quoteDir}, {QStringLiteral("SysDate"), day}}});
    const DbResult<qint64> created = database.countRows(
        QStringLiteral("NewFiles"), {{QStringLiteral("Created"), Comparison::GreaterOrEqual, day},
                                     {QStringLiteral("Created"), Comparison::Less, day.addDays(1)},
                                     {QStringLiteral("Directory"), Comparison::Equal, quoteDir}});
    EXPECT_TRUE(created.ok());
    EXPECT_EQ(created.value, 2);
    EXPECT_EQ(database
                  .countRows(QStringLiteral("diractivity"),
                             {{QStringLiteral("sysdate"), Comparison::Equal, day},
                              {QStringLiteral("directory"), Comparison::Equal, quoteDir}})
                  .value,
              1);
    EXPECT_EQ(database.countRows(QStringLiteral("NewFiles"), {}).value, 3);
    EXPECT_TRUE(
        database.countRows(QStringLiteral("NewFiles"), {{QStringLiteral("Nope"), Comparison::Equal, 1}})
            .error.isError());
    EXPECT_EQ(database.countRows(QStringLiteral("Nowhere"), {}).error.number, DbErrorNumber::TableNotFound);
}

TEST_F(StatementsTest, TheDeletedDirectoryCountMatchesTheDayAlone)
{
    test::appendRows(database, QStringLiteral("DirActivity"),
                     {{{QStringLiteral("Directory"), dir}, {QStringLiteral("SysDate"), QDate(2026, 12, 6)}},
                      {{QStringLiteral("Directory"), dir}, {QStringLiteral("SysDate"), QDate(2026, 12, 7)}}});
    EXPECT_EQ(count(QStringLiteral("select COUNT(*) AS cnt from diractivity where sysdate = #12/7/2026# and "
                                   "directory = '") +
                    dir + QLatin1Char('\'')),
              1);
    EXPECT_EQ(count(QStringLiteral("select COUNT(*) AS cnt from diractivity where sysdate = #12/8/2026#")),
              0);
}

TEST_F(StatementsTest, FileActivityChartSumsTheDaysOfTheRangeBothEndsIncluded)
{
    const auto activity = [](const QString& directory, const QDate& day,
                             const QList<std::pair<QString, int>>& counts) {
        Fields fields{{QStringLiteral("Directory"), directory}, {QStringLiteral("SysDate"), day}};
        for (const auto& [column, n] : counts)
            fields.append({column, n});
        return fields;
    };
    test::appendRows(database, QStringLiteral("DirActivity"),
                     {activity(QStringLiteral("A"), QDate(2026, 12, 5), {{QStringLiteral("Deleted"), 9}}),
                      activity(QStringLiteral("A"), QDate(2026, 12, 6),
                               {{QStringLiteral("Deleted"), 1}, {QStringLiteral("Created"), 2}}),
                      activity(QStringLiteral("A"), QDate(2026, 12, 7),
                               {{QStringLiteral("Created"), 3}, {QStringLiteral("Modified"), 1}}),
                      activity(QStringLiteral("B"), QDate(2026, 12, 7),
                               {{QStringLiteral("Created"), 4}, {QStringLiteral("Opened"), 2}}),
                      activity(QStringLiteral("A"), QDate(2026, 12, 8), {{QStringLiteral("Archived"), 5}})});
    const QList<QVariantList> result = rows(QStringLiteral(
        "SELECT SysDate,SUM(Deleted) AS Deleted,SUM(Created) AS New,SUM(Modified) AS"
        " Modified, SUM(Opened) AS Opened, SUM(Archived) AS Archived FROM DirActivity "
        "WHERE SysDate >= #12/6/2026# AND SysDate <= #12/7/2026# GROUP BY SysDate ORDER BY SysDate"));
    ASSERT_EQ(result.size(), 2);
    EXPECT_EQ(result[0][0].toString().left(10), QStringLiteral("2026-12-06"));
    EXPECT_EQ(result[0][1].toInt(), 1);
    EXPECT_EQ(result[0][2].toInt(), 2);
    EXPECT_TRUE(result[0][3].isNull());
    EXPECT_EQ(result[1][0].toString().left(10), QStringLiteral("2026-12-07"));
    EXPECT_EQ(result[1][2].toInt(), 7);
    EXPECT_EQ(result[1][3].toInt(), 1);
    EXPECT_EQ(result[1][4].toInt(), 2);
    EXPECT_TRUE(result[1][5].isNull());
}

TEST_F(StatementsTest, PerUserChartTakesTheDayFromTheFirstTenCharactersAndMatchesTheName)
{
    const auto deleted = [](const QDateTime& when, const QString& user) {
        return Fields{{QStringLiteral("Directory"), dir},
                      {QStringLiteral("Deleted"), when},
                      {QStringLiteral("Deletor"), user}};
    };
    test::appendRows(database, QStringLiteral("DeletedFiles"),
                     {deleted(QDateTime(QDate(2026, 12, 6), QTime(10, 0)), QStringLiteral("ADMIN")),
                      deleted(QDateTime(QDate(2026, 12, 7), QTime(9, 0)), QStringLiteral("admin2")),
                      deleted(QDateTime(QDate(2026, 12, 7), QTime(9, 30)), QStringLiteral("JOE")),
                      deleted(QDateTime(QDate(2026, 12, 7), QTime(23, 59, 59)), QStringLiteral("SYSADMIN")),
                      deleted(QDateTime(QDate(2026, 12, 8), QTime(0, 0)), QStringLiteral("ADMIN"))});
    const QList<QVariantList> result = rows(QStringLiteral(
        "SELECT LEFT(Deleted,10) AS SysDate,COUNT(Deleted) As Deleted FROM DeletedFiles "
        "WHERE LEFT(Deleted,10) >= #12/6/2026# AND LEFT(Deleted,10) <= #12/7/2026# AND Deletor "
        "LIKE '*adm*' GROUP BY LEFT(Deleted,10) ORDER BY LEFT(Deleted,10)"));
    ASSERT_EQ(result.size(), 2);
    EXPECT_EQ(result[0][1].toInt(), 1);
    EXPECT_EQ(result[1][1].toInt(), 2);
}

TEST_F(StatementsTest, NewDirectoriesChartCountsPerDay)
{
    QList<Fields> newDirs;
    for (const auto& [name, day] : QList<std::pair<QString, int>>{{QStringLiteral("A"), 6},
                                                                  {QStringLiteral("B"), 7},
                                                                  {QStringLiteral("C"), 7},
                                                                  {QStringLiteral("D"), 8}})
        newDirs.append(
            {{QStringLiteral("Directory"), name}, {QStringLiteral("Created"), QDate(2026, 12, day)}});
    test::appendRows(database, QStringLiteral("NewDirs"), newDirs);
    const QList<QVariantList> result = rows(
        QStringLiteral("SELECT Created,COUNT(Created) As New FROM NewDirs WHERE Created >= #12/6/2026# AND "
                       "Created <= #12/7/2026# GROUP BY Created ORDER BY Created"));
    ASSERT_EQ(result.size(), 2);
    EXPECT_EQ(result[0][1].toInt(), 1);
    EXPECT_EQ(result[1][1].toInt(), 2);
}

TEST_F(StatementsTest, TypedStatementsWithJetConstructs)
{
    test::appendRows(database, QStringLiteral("NewFiles"),
                     {{{QStringLiteral("Directory"), dir},
                       {QStringLiteral("Created"), QDateTime(QDate(2026, 12, 7), QTime(9, 0))},
                       {QStringLiteral("owner"), QStringLiteral("SysAdmin")},
                       {QStringLiteral("file"), QStringLiteral("report1.txt")},
                       {QStringLiteral("Bytes"), 2048}},
                      {{QStringLiteral("Directory"), dir},
                       {QStringLiteral("Created"), QDateTime(QDate(2026, 11, 30), QTime(17, 45))},
                       {QStringLiteral("owner"), QStringLiteral("joe")},
                       {QStringLiteral("file"), QStringLiteral("notes.doc")}}});

    EXPECT_EQ(rows(QStringLiteral("select * from newfiles where Owner like '*adm*'")).size(), 1);
    EXPECT_EQ(rows(QStringLiteral("SELECT file FROM NewFiles WHERE file LIKE \"report#.txt\"")).size(), 1);
    EXPECT_EQ(rows(QStringLiteral("SELECT file FROM NewFiles WHERE file NOT LIKE '[a-m]*'")).size(), 2);
    EXPECT_EQ(rows(QStringLiteral("SELECT TOP 1 [file] FROM NewFiles ORDER BY Created DESC")),
              (QList<QVariantList>{{QStringLiteral("report1.txt")}}));
    // A column number past a "*" counts the table's columns, as the query window sorts.
    EXPECT_EQ(rows(QStringLiteral("SELECT TOP 1 * FROM NewFiles ORDER BY 4")).value(0).value(3),
              QStringLiteral("notes.doc"));
    EXPECT_EQ(rows(QStringLiteral("SELECT TOP 1 file, n.* FROM NewFiles AS n ORDER BY 3 DESC")).value(0).value(0),
              QStringLiteral("report1.txt"));
    EXPECT_EQ(rows(QStringLiteral(
                  "SELECT UCASE(owner) & ' / ' & file AS Who FROM NewFiles WHERE Created < #2026-12-01#")),
              (QList<QVariantList>{{QStringLiteral("JOE / notes.doc")}}));
    EXPECT_EQ(count(QStringLiteral(
                  "SELECT COUNT(*) FROM NewFiles WHERE YEAR(Created) = 2026 AND MONTH(Created) = 12 "
                  "AND IIF(ISNULL(Bytes), 0, Bytes) > 1000")),
              1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM NewFiles WHERE Created BETWEEN #11/30/2026# AND "
                                   "#12/7/2026 09:00:00#")),
              2);
}

TEST_F(StatementsTest, RejectedStatementsGiveNumberAndDescription)
{
    DbResult<QVariant> result = database.queryValue(QStringLiteral("SELECT COUNT(*) FROM Nowhere"));
    EXPECT_EQ(result.error.number, DbErrorNumber::TableNotFound);
    EXPECT_EQ(result.error.text(),
              QStringLiteral(
                  "Error -2147217865 : The database engine cannot find the input table or query 'Nowhere'. "
                  "Make sure it exists and that its name is spelled correctly."));
    EXPECT_EQ(database.execute(QStringLiteral("SELEC * FROM Detail")).number, DbErrorNumber::SyntaxError);
    EXPECT_EQ(database.execute(QString()).number, DbErrorNumber::SyntaxError);
    EXPECT_TRUE(database.execute(QStringLiteral("SELECT Nothing FROM Detail")).isError());

    // A second statement never runs, not even half of it.
    test::appendRows(database, QStringLiteral("Temp"), {{{QStringLiteral("Directory"), dir}}});
    EXPECT_TRUE(database.execute(QStringLiteral("SELECT * FROM Temp; DELETE * FROM Temp")).isError());
    EXPECT_EQ(test::rowCount(database, QStringLiteral("Temp")), 1);
}

} // namespace
