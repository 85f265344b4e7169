#pragma once

#include "core/db/DbError.h"
#include "core/db/DbResult.h"

#include <QString>

namespace corvane {

class PgConnection;

// The central audit database's layout. The shared schema corvane holds the schema version
// (schema_info), the stations and their host claims (stations), how far each station's copies
// of a cv.mdb got (copied_history, see HistoryCopy.h), Jet's functions and, for
// readers, one view per audit table over every station's rows. Each station's rows live in
// a schema of its own, station_<name>, with the audit tables of cv.mdb.
constexpr int centralSchemaVersion = 1;

// The classes of cv's advisory locks: one for setting the database up, one for the stations
// (keyed by the hash of the station's name).
constexpr int setupLockClass = 0x4356;
constexpr int stationLockClass = 0x4357;

// The SQL that makes Jet's functions (run in corvane) and a station's tables (run in its
// schema); installed() is the program's own copy.
struct SchemaScripts
{
    QString jetFunctions;
    QString tables;

    static SchemaScripts installed();
};

// Station names ignore case, as host names do; the name in corvane.stations.
QString stationKey(const QString& station);
// A name that is empty, holds control characters, or makes a schema name beyond
// PostgreSQL's 63 bytes is refused with why.
DbError checkStationName(const QString& station);
// station_<name>, unquoted.
QString stationSchemaName(const QString& station);

// Makes what cv needs, for the station: the shared schema and the station's own, then the
// readers' views again over every station. Done once, it changes nothing when run again;
// a database of another schema version is refused. All of it or nothing: one transaction.
DbError initialiseDatabase(PgConnection& connection, const QString& station,
                           const SchemaScripts& scripts = SchemaScripts::installed());

// The check of every opening: a database set up by this version, or the error saying what it
// is. On success, the schema that holds the case-blind text type when it is not corvane
// (readers and stations need it on their search_path), else an empty text.
DbResult<QString> checkCentralSchema(PgConnection& connection);

} // namespace corvane
