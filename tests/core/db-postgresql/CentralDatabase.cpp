#include "CentralDatabase.h"

#include "core/db/postgresql/CentralSchema.h"

using namespace Qt::StringLiterals;

namespace corvane::test {

void CentralDatabase::SetUpTestSuite()
{
    server_ = std::make_unique<PrivatePostgresServer>();
    setupError_ = server_->error();
    if (setupError_.isEmpty())
        setupError_ =
            server_->execute(u"CREATE ROLE %1 LOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE PASSWORD %2"_s.arg(
                sqlIdentifier(owner()), sqlLiteral(ownerPassword())));
}

void CentralDatabase::TearDownTestSuite()
{
    server_.reset();
}

void CentralDatabase::SetUp()
{
    ASSERT_TRUE(setupError_.isEmpty()) << setupError_.toStdString();
    static int counter = 0;
    database_ = u"central_%1"_s.arg(++counter);
    const QString made = server_->execute(
        u"CREATE DATABASE %1 OWNER %2"_s.arg(sqlIdentifier(database_), sqlIdentifier(owner())));
    ASSERT_TRUE(made.isEmpty()) << made.toStdString();
}

QString CentralDatabase::connectionText() const
{
    return server_->connectionString(database_, owner(), ownerPassword());
}

QString CentralDatabase::tcpConnectionText() const
{
    return server_->tcpConnectionString(database_, owner(), ownerPassword());
}

void CentralDatabase::initialise(const QString& station)
{
    PgConnection connection;
    const DbError opened = connection.open(connectionText());
    ASSERT_FALSE(opened.isError()) << opened.text().toStdString();
    const DbError error = initialiseDatabase(connection, station);
    ASSERT_FALSE(error.isError()) << error.text().toStdString();
}

QString CentralDatabase::adminValue(const QString& sql) const
{
    PostgresConnection admin(server_->connectionString(database_));
    if (!admin.connected())
        return u"error: "_s + admin.error();
    return admin.run(sql).value();
}

} // namespace corvane::test
