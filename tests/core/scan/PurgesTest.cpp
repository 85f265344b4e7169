#include "core/db/AuditDatabaseFixture.h"

#include "core/db/AuditTables.h"
#include "core/scan/Purges.h"
#include "core/settings/SettingsStore.h"
#include "mock/FakeClock.h"
#include "mock/FakeUserInterface.h"
#include "mock/TempRegistry.h"

#include <sqlite3.h>

using namespace corvane;
using corvane::test::Fields;
using Answer = UserInterfacePort::Answer;

namespace {

const QDate today(2026, 12, 7);
const QDate yesterday(2026, 12, 6);

class FakeLastScanLine final : public LastScanLine
{
public:
    QString text() const override { return line; }
    void clear() override { line.clear(); }

    QString line = QStringLiteral("Last scan: 12/07/2026 09:15 am");
};

Fields at(const QString& column, const QVariant& value,
          const QString& directory = QStringLiteral("\\\\S\\V:D"))
{
    return {{QStringLiteral("Directory"), directory}, {column, value}};
}

class PurgesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        settings.save(QStringLiteral("System"), QStringLiteral("LastScan"),
                      QStringLiteral("12/07/2026 09:15 am"));
        ASSERT_FALSE(database.open(temp.path, AuditDatabase::Access::ReadWrite).isError());
    }

    // Rows of yesterday and today in every table; the event tables also late today.
    void fillTwoDays()
    {
        const QDateTime lateToday(today, QTime(23, 59, 59));
        const QDateTime lateYesterday(yesterday, QTime(23, 59, 59));
        test::appendRows(database, QStringLiteral("Detail"),
                         {at(QStringLiteral("SysDate"), yesterday), at(QStringLiteral("SysDate"), today)});
        for (const auto& [table, column] : QList<std::pair<QString, QString>>{
                 {QStringLiteral("NewFiles"), QStringLiteral("Created")},
                 {QStringLiteral("DeletedFiles"), QStringLiteral("Deleted")},
                 {QStringLiteral("EditedFiles"), QStringLiteral("Edited")},
                 {QStringLiteral("ArchivedFiles"), QStringLiteral("Archived")}}) {
            test::appendRows(database, table,
                             {at(column, lateYesterday), at(column, QDateTime(today, QTime(0, 0))),
                              at(column, lateToday)});
        }
        test::appendRows(database, QStringLiteral("OpenedFiles"),
                         {at(QStringLiteral("Opened"), yesterday), at(QStringLiteral("Opened"), today)});
        for (const auto& [table, column] :
             QList<std::pair<QString, QString>>{{QStringLiteral("DeletedDirs"), QStringLiteral("Deleted")},
                                                {QStringLiteral("NewDirs"), QStringLiteral("Created")},
                                                {QStringLiteral("DirActivity"), QStringLiteral("SysDate")},
                                                {QStringLiteral("Temp"), QStringLiteral("Date")}})
            test::appendRows(database, table, {at(column, yesterday), at(column, today)});
    }

    QString lastScan() const
    {
        return settings.get(QStringLiteral("System"), QStringLiteral("LastScan"), QStringLiteral("<unset>"));
    }

    test::TempAuditDatabase temp;
    AuditDatabase database;
    test::TempRegistry registry;
    SettingsStore settings{registry.registry};
    test::FakeUserInterface ui;
    test::FakeClock clock{QDateTime(today, QTime(10, 0))};
    FakeLastScanLine lastScanLine;
    Purges purges{ui, settings, lastScanLine, clock, temp.path};
};

TEST_F(PurgesTest, PurgeTodayAsksThenDeletesTodaysRowsOnly)
{
    fillTwoDays();
    ui.answers = {Answer::Yes};
    EXPECT_TRUE(purges.PurgeToday());

    EXPECT_EQ(ui.questions,
              QStringList{QStringLiteral("Are you sure you want to delete data for 12/7/2026?")});
    EXPECT_EQ(ui.statusHistory, (QStringList{QStringLiteral("Purging 12/7/2026 records from database..."),
                                             QStringLiteral("Data for 12/7/2026 has been purged.")}));
    EXPECT_GE(ui.yields, 1);
    EXPECT_FALSE(ui.waitCursor);
    EXPECT_EQ(lastScan(), QString());
    EXPECT_EQ(lastScanLine.line, QString());

    // Yesterday's row is left everywhere; the snapshot is yesterday's directories again.
    for (const QString& table : collectedDataTableNames())
        EXPECT_EQ(test::rowCount(database, table), 1) << table.toStdString();
    EXPECT_EQ(test::rowCount(database, QStringLiteral("Temp")), 1);
    EXPECT_EQ(database.queryValue(QStringLiteral("SELECT [Date] FROM Temp")).value.toString(),
              QStringLiteral("2026-12-06"));
}

