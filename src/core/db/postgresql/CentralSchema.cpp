#include "core/db/postgresql/CentralSchema.h"

#include "core/db/AuditTables.h"
#include "core/db/postgresql/PgConnection.h"
#include "core/db/SqliteErrors.h"
#include "core/sqlite/SqliteStatement.h"

#include <QFile>

#include <algorithm>

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

// PostgreSQL keeps 63 bytes of a name and silently drops the rest.
constexpr int longestName = 63;

const QString sharedSchema = u"corvane"_s;

QString resourceText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

DbError neverInitialisedError(const PgConnection& connection)
{
    return {DbErrorNumber::Unspecified, u"The database '"_s + connection.shownName() +
                                            u"' holds no Corvane Net audit tables: run cv --init-database "
                                            u"on it first."_s};
}

DbResult<bool> holdsSharedSchema(PgConnection& connection)
{
    const PgResult found = connection.exec(u"SELECT to_regclass('corvane.schema_info') IS NOT NULL"_s);
    return {found.firstValue() == u"t"_s, found.error};
}

DbError createSharedSchema(PgConnection& connection, const QString& jetFunctions)
{
    const QString sql = uR"(CREATE SCHEMA IF NOT EXISTS corvane;
CREATE EXTENSION IF NOT EXISTS citext SCHEMA corvane;
CREATE TABLE IF NOT EXISTS corvane.schema_info (version integer NOT NULL);
INSERT INTO corvane.schema_info (version) SELECT %1 WHERE NOT EXISTS (SELECT FROM corvane.schema_info);
CREATE TABLE IF NOT EXISTS corvane.stations (
    name text PRIMARY KEY,
    schema_name text NOT NULL UNIQUE,
    host text,
    claimed timestamp with time zone
);
CREATE TABLE IF NOT EXISTS corvane.copied_history (
    station text NOT NULL REFERENCES corvane.stations (name),
    table_name text NOT NULL,
    last_rowid bigint NOT NULL,
    last_row_digest text NOT NULL,
    source text NOT NULL,
    copied timestamp with time zone NOT NULL DEFAULT now(),
    PRIMARY KEY (station, table_name, last_row_digest)
);)"_s.arg(centralSchemaVersion);
    if (const DbError error = connection.execute(sql); error.isError())
        return error;
    if (const DbError error = connection.setSetting(u"search_path"_s, sharedSchema); error.isError())
        return error;
    return connection.execute(jetFunctions);
}

DbError createStationSchema(PgConnection& connection, const QString& station, const QString& citextSchema,
                            const QString& tables)
{
    const QString schema = stationSchemaName(station);
    const PgResult registered =
        connection.exec(u"INSERT INTO corvane.stations (name, schema_name) VALUES ($1, $2) "
                        "ON CONFLICT (name) DO NOTHING RETURNING name"_s,
                        {stationKey(station), schema});
    if (!registered.ok() || registered.rowCount() == 0)
        return registered.error; // an error, or the station's tables made before
    const QString searchPath = quotedIdentifier(schema) + u", corvane"_s +
                               (citextSchema.isEmpty() ? QString() : u", "_s + citextSchema);
    if (const DbError error = connection.execute(u"CREATE SCHEMA "_s + quotedIdentifier(schema));
        error.isError())
        return error;
    if (const DbError error = connection.setSetting(u"search_path"_s, searchPath); error.isError())
        return error;
    return connection.execute(tables);
}

// The table's columns but the hidden row number, in table order, quoted and comma-separated.
DbResult<QString> viewColumns(PgConnection& connection, const QString& table)
{
    const PgResult columns = connection.exec(
        u"SELECT string_agg(quote_ident(attname), ', ' ORDER BY attnum) FROM pg_attribute "
        "WHERE attrelid = $1::regclass AND attnum > 0 AND NOT attisdropped AND attname <> 'rowid'"_s,
        {table});
    return {columns.firstValue().value_or(QString()), columns.error};
}

// For each audit table, the stations' tables of that name as the catalogue spells them.
DbResult<PgResult> stationTables(PgConnection& connection)
{
    PgResult tables = connection.exec(
        u"SELECT a.name, c.relname, quote_ident(s.schema_name) || '.' || quote_ident(c.relname) "
        "FROM unnest($1::text[]) WITH ORDINALITY AS a(name, position) "
        "JOIN pg_class c ON lower(c.relname) = lower(a.name) AND c.relkind IN ('r', 'p') AND NOT "
        "c.relispartition "
        "JOIN pg_namespace n ON n.oid = c.relnamespace "
        "JOIN corvane.stations s ON s.schema_name = n.nspname "
        "ORDER BY a.position, s.name"_s,
        {QString(u'{' + auditTableNames().join(u',') + u'}')});
    DbError error = tables.error;
    return {std::move(tables), error};
}

