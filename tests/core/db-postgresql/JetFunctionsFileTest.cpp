#include "BothEngines.h"

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

using JetFunctionsFile = BothEngines;

QString countOfFunctions(PostgresConnection& connection, const QString& schema)
{
    return connection
        .run(u"SELECT count(*) FROM pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace "
             "WHERE n.nspname = "_s +
             sqlLiteral(schema) + u" AND p.proname LIKE 'jet%'"_s)
        .value();
}

// The owner (no superuser) loads the file into whichever schema comes first on its path, and
// again over an older copy; the functions land there and nowhere else.
TEST_F(JetFunctionsFile, LoadsIntoTheCurrentSchemaAgainAndAgain)
{
    const QString inPublic = countOfFunctions(postgres(), u"public"_s);
    EXPECT_GT(inPublic.toInt(), 1000) << inPublic.toStdString();
    EXPECT_EQ(postgres().run(u"SELECT rolsuper FROM pg_roles WHERE rolname = current_user"_s).value(),
              u"f"_s);

    onPostgres(u"CREATE SCHEMA station2; SET search_path = station2"_s);
    ASSERT_EQ(postgres().run(jetFunctionsScript()).error, QString());
    ASSERT_EQ(postgres().run(jetFunctionsScript()).error, QString());
    EXPECT_EQ(countOfFunctions(postgres(), u"station2"_s), inPublic);
    EXPECT_EQ(countOfFunctions(postgres(), u"public"_s), inPublic);
    EXPECT_EQ(
        postgres().run(u"SELECT jetformat(jetdateadd('m', 1, date '2028-01-31'), 'Long Date')"_s).value(),
        u"Tuesday, February 29, 2028"_s);
}

// Consoles read with a read-only role: every function works in a read-only transaction.
TEST_F(JetFunctionsFile, ReadOnlyRoleCallsThem)
{
    ASSERT_EQ(server_->createReadOnlyRole(u"cvtestconsole"_s, u"Console-pw-1"_s, u"jet"_s, owner()),
              QString());
    PostgresConnection console(server_->connectionString(u"jet"_s, u"cvtestconsole"_s, u"Console-pw-1"_s));
    ASSERT_TRUE(console.connected()) << console.error().toStdString();
    EXPECT_EQ(console.run(u"SHOW transaction_read_only"_s).value(), u"on"_s);
    EXPECT_EQ(console.run(u"SELECT jetformat(1234.5, 'Currency') || jetleft('abc', 1)"_s).value(),
              u"$1,234.50a"_s);
    EXPECT_EQ(console.run(u"SELECT jetlike('a*', 'ABC')"_s).value(), u"t"_s);
}

// Only Now, Date and Time change between statements; the planner may fold every other call.
TEST_F(JetFunctionsFile, OnlyTheClockFunctionsAreStable)
{
    EXPECT_EQ(postgres()
                  .run(u"SELECT string_agg(DISTINCT proname, ' ' ORDER BY proname) FROM pg_proc "
                       "WHERE proname LIKE 'jet%' AND provolatile <> 'i'"_s)
                  .value(),
              u"jet_error jetdate jetnow jettime"_s);
    EXPECT_EQ(postgres()
                  .run(u"SELECT count(*) FROM pg_proc WHERE proname LIKE 'jet%' AND proname <> 'jet_error' "
                       "AND proparallel <> 's'"_s)
                  .value(),
              u"0"_s);
}

// Now, Date and Time are the local time of the session's zone, to the second, the date part
// and the time part of one instant.
TEST_F(JetFunctionsFile, ClockFollowsTheSessionsTimeZone)
{
    for (const QString& zone : {u"Pacific/Kiritimati"_s, u"Etc/GMT+12"_s, u"UTC"_s}) {
        onPostgres(u"SET TimeZone = "_s + sqlLiteral(zone));
        EXPECT_EQ(postgres()
                      .run(u"SELECT jetnow() = date_trunc('second', statement_timestamp() AT TIME ZONE "_s +
                           sqlLiteral(zone) +
                           u") AND jetdate() = jetdatevalue(jetnow()) AND jettime() = jettimevalue(jetnow())"
                           " AND jetformat(jettime(), 'yyyy-mm-dd') = '1899-12-30'"_s)
                      .value(),
                  u"t"_s)
            << zone.toStdString();
    }
}

// The SQLite side refuses what Jet has no value for: texts Qt reads as infinity or NaN, and
// results beyond the doubles' range; PostgreSQL says the same.
TEST_F(JetFunctionsFile, NoInfinityOrNaNOnEitherSide)
{
    expectSameOnBoth({u"jetcdbl('inf')"_s, u"jetcdbl('-INF')"_s, u"jetcdbl('nan')"_s,
                      u"jetplus(1e308, 1e308)"_s, u"jetminus(-1e308, 1e308)"_s, u"jetdiv(1e308, 0.1)"_s,
                      u"jetval('9e999')"_s});
    EXPECT_EQ(shownBySqlite(sqlite(), u"SELECT jetcdbl('nan')"_s),
              u"error: Data type mismatch in criteria expression."_s);
    EXPECT_EQ(shownBySqlite(sqlite(), u"SELECT jetplus(1e308, 1e308)"_s), u"error: Overflow."_s);
}

} // namespace
} // namespace corvane::test
