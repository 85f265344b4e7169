#include "core/db/postgresql/PgErrors.h"

#include "core/db/SqliteErrors.h"

#include <QRegularExpression>

#include <sqlite3.h>

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

// The name a "does not exist" message is about: relation "detail", column t.x, function f(text).
QString missingName(const QString& message)
{
    static const QRegularExpression quoted(u"^\\w+ \"([^\"]*)\""_s);
    static const QRegularExpression plain(u"^\\w+ ([^ (]+)"_s);
    if (const auto match = quoted.match(message); match.hasMatch())
        return match.captured(1);
    if (const auto match = plain.match(message); match.hasMatch())
        return match.captured(1);
    return message;
}

// The same refusal as cv.mdb's, built from the message SQLite gives in that case.
DbError likeSqlite(const char* sqliteMessage, const QString& name)
{
    return sqliteError(SQLITE_ERROR, QString::fromLatin1(sqliteMessage) + name, {});
}

} // namespace

DbError postgresError(const QString& sqlState, const QString& message)
{
    if (sqlState == u"25006"_s || sqlState == u"42501"_s)
        return readOnlyError();
    if (sqlState == u"42P01"_s)
        return likeSqlite("no such table: ", missingName(message));
    if (sqlState == u"42703"_s)
        return likeSqlite("no such column: ", missingName(message));
    if (sqlState == u"42883"_s)
        return likeSqlite("no such function: ", missingName(message));
    if (sqlState == u"42601"_s)
        return sqliteError(SQLITE_ERROR,
                           message.contains(u"syntax error"_s) ? message : u"syntax error: "_s + message, {});
    if (sqlState == u"42804"_s)
        return sqliteError(SQLITE_MISMATCH, message, {});
    if (sqlState == u"53100"_s)
        return sqliteError(SQLITE_FULL, message, {});
    if (sqlState == u"57014"_s && message.contains(u"statement timeout"_s))
        return statementTimeoutError();
    if (sqlState.startsWith(u"08"_s) || sqlState == u"57P01"_s || sqlState == u"57P02"_s ||
        sqlState == u"57P03"_s)
        return connectionLostError(message);
    return {DbErrorNumber::Unspecified, message.isEmpty() ? u"Unspecified error."_s : message};
}

DbError connectionLostError(const QString& reason)
{
    const QString oneLine = reason.simplified();
    return {DbErrorNumber::Unspecified, u"The connection to the database server failed: "_s +
                                            (oneLine.isEmpty() ? u"no reason given."_s : oneLine)};
}

DbError statementTimeoutError()
{
    return {DbErrorNumber::Unspecified,
            u"The statement ran longer than the database server allows a query and was stopped. "
            u"Narrow the query (a WHERE clause on a date or a directory) and run it again."_s};
}

} // namespace corvane
