#include "cli/InitDatabaseCommand.h"

#include "cli/TerminalUserInterface.h"
#include "core/common/AppFolder.h"
#include "core/db/DatabaseChoice.h"
#include "core/db/postgresql/CentralSchema.h"
#include "core/db/postgresql/PgConnection.h"

namespace corvane::cli {

using namespace Qt::StringLiterals;

namespace {

int failure(QTextStream& err, const QString& text)
{
    err << "cv: " << terminalText(text) << '\n';
    return 1;
}

// A cv.mdb is made whole by the program's installation; only a central database is set up.
int refuseFile(const DatabaseName& database, QTextStream& err)
{
    return failure(err, database.text +
                            u" names a cv.mdb file, which needs no initialising: --init-database "_s
                            u"sets up a central database on PostgreSQL (--database postgresql://... "_s
                            u"or service=...). For an empty cv.mdb, copy "_s +
                            installedCopiesFolder(programFolder()) + u"cv.mdb."_s);
}

// Whether the station's schema is there already, before the set-up: what the set-up then did.
DbResult<bool> stationSchemaExists(PgConnection& connection, const QString& station)
{
    const PgResult found = connection.exec(u"SELECT to_regnamespace(quote_ident($1)) IS NOT NULL"_s,
                                           {stationSchemaName(station)});
    return {found.firstValue() == u"t"_s, found.error};
}

// A refused change means the role lacks rights, which the administrator must hear in those words.
QString setUpFailureText(const DbError& error)
{
    if (error.number != DbErrorNumber::PermissionDenied)
        return error.description;
    return u"the role may not make what cv needs in this database ("_s + error.description +
           u") Run --init-database as the database's owner or a role that may create schemas in it."_s;
}

} // namespace

int runInitDatabaseCommand(QTextStream& out, QTextStream& err)
{
    const DatabaseName database = chosenDatabaseName();
    if (!database.isPostgreSql())
        return refuseFile(database, err);
    const QString station = stationName();
    if (const DbError error = checkStationName(station); error.isError())
        return failure(err, error.description);
    PgConnection connection;
    if (const DbError error = connection.open(database.text); error.isError())
        return failure(err, error.description);
    const DbResult<bool> existed = stationSchemaExists(connection, station);
    if (!existed.ok())
        return failure(err, existed.error.description);
    if (const DbError error = initialiseDatabase(connection, station); error.isError())
        return failure(err, setUpFailureText(error));
    out << "The central audit database " << terminalText(database.shown()) << " is ready for station "
        << terminalText(station) << ", schema version " << centralSchemaVersion << ".\n";
    out << (existed.value ? "Its schema " : "Made its schema ") << terminalText(stationSchemaName(station))
        << (existed.value ? " was there already; the readers' views were made again.\n" : ".\n");
    return 0;
}

} // namespace corvane::cli
