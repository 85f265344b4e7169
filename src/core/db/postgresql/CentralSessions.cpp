#include "core/db/postgresql/CentralSessions.h"

#include "core/db/postgresql/CentralSchema.h"
#include "core/db/postgresql/PgConnection.h"
#include "core/db/SqliteErrors.h"
#include "core/sqlite/SqliteStatement.h"

#include <sqlite3.h>

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

DbError setSearchPath(PgConnection& connection, const QString& first, const QString& citextSchema)
{
    QString path = first.isEmpty() ? u"corvane"_s : quotedIdentifier(first) + u", corvane"_s;
    if (!citextSchema.isEmpty())
        path += u", "_s + citextSchema;
    return connection.setSetting(u"search_path"_s, path);
}

DbError stationNotSetUpError(const PgConnection& connection, const QString& station)
{
    return {DbErrorNumber::Unspecified, u"The station '"_s + station +
                                            u"' has no tables in the database '"_s + connection.shownName() +
                                            u"': run cv --init-database on this station first."_s};
}

DbError checkStationSchema(PgConnection& connection, const QString& station)
{
    const PgResult found = connection.exec(
        u"SELECT to_regnamespace(quote_ident(schema_name)) IS NOT NULL FROM corvane.stations WHERE name = $1"_s,
        {stationKey(station)});
    if (!found.ok())
        return found.error;
    return found.firstValue() == u"t"_s ? DbError{} : stationNotSetUpError(connection, station);
}

// The message a second writer of cv.mdb gets, naming the database and the station.
DbError lockStation(PgConnection& connection, const QString& station)
{
    const PgResult locked = connection.exec(u"SELECT pg_try_advisory_lock($1::int, hashtext($2))"_s,
                                            {stationLockClass, stationKey(station)});
    if (!locked.ok())
        return locked.error;
    if (locked.firstValue() == u"t"_s)
        return {};
    return sqliteError(SQLITE_BUSY, {}, connection.shownName() + u" (station "_s + station + u')');
}

DbError claimStation(PgConnection& connection, const QString& station, const QString& host)
{
    const PgResult claimed =
        connection.exec(u"UPDATE corvane.stations SET host = $2, claimed = now() "
                        "WHERE name = $1 AND (host IS NULL OR host = $2) RETURNING host"_s,
                        {stationKey(station), host});
    if (!claimed.ok() || claimed.rowCount() == 1)
        return claimed.error;
    const PgResult holder =
        connection.exec(u"SELECT host FROM corvane.stations WHERE name = $1"_s, {stationKey(station)});
    if (!holder.ok())
        return holder.error;
    return {DbErrorNumber::Unspecified,
            u"The station name '"_s + station + u"' is in use by the host '"_s +
                holder.firstValue().value_or(QString()) + u"' in the database '"_s + connection.shownName() +
                u"'; this host is '"_s + host + u"'. Give this host a station name of its own."_s};
}

DbError prepareStation(PgConnection& connection, const QString& station, const QString& host)
{
    const DbResult<QString> citextSchema = checkCentralSchema(connection);
    if (!citextSchema.ok())
        return citextSchema.error;
    if (const DbError error = checkStationSchema(connection, station); error.isError())
        return error;
    if (const DbError error = lockStation(connection, station); error.isError())
        return error;
    if (const DbError error = claimStation(connection, station, host); error.isError())
        return error;
    return setSearchPath(connection, stationSchemaName(station), citextSchema.value);
}

DbError prepareReader(PgConnection& connection, int statementTimeoutMs)
{
    if (const DbError error = connection.setSetting(u"default_transaction_read_only"_s, u"on"_s);
        error.isError())
        return error;
    if (const DbError error =
            connection.setSetting(u"statement_timeout"_s, QString::number(statementTimeoutMs));
        error.isError())
        return error;
    const DbResult<QString> citextSchema = checkCentralSchema(connection);
    if (!citextSchema.ok())
        return citextSchema.error;
    return setSearchPath(connection, {}, citextSchema.value);
}

// The opening fails whole: the connection is closed again, which also drops any lock taken.
DbError closedOnError(PgConnection& connection, const DbError& error)
{
    if (error.isError())
        connection.close();
    return error;
}

} // namespace

DbError openStationSession(PgConnection& connection, const QString& connectionText, const QString& station,
                           const QString& host)
{
    if (const DbError error = checkStationName(station); error.isError())
        return error;
    if (const DbError error = connection.open(connectionText); error.isError())
        return error;
    return closedOnError(connection, prepareStation(connection, station, host));
}

DbError openReaderSession(PgConnection& connection, const QString& connectionText, int statementTimeoutMs)
{
    if (const DbError error = connection.open(connectionText); error.isError())
        return error;
    return closedOnError(connection, prepareReader(connection, statementTimeoutMs));
}

} // namespace corvane