TEST_F(PurgesTest, PurgeTodayKeepsASnapshotOfAnEarlierDay)
{
    fillTwoDays();
    ASSERT_FALSE(database.execute(QStringLiteral("DELETE * FROM Temp")).isError());
    test::appendRows(database, QStringLiteral("Temp"),
                     {at(QStringLiteral("Date"), QDate(2026, 12, 5), QStringLiteral("\\\\S\\V:OLD"))});
    ui.answers = {Answer::Yes};
    EXPECT_TRUE(purges.PurgeToday());
    EXPECT_EQ(database.queryValue(QStringLiteral("SELECT Directory FROM Temp")).value.toString(),
              QStringLiteral("\\\\S\\V:OLD"));
    EXPECT_EQ(test::rowCount(database, QStringLiteral("Temp")), 1);
}

// Every DELETE fails on this table, as a statement refused by the database would.
void refuseDeletesFrom(AuditDatabase& database, const char* table)
{
    const QByteArray sql = QByteArray("CREATE TRIGGER refuse BEFORE DELETE ON ") + table +
                           " BEGIN SELECT RAISE(ABORT, 'deleting is refused'); END";
    ASSERT_EQ(sqlite3_exec(database.handle(), sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
}

TEST_F(PurgesTest, AFailingStatementDeletesNothingAndIsReported)
{
    fillTwoDays();
    refuseDeletesFrom(database, "DirActivity");
    ui.answers = {Answer::Yes, Answer::Yes};
    EXPECT_FALSE(purges.PurgeToday());
    EXPECT_FALSE(purges.PurgeAll());
    ASSERT_EQ(ui.messages.size(), 2);
    for (const auto& message : ui.messages) {
        EXPECT_TRUE(message.text.startsWith(QStringLiteral("Error ")) &&
                    message.text.contains(QStringLiteral("deleting is refused")))
            << message.text.toStdString();
        EXPECT_EQ(message.icon, UserInterfacePort::Icon::Warning);
    }
    EXPECT_EQ(ui.statusHistory,
              (QStringList{QStringLiteral("Purging 12/7/2026 records from database..."),
                           QStringLiteral("Data for 12/7/2026 has not been purged."),
                           QStringLiteral("Purging all records from database..."),
                           QStringLiteral("The data has not been purged.")}));
    EXPECT_FALSE(ui.waitCursor);
    EXPECT_EQ(lastScan(), QStringLiteral("12/07/2026 09:15 am"));
    EXPECT_FALSE(lastScanLine.line.isEmpty());
    for (const QString& table : auditTableNames())
        EXPECT_GE(test::rowCount(database, table), 2) << table.toStdString();
}

TEST_F(PurgesTest, PurgeTodayWithALastScanBeforeTodayHasNoDataToPurge)
{
    fillTwoDays();
    for (const QString& line :
         {QStringLiteral("Last scan: 12/06/2026 11:00 pm"), QString(), QStringLiteral("Last scan: never")}) {
        lastScanLine.line = line;
        EXPECT_FALSE(purges.PurgeToday());
    }
    ASSERT_EQ(ui.messages.size(), 3);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("No data to purge."));
    EXPECT_EQ(ui.messages[0].icon, UserInterfacePort::Icon::Warning);
    EXPECT_TRUE(ui.questions.isEmpty());
    EXPECT_EQ(lastScan(), QStringLiteral("12/07/2026 09:15 am"));
    EXPECT_EQ(test::rowCount(database, QStringLiteral("Detail")), 2);
}

TEST_F(PurgesTest, AnsweringNoOrTheDefaultChangesNothing)
{
    fillTwoDays();
    ui.answers = {Answer::No};
    EXPECT_FALSE(purges.PurgeToday());
    EXPECT_FALSE(purges.PurgeAll()); // the default button is No
    EXPECT_EQ(ui.questions.last(), QStringLiteral("Are you sure you want to delete all the data?"));
    EXPECT_TRUE(ui.statusHistory.isEmpty());
    EXPECT_EQ(lastScan(), QStringLiteral("12/07/2026 09:15 am"));
    EXPECT_FALSE(lastScanLine.line.isEmpty());
    EXPECT_EQ(test::rowCount(database, QStringLiteral("Temp")), 2);
}

TEST_F(PurgesTest, PurgeAllEmptiesEveryTableTempIncluded)
{
    fillTwoDays();
    ui.answers = {Answer::Yes};
    EXPECT_TRUE(purges.PurgeAll());
    for (const QString& table : auditTableNames())
        EXPECT_EQ(test::rowCount(database, table), 0) << table.toStdString();
    EXPECT_EQ(ui.statusHistory, (QStringList{QStringLiteral("Purging all records from database..."),
                                             QStringLiteral("All data has been purged.")}));
    EXPECT_EQ(lastScan(), QString());
    EXPECT_EQ(lastScanLine.line, QString());
    EXPECT_FALSE(ui.waitCursor);
}

TEST_F(PurgesTest, WithTheFileMissingBothStillClearTheLastScanAndReportSuccess)
{
    database.close();
    QFile::remove(temp.path);
    ui.answers = {Answer::Yes, Answer::Yes};
    EXPECT_TRUE(purges.PurgeToday());
    EXPECT_EQ(ui.statusHistory, QStringList{QStringLiteral("Data for 12/7/2026 has been purged.")});
    EXPECT_EQ(lastScan(), QString());
    EXPECT_EQ(lastScanLine.line, QString());

    EXPECT_TRUE(purges.PurgeAll());
    EXPECT_EQ(ui.status, QStringLiteral("All data has been purged."));
    EXPECT_FALSE(QFile::exists(temp.path));
}

TEST_F(PurgesTest, AFileThatCannotBeOpenedIsReportedAndTheLastScanStays)
{
    database.close();
    QFile file(temp.path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(2048, 'x'));
    file.close();
    ui.answers = {Answer::Yes};
    EXPECT_FALSE(purges.PurgeAll());
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].text.startsWith(QStringLiteral("Error -2147467259 : ")))
        << ui.messages[0].text.toStdString();
    EXPECT_EQ(ui.status, QStringLiteral("The data has not been purged."));
    EXPECT_EQ(lastScan(), QStringLiteral("12/07/2026 09:15 am"));
    EXPECT_FALSE(lastScanLine.line.isEmpty());
    EXPECT_EQ(temp.bytes(), QByteArray(2048, 'x'));
}