// One view per audit table in corvane: every station's rows, read as one table.
DbError recreateReaderViews(PgConnection& connection)
{
    const DbResult<PgResult> tables = stationTables(connection);
    if (!tables.ok())
        return tables.error;
    const PgResult& rows = tables.value;
    for (int first = 0; first < rows.rowCount();) {
        const DbResult<QString> columns = viewColumns(connection, rows.text(first, 2));
        if (!columns.ok())
            return columns.error;
        QStringList selects;
        int next = first;
        for (; next < rows.rowCount() && rows.text(next, 0) == rows.text(first, 0); ++next)
            selects.append(u"SELECT "_s + columns.value + u" FROM "_s + rows.text(next, 2));
        const QString view = u"corvane."_s + quotedIdentifier(rows.text(first, 1));
        // Replaced, not made anew, so that the rights granted on it to consoles stay.
        const QString sql = u"CREATE OR REPLACE VIEW "_s + view + u" AS "_s + selects.join(u" UNION ALL "_s);
        if (const DbError error = connection.execute(sql); error.isError())
            return error;
        first = next;
    }
    return {};
}

DbError initialiseInTransaction(PgConnection& connection, const QString& station,
                                const SchemaScripts& scripts)
{
    // Two set-ups at once would make the same objects; the second waits for the first.
    if (const DbError error =
            connection.execute(u"SELECT pg_advisory_xact_lock($1::int, 0)"_s, {setupLockClass});
        error.isError())
        return error;
    const DbResult<bool> existing = holdsSharedSchema(connection);
    if (!existing.ok())
        return existing.error;
    if (existing.value) {
        if (const DbResult<QString> checked = checkCentralSchema(connection); !checked.ok())
            return checked.error;
    }
    if (const DbError error = createSharedSchema(connection, scripts.jetFunctions); error.isError())
        return error;
    const DbResult<QString> citextSchema = checkCentralSchema(connection);
    if (!citextSchema.ok())
        return citextSchema.error;
    if (const DbError error = createStationSchema(connection, station, citextSchema.value, scripts.tables);
        error.isError())
        return error;
    return recreateReaderViews(connection);
}

} // namespace

SchemaScripts SchemaScripts::installed()
{
    return {resourceText(u":/postgresql/jet-functions.sql"_s), resourceText(u":/postgresql/tables.sql"_s)};
}

QString stationKey(const QString& station)
{
    return station.toLower();
}

DbError checkStationName(const QString& station)
{
    QString why;
    if (station.trimmed().isEmpty())
        why = u"it is empty"_s;
    else if (std::any_of(station.begin(), station.end(),
                         [](QChar c) { return c.category() == QChar::Other_Control; }))
        why = u"it holds control characters"_s;
    else if (stationSchemaName(station).toUtf8().size() > longestName)
        why = u"it is longer than PostgreSQL keeps a schema name (%1 bytes with \"station_\")"_s.arg(
            longestName);
    if (why.isEmpty())
        return {};
    return {DbErrorNumber::Unspecified,
            u"The station name '"_s + station + u"' cannot be used: "_s + why + u'.'};
}

QString stationSchemaName(const QString& station)
{
    return u"station_"_s + stationKey(station);
}

DbError initialiseDatabase(PgConnection& connection, const QString& station, const SchemaScripts& scripts)
{
    if (const DbError error = checkStationName(station); error.isError())
        return error;
    if (scripts.jetFunctions.isEmpty() || scripts.tables.isEmpty())
        return {DbErrorNumber::Unspecified, u"The program's SQL for the central database is missing."_s};
    if (const DbError error = connection.execute(u"BEGIN"_s); error.isError())
        return error;
    const DbError error = initialiseInTransaction(connection, station, scripts);
    if (error.isError()) {
        connection.execute(u"ROLLBACK"_s);
        return error;
    }
    return connection.execute(u"COMMIT"_s);
}

DbResult<QString> checkCentralSchema(PgConnection& connection)
{
    const DbResult<bool> initialised = holdsSharedSchema(connection);
    if (!initialised.ok())
        return {{}, initialised.error};
    if (!initialised.value)
        return {{}, neverInitialisedError(connection)};
    const PgResult found = connection.exec(
        u"SELECT (SELECT max(version) FROM corvane.schema_info), "
        "(SELECT extnamespace::regnamespace::text FROM pg_extension WHERE extname = 'citext')"_s);
    if (!found.ok())
        return {{}, found.error};
    const int version = found.text(0, 0).toInt();
    if (version != centralSchemaVersion)
        return {{}, databaseVersionError(version, centralSchemaVersion, connection.shownName())};
    const QString citextSchema = found.text(0, 1);
    return {citextSchema == sharedSchema ? QString() : citextSchema, {}};
}

} // namespace corvane
