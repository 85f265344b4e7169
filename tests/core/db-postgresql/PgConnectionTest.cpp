#include "CentralDatabase.h"

#include "core/db/DatabaseOpening.h"
#include "core/db/postgresql/PgErrors.h"
#include "core/db/SqliteErrors.h"
#include "mock/ServerProcesses.h"

#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

using PgConnectionTest = CentralDatabase;

TEST_F(PgConnectionTest, SessionsSpeakUtf8InThisMachinesTimeZoneAsCv)
{
    PgConnection connection;
    const DbError error = connection.open(tcpConnectionText());
    ASSERT_FALSE(error.isError()) << error.text().toStdString();
    const PgResult settings =
        connection.exec(u"SELECT current_setting('application_name'), current_setting('client_encoding'), "
                        "current_setting('TimeZone')"_s);
    ASSERT_TRUE(settings.ok()) << settings.error.text().toStdString();
    EXPECT_EQ(settings.text(0, 0), u"cv"_s);
    EXPECT_EQ(settings.text(0, 1), u"UTF8"_s);
    EXPECT_EQ(settings.text(0, 2), QString::fromUtf8(QTimeZone::systemTimeZoneId()));
    // Parameters travel as text, whatever they hold.
    const PgResult echoed =
        connection.exec(u"SELECT $1::text || '|' || $2::bigint || '|' || ($3::text IS NULL)"_s,
                        {u"O'Brien \"Zürich\""_s, qint64(1) << 40, QVariant()});
    EXPECT_EQ(echoed.firstValue(), u"O'Brien \"Zürich\"|1099511627776|true"_s);
}

TEST_F(PgConnectionTest, RefusedConnectionsSayWhyAndHideThePassword)
{
    const QString wrongPassword = u"Wrong-pw-42"_s;
    struct Case
    {
        QString text;
        QString reason;
    };
    const QList<Case> cases{
        {server_->tcpConnectionString(database(), owner(), wrongPassword),
         u"password authentication failed"_s},
        {server_->tcpConnectionString(u"no_such_database"_s, owner(), ownerPassword()),
         u"database \"no_such_database\" does not exist"_s},
        {u"host=127.0.0.1 port=%1 dbname=audit user=cv password=%2"_s.arg(freeLoopbackPort())
             .arg(wrongPassword),
         u"Connection refused"_s},
    };
    for (const Case& c : cases) {
        PgConnection connection;
        const DbError error = connection.open(c.text);
        EXPECT_EQ(error.number, DbErrorNumber::Unspecified) << c.text.toStdString();
        const QString shown = openFailureText(connection.shownName(), error);
        EXPECT_TRUE(shown.contains(c.reason)) << shown.toStdString();
        EXPECT_TRUE(shown.startsWith(u"Unable to open database host="_s)) << shown.toStdString();
        EXPECT_FALSE(shown.contains(wrongPassword)) << shown.toStdString();
        EXPECT_FALSE(shown.contains(ownerPassword())) << shown.toStdString();
        EXPECT_FALSE(connection.isOpen());
    }
}

TEST_F(PgConnectionTest, StatementErrorsHaveTheNumbersCvReportsForCvMdb)
{
    PgConnection connection;
    ASSERT_FALSE(connection.open(connectionText()).isError());
    ASSERT_FALSE(connection.execute(u"CREATE TABLE t (n bigint)"_s).isError());

    const DbError table = connection.execute(u"SELECT * FROM nowhere"_s);
    EXPECT_EQ(table.number, DbErrorNumber::TableNotFound);
    EXPECT_TRUE(table.description.contains(u"'nowhere'"_s)) << table.description.toStdString();
    EXPECT_EQ(connection.execute(u"SELECT nothing FROM t"_s).number, DbErrorNumber::UnknownName);
    EXPECT_EQ(connection.execute(u"SELEKT 1"_s).number, DbErrorNumber::SyntaxError);
    EXPECT_EQ(connection.execute(u"SELECT nofunction(1)"_s).number, DbErrorNumber::SyntaxError);

    ASSERT_FALSE(connection.setSetting(u"default_transaction_read_only"_s, u"on"_s).isError());
    const DbError readOnly = connection.execute(u"INSERT INTO t VALUES (1)"_s);
    EXPECT_EQ(readOnly.number, readOnlyError().number);
    EXPECT_EQ(readOnly.description, readOnlyError().description);

    ASSERT_FALSE(connection.setSetting(u"statement_timeout"_s, u"20"_s).isError());
    const DbError timeout = connection.execute(u"SELECT pg_sleep(30)"_s);
    EXPECT_EQ(timeout.description, statementTimeoutError().description);
    // The session goes on after the stopped statement.
    EXPECT_EQ(connection.exec(u"SELECT count(*) FROM t"_s).firstValue(), u"0"_s);
}

TEST_F(PgConnectionTest, AServerGoneInTheMiddleIsALostConnection)
{
    PgConnection connection;
    ASSERT_FALSE(connection.open(connectionText()).isError());
    EXPECT_EQ(adminValue(u"SELECT pg_terminate_backend(%1)"_s.arg(connection.backendPid())), u"t"_s);
    const DbError error = connection.execute(u"SELECT 1"_s);
    EXPECT_TRUE(error.description.startsWith(connectionLostError({}).description.left(40)))
        << error.text().toStdString();
    EXPECT_FALSE(connection.isOpen());
}

} // namespace
} // namespace corvane::test