// A central database has no file to miss: one that cannot be reached purges nothing, and the
// purges say so rather than report success.
TEST_F(PurgesTest, ACentralDatabaseThatCannotBeReachedIsReportedAndTheLastScanStays)
{
    const QTemporaryDir noServer;
    Purges central{ui, settings, lastScanLine, clock,
                   QStringLiteral("host=%1 dbname=central connect_timeout=5").arg(noServer.path())};
    ui.answers = {Answer::Yes, Answer::Yes};
    EXPECT_FALSE(central.PurgeToday());
    EXPECT_FALSE(central.PurgeAll());
    EXPECT_EQ(ui.messages.size(), 2);
    EXPECT_EQ(ui.status, QStringLiteral("The data has not been purged."));
    EXPECT_EQ(lastScan(), QStringLiteral("12/07/2026 09:15 am"));
    EXPECT_FALSE(lastScanLine.line.isEmpty());
}

TEST(PurgeDateTest, OnlyADateOnOrBeforeTheScanDateIsDue)
{
    EXPECT_TRUE(purgeDateHasCome(QStringLiteral("12/7/2026"), today));
    EXPECT_TRUE(purgeDateHasCome(QStringLiteral("11/30/2026"), today));
    EXPECT_FALSE(purgeDateHasCome(QStringLiteral("12/8/2026"), today));
    EXPECT_FALSE(purgeDateHasCome(QString(), today));
    EXPECT_FALSE(purgeDateHasCome(QStringLiteral("soon"), today));
    EXPECT_FALSE(purgeDateHasCome(QStringLiteral("2/30/2026"), today));
}

TEST(AutomaticPurgeTest, EmptiesTheNineTablesKeepsTempAndSkipsAFailingStatement)
{
    test::TempAuditDatabase temp;
    AuditDatabase database;
    ASSERT_FALSE(database.open(temp.path, AuditDatabase::Access::ReadWrite).isError());
    for (const QString& table : auditTableNames())
        test::appendRows(database, table, {{{QStringLiteral("Directory"), QStringLiteral("x")}}});
    // A table that went missing fails its statement; the others still run.
    sqlite3_exec(database.handle(), "DROP TABLE NewFiles", nullptr, nullptr, nullptr);

    purgeCollectedData(database);
    for (const QString& table : collectedDataTableNames()) {
        if (table != QStringLiteral("NewFiles")) {
            EXPECT_EQ(test::rowCount(database, table), 0) << table.toStdString();
        }
    }
    EXPECT_EQ(test::rowCount(database, QStringLiteral("Temp")), 1);
}

} // namespace
