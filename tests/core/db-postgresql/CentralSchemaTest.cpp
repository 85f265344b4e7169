#include "CentralDatabase.h"

#include "core/db/postgresql/CentralSchema.h"
#include "core/db/postgresql/CentralSessions.h"
#include "core/db/postgresql/DatabaseName.h"
#include "core/db/postgresql/PgErrors.h"
#include "core/db/SqliteErrors.h"

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

using CentralSchemaTest = CentralDatabase;

constexpr int readerTimeoutMs = 60000;

QString objectsCount()
{
    return u"SELECT (SELECT count(*) FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
           "WHERE n.nspname = 'corvane' OR n.nspname LIKE 'station\\_%') || '/' || "
           "(SELECT count(*) FROM pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace WHERE n.nspname = 'corvane')"_s;
}

TEST_F(CentralSchemaTest, SettingUpAgainChangesNothingAndKeepsTheRows)
{
    initialise(u"alpha"_s);
    const QString objects = adminValue(objectsCount());
    EXPECT_EQ(adminValue(u"SELECT version FROM corvane.schema_info"_s),
              QString::number(centralSchemaVersion));
    EXPECT_EQ(adminValue(u"INSERT INTO station_alpha.temp (directory) VALUES ('SYS:PUBLIC')"_s), u"no row"_s);

    initialise(u"alpha"_s);
    EXPECT_EQ(adminValue(objectsCount()), objects);
    EXPECT_EQ(adminValue(u"SELECT count(*) FROM corvane.schema_info"_s), u"1"_s);
    EXPECT_EQ(adminValue(u"SELECT count(*) FROM station_alpha.temp"_s), u"1"_s);
    EXPECT_EQ(adminValue(u"SELECT count(*) FROM corvane.temp"_s), u"1"_s);
}

TEST_F(CentralSchemaTest, ReadersSeeEveryStationsRowsThroughTheSharedViews)
{
    initialise(u"alpha"_s);
    initialise(u"beta"_s);
    ASSERT_EQ(adminValue(u"INSERT INTO station_alpha.newdirs (directory) VALUES ('SYS:A');"
                         "INSERT INTO station_beta.newdirs (directory) VALUES ('SYS:B')"_s),
              u"no row"_s);
    PgConnection reader;
    const DbError opened = openReaderSession(reader, connectionText(), readerTimeoutMs);
    ASSERT_FALSE(opened.isError()) << opened.text().toStdString();
    EXPECT_EQ(
        reader.exec(u"SELECT string_agg(directory, ',' ORDER BY directory) FROM newdirs"_s).firstValue(),
        u"SYS:A,SYS:B"_s);
    // The views have the tables' columns, never the hidden row number; texts compare as Jet's.
    EXPECT_EQ(reader.exec(u"SELECT count(*) FROM newdirs WHERE directory = 'sys:a'"_s).firstValue(), u"1"_s);
    EXPECT_EQ(reader.exec(u"SELECT rowid FROM newdirs"_s).error.number, DbErrorNumber::UnknownName);
    // Readers write nothing, and a query that runs too long is stopped.
    EXPECT_EQ(reader.execute(u"DELETE FROM station_alpha.newdirs"_s).number, readOnlyError().number);
    EXPECT_EQ(adminValue(u"SELECT count(*) FROM corvane.newdirs"_s), u"2"_s);
}

TEST_F(CentralSchemaTest, AConsoleKeepsItsRightsWhenAStationIsAdded)
{
    initialise(u"alpha"_s);
    const QString console = u"cvconsole"_s;
    const QString password = u"Console-pw-1"_s;
    ASSERT_EQ(adminValue(u"CREATE ROLE %1 LOGIN PASSWORD %2; GRANT USAGE ON SCHEMA corvane TO %1;"
                         "GRANT SELECT ON ALL TABLES IN SCHEMA corvane TO %1"_s.arg(sqlIdentifier(console),
                                                                                    sqlLiteral(password))),
              u"no row"_s);
    initialise(u"beta"_s);
    PgConnection reader;
    const DbError opened =
        openReaderSession(reader, server_->tcpConnectionString(database(), console, password), 20);
    ASSERT_FALSE(opened.isError()) << opened.text().toStdString();
    const PgResult counted = reader.exec(u"SELECT count(*) FROM newdirs"_s);
    EXPECT_EQ(counted.firstValue(), u"0"_s) << counted.error.text().toStdString();
    // Its session stops a statement that runs too long.
    EXPECT_EQ(reader.execute(u"SELECT pg_sleep(30)"_s).description, statementTimeoutError().description);
}

TEST_F(CentralSchemaTest, ADatabaseOfAnotherVersionOrNeverSetUpIsRefused)
{
    PgConnection station;
    const DbError never = openStationSession(station, connectionText(), u"alpha"_s, u"host-a"_s);
    EXPECT_TRUE(never.description.contains(u"run cv --init-database"_s)) << never.text().toStdString();
    PgConnection reader;
    EXPECT_EQ(openReaderSession(reader, connectionText(), readerTimeoutMs).description, never.description);

    initialise(u"alpha"_s);
    ASSERT_EQ(adminValue(u"UPDATE corvane.schema_info SET version = version + 1"_s), u"no row"_s);
    const DbError newer = openStationSession(station, connectionText(), u"alpha"_s, u"host-a"_s);
    const DbError expected = databaseVersionError(centralSchemaVersion + 1, centralSchemaVersion,
                                                  maskedConnectionText(connectionText()));
    EXPECT_EQ(newer.text(), expected.text());
    EXPECT_EQ(openReaderSession(reader, connectionText(), readerTimeoutMs).text(), expected.text());
    // Setting up refuses it too, and leaves the database as it was.
    PgConnection setup;
    ASSERT_FALSE(setup.open(connectionText()).isError());
    EXPECT_EQ(initialiseDatabase(setup, u"beta"_s).text(), expected.text());
    EXPECT_EQ(adminValue(u"SELECT count(*) FROM corvane.stations"_s), u"1"_s);
}

TEST_F(CentralSchemaTest, StationNamesWithQuotesAndAccentsAreSafe)
{
    const QString quoted = u"O'Brien \"HQ\"; DROP SCHEMA corvane"_s;
    const QString accented = u"Zürich-Süd"_s;
    initialise(quoted);
    initialise(accented);
    EXPECT_EQ(
        adminValue(
            u"SELECT string_agg(nspname, '|' ORDER BY nspname) FROM pg_namespace WHERE nspname LIKE 'station\\_%'"_s),
        u"station_o'brien \"hq\"; drop schema corvane|station_zürich-süd"_s);
    for (const QString& name : {quoted, accented}) {
        PgConnection session;
        const DbError opened = openStationSession(session, connectionText(), name, u"host-a"_s);
        ASSERT_FALSE(opened.isError()) << opened.text().toStdString();
        EXPECT_FALSE(session.execute(u"INSERT INTO temp (directory) VALUES ($1)"_s, {name}).isError());
    }
    EXPECT_EQ(adminValue(u"SELECT count(*) FROM corvane.temp"_s), u"2"_s);

    PgConnection setup;
    ASSERT_FALSE(setup.open(connectionText()).isError());
    for (const QString& bad : {u""_s, u"  "_s, u"tab\there"_s, QString(60, u'x')}) {
        const DbError refused = initialiseDatabase(setup, bad);
        EXPECT_TRUE(refused.description.startsWith(u"The station name '"_s)) << refused.text().toStdString();
    }
}

} // namespace
} // namespace corvane::test
