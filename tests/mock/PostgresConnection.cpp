#include "PostgresConnection.h"

#include <libpq-fe.h>

using namespace Qt::StringLiterals;

namespace corvane::test {

QString PostgresConnection::Result::value() const
{
    if (!ok())
        return u"error: "_s + error;
    if (rows.isEmpty() || rows.front().isEmpty())
        return u"no row"_s;
    return rows.front().front().value_or(u"NULL"_s);
}

PostgresConnection::PostgresConnection(const QString& connectionString)
    : connection_(PQconnectdb(connectionString.toUtf8().constData()))
{}

PostgresConnection::~PostgresConnection()
{
    PQfinish(connection_);
}

bool PostgresConnection::connected() const
{
    return PQstatus(connection_) == CONNECTION_OK;
}

QString PostgresConnection::error() const
{
    return QString::fromUtf8(PQerrorMessage(connection_)).trimmed();
}

PostgresConnection::Result PostgresConnection::run(const QString& sql)
{
    Result result;
    PGresult* answer = PQexec(connection_, sql.toUtf8().constData());
    const ExecStatusType status = PQresultStatus(answer);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        const char* primary = PQresultErrorField(answer, PG_DIAG_MESSAGE_PRIMARY);
        const char* state = PQresultErrorField(answer, PG_DIAG_SQLSTATE);
        result.error = primary ? QString::fromUtf8(primary) : error();
        if (result.error.isEmpty())
            result.error = u"the statement failed without a message"_s;
        result.sqlState = QString::fromLatin1(state ? state : "");
        PQclear(answer);
        return result;
    }
    for (int column = 0; column < PQnfields(answer); ++column)
        result.types.append(PQftype(answer, column));
    for (int row = 0; row < PQntuples(answer); ++row) {
        QList<std::optional<QString>> cells;
        for (int column = 0; column < PQnfields(answer); ++column) {
            if (PQgetisnull(answer, row, column))
                cells.append(std::nullopt);
            else
                cells.append(
                    QString::fromUtf8(PQgetvalue(answer, row, column), PQgetlength(answer, row, column)));
        }
        result.rows.append(cells);
    }
    PQclear(answer);
    return result;
}

QString connectionValue(const QString& value)
{
    QString quoted = value;
    quoted.replace(u'\\', u"\\\\"_s).replace(u'\'', u"\\'"_s);
    return u'\'' + quoted + u'\'';
}

} // namespace corvane::test
