#include "CentralDatabase.h"

#include "core/db/postgresql/CentralSessions.h"
#include "core/db/SqliteErrors.h"

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

using StationSessionTest = CentralDatabase;

TEST_F(StationSessionTest, AStationWritesItsOwnRowsOnly)
{
    initialise(u"alpha"_s);
    initialise(u"beta"_s);
    PgConnection alpha;
    const DbError opened = openStationSession(alpha, connectionText(), u"ALPHA"_s, u"host-a"_s);
    ASSERT_FALSE(opened.isError()) << opened.text().toStdString();
    EXPECT_FALSE(alpha.execute(u"INSERT INTO newdirs (directory) VALUES ('SYS:A')"_s).isError());
    EXPECT_FALSE(alpha.execute(u"DELETE FROM temp"_s).isError());
    EXPECT_EQ(adminValue(u"SELECT count(*) FROM station_alpha.newdirs"_s), u"1"_s);
    EXPECT_EQ(adminValue(u"SELECT count(*) FROM station_beta.newdirs"_s), u"0"_s);
    // Jet's functions are there for its statements.
    EXPECT_EQ(alpha.exec(u"SELECT jetleft('SYS:PUBLIC', 3)"_s).firstValue(), u"SYS"_s);
    EXPECT_EQ(adminValue(u"SELECT host FROM corvane.stations WHERE name = 'alpha'"_s), u"host-a"_s);
}

TEST_F(StationSessionTest, ASecondRunOfTheStationIsRefusedUntilTheFirstEnds)
{
    initialise(u"alpha"_s);
    PgConnection first;
    ASSERT_FALSE(openStationSession(first, connectionText(), u"alpha"_s, u"host-a"_s).isError());
    PgConnection second;
    const DbError refused = openStationSession(second, tcpConnectionText(), u"Alpha"_s, u"host-a"_s);
    EXPECT_EQ(refused.number, DbErrorNumber::Unspecified);
    EXPECT_TRUE(refused.description.startsWith(u"Could not use '"_s)) << refused.text().toStdString();
    EXPECT_TRUE(refused.description.endsWith(u"(station Alpha)'; file already in use."_s))
        << refused.text().toStdString();
    EXPECT_FALSE(refused.description.contains(ownerPassword()));
    EXPECT_FALSE(second.isOpen());

    // Another station runs meanwhile.
    initialise(u"beta"_s);
    PgConnection beta;
    EXPECT_FALSE(openStationSession(beta, connectionText(), u"beta"_s, u"host-b"_s).isError());

    first.close();
    const DbError again = openStationSession(second, connectionText(), u"alpha"_s, u"host-a"_s);
    EXPECT_FALSE(again.isError()) << again.text().toStdString();
}

TEST_F(StationSessionTest, AnotherHostClaimingTheStationIsRefused)
{
    initialise(u"alpha"_s);
    {
        PgConnection first;
        ASSERT_FALSE(openStationSession(first, connectionText(), u"alpha"_s, u"host-a"_s).isError());
    }
    PgConnection other;
    const DbError refused = openStationSession(other, connectionText(), u"alpha"_s, u"host-b"_s);
    EXPECT_TRUE(refused.description.contains(u"is in use by the host 'host-a'"_s))
        << refused.text().toStdString();
    EXPECT_TRUE(refused.description.contains(u"this host is 'host-b'"_s)) << refused.text().toStdString();
    EXPECT_FALSE(other.isOpen());
    EXPECT_EQ(adminValue(u"SELECT host FROM corvane.stations WHERE name = 'alpha'"_s), u"host-a"_s);
}

TEST_F(StationSessionTest, AStationNeverSetUpOrARoleThatMayOnlyReadIsRefused)
{
    initialise(u"alpha"_s);
    PgConnection session;
    const DbError missing = openStationSession(session, connectionText(), u"gamma"_s, u"host-g"_s);
    EXPECT_TRUE(missing.description.contains(u"The station 'gamma' has no tables"_s))
        << missing.text().toStdString();

    const QString reader = u"cvconsole"_s;
    const QString password = u"Console-pw-1"_s;
    ASSERT_EQ(
        adminValue(u"CREATE ROLE %1 LOGIN PASSWORD %2; ALTER ROLE %1 SET default_transaction_read_only = on;"
                   "GRANT USAGE ON SCHEMA corvane, station_alpha TO %1;"
                   "GRANT SELECT ON ALL TABLES IN SCHEMA corvane, station_alpha TO %1"_s.arg(
                       sqlIdentifier(reader), sqlLiteral(password))),
        u"no row"_s);
    const DbError readOnly = openStationSession(
        session, server_->tcpConnectionString(database(), reader, password), u"alpha"_s, u"host-a"_s);
    EXPECT_EQ(readOnly.number, readOnlyError().number) << readOnly.text().toStdString();
    EXPECT_FALSE(session.isOpen());
    EXPECT_EQ(adminValue(u"SELECT host IS NULL FROM corvane.stations WHERE name = 'alpha'"_s), u"t"_s);
}

} // namespace
} // namespace corvane::test
