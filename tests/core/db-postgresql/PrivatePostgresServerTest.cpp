#include "mock/PrivatePostgresServer.h"
#include "mock/PostgresConnection.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

QString setting(PostgresConnection& connection, const QString& name)
{
    return connection.run(u"SELECT current_setting("_s + sqlLiteral(name) + u')').value();
}

// The effective user id of a running process, from /proc.
QString userOf(qint64 pid)
{
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("Uid:"))
            return QString::fromLatin1(line.simplified().split(' ').value(2));
    }
    return {};
}

// The server is the test's own: its data, socket and configuration in the temporary folder,
// on 127.0.0.1 only, run by an unprivileged account, fsync off.
TEST(PrivatePostgresServer, RunsUnprivilegedFromItsOwnFolder)
{
    PrivatePostgresServer server;
    ASSERT_TRUE(server.running()) << server.error().toStdString();
    PostgresConnection admin(server.connectionString(u"postgres"_s));
    ASSERT_TRUE(admin.connected()) << admin.error().toStdString();
    EXPECT_EQ(setting(admin, u"data_directory"_s), server.dataPath());
    EXPECT_TRUE(setting(admin, u"config_file"_s).startsWith(server.folder()));
    EXPECT_TRUE(setting(admin, u"hba_file"_s).startsWith(server.folder()));
    EXPECT_EQ(setting(admin, u"unix_socket_directories"_s), server.socketPath());
    EXPECT_EQ(setting(admin, u"listen_addresses"_s), u"127.0.0.1"_s);
    EXPECT_EQ(setting(admin, u"port"_s), QString::number(server.port()));
    EXPECT_EQ(setting(admin, u"fsync"_s), u"off"_s);
    EXPECT_TRUE(QFile::exists(QDir(server.socketPath()).filePath(u".s.PGSQL.%1"_s.arg(server.port()))));
    const QString user = userOf(server.pid());
    ASSERT_FALSE(user.isEmpty());
    EXPECT_NE(user, u"0"_s);
    if (::geteuid() != 0) {
        EXPECT_EQ(user, QString::number(::geteuid()));
    }
}

// The owner of a database is no superuser, needs its password over the socket and over TCP, and
// is refused with a wrong one; a reader reads every table, also later ones, and writes none.
TEST(PrivatePostgresServer, OwnerAndReaderRoles)
{
    PrivatePostgresServer server;
    ASSERT_TRUE(server.running()) << server.error().toStdString();
    ASSERT_EQ(server.createOwnedDatabase(u"audit"_s, u"cvtestowner"_s, u"Own'er pw"_s), QString());
    ASSERT_EQ(server.createReadOnlyRole(u"cvtestreader"_s, u"Reader-pw"_s, u"audit"_s, u"cvtestowner"_s),
              QString());

    PostgresConnection wrong(server.tcpConnectionString(u"audit"_s, u"cvtestowner"_s, u"not it"_s));
    EXPECT_FALSE(wrong.connected());
    EXPECT_TRUE(wrong.error().contains(u"password authentication failed"_s)) << wrong.error().toStdString();
    PostgresConnection noPassword(server.connectionString(u"audit"_s, u"cvtestowner"_s));
    EXPECT_FALSE(noPassword.connected());

    PostgresConnection overTcp(server.tcpConnectionString(u"audit"_s, u"cvtestowner"_s, u"Own'er pw"_s));
    ASSERT_TRUE(overTcp.connected()) << overTcp.error().toStdString();
    PostgresConnection owner(server.connectionString(u"audit"_s, u"cvtestowner"_s, u"Own'er pw"_s));
    ASSERT_TRUE(owner.connected()) << owner.error().toStdString();
    EXPECT_EQ(owner
                  .run(u"SELECT rolsuper::text || rolcreatedb::text || rolcreaterole::text FROM pg_roles "
                       "WHERE rolname = current_user"_s)
                  .value(),
              u"falsefalsefalse"_s);
    EXPECT_EQ(owner
                  .run(u"CREATE EXTENSION citext; CREATE TABLE names (name citext); "
                       "INSERT INTO names VALUES ('Dir')"_s)
                  .error,
              QString());

    PostgresConnection reader(server.connectionString(u"audit"_s, u"cvtestreader"_s, u"Reader-pw"_s));
    ASSERT_TRUE(reader.connected()) << reader.error().toStdString();
    EXPECT_EQ(reader.run(u"SELECT count(*) FROM names WHERE name = 'DIR'"_s).value(), u"1"_s);
    EXPECT_EQ(reader.run(u"INSERT INTO names VALUES ('x')"_s).sqlState, u"25006"_s);
    // Leaving read-only transactions aside, the reader still has no right to write.
    ASSERT_TRUE(reader.run(u"SET default_transaction_read_only = off"_s).ok());
    EXPECT_EQ(reader.run(u"INSERT INTO names VALUES ('x')"_s).sqlState, u"42501"_s);
}

TEST(PrivatePostgresServer, StopsItsWholeProcessGroup)
{
    PrivatePostgresServer server;
    ASSERT_TRUE(server.running()) << server.error().toStdString();
    PostgresConnection session(server.connectionString(u"postgres"_s));
    ASSERT_TRUE(session.connected()) << session.error().toStdString();
    const qint64 leader = server.pid();
    EXPECT_EQ(server.stop(), QString());
    EXPECT_NE(::kill(-pid_t(leader), 0), 0);
    EXPECT_NE(session.run(u"SELECT 1"_s).error, QString());
    EXPECT_EQ(server.stop(), QString());
}

TEST(PrivatePostgresServer, SaysWhyItCannotStart)
{
    const PrivatePostgresServer server(PrivatePostgresServer::Options{u"/nonexistent/bin"_s});
    EXPECT_FALSE(server.running());
    EXPECT_TRUE(server.error().contains(u"install postgresql-15"_s)) << server.error().toStdString();
}

} // namespace
} // namespace corvane::test
