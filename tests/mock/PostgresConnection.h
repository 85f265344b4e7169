#pragma once

#include <QList>
#include <QString>

#include <optional>

struct pg_conn;

namespace corvane::test {

// One libpq connection of a test. Every run() is a statement (or a script of them) of its own,
// committed when it succeeds.
class PostgresConnection
{
public:
    struct Result
    {
        QString error; // PostgreSQL's message; empty when the statement succeeded
        QString sqlState;
        QList<unsigned int> types; // the columns' type oids
        QList<QList<std::optional<QString>>> rows;

        bool ok() const { return error.isEmpty(); }
        // The first cell: "NULL" for a null, "error: <message>" when the statement failed.
        QString value() const;
    };

    explicit PostgresConnection(const QString& connectionString);
    ~PostgresConnection();
    PostgresConnection(const PostgresConnection&) = delete;
    PostgresConnection& operator=(const PostgresConnection&) = delete;

    bool connected() const;
    // Why the connection failed or broke, as libpq says it.
    QString error() const;

    Result run(const QString& sql);

private:
    pg_conn* connection_;
};

// A value of a libpq connection string, quoted so that blanks, quotes and backslashes stay.
QString connectionValue(const QString& value);

} // namespace corvane::test
