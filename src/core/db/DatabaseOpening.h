#pragma once

#include "core/db/AuditDatabase.h"

#include <QString>

namespace corvane {

class UserInterfacePort;

// True when the length of the file at path can be read; never fails otherwise.
bool FileExists(const QString& path);

// The application folder + "cv.mdb".
QString auditDatabasePath();

// The one place the program opens its audit database: the run's and the purges' connection
// (ReadWrite) and the readers' (ReadOnly: the query window, the charts, `cv --query`). Which
// engine serves is chosen here, from the database's name: a cv.mdb path, or a PostgreSQL
// connection text, on which the run and the purges write as this program's station.
DbError connectAuditDatabase(AuditDatabase& database, const QString& databaseName, AuditDatabase::Access access);

// "Database file <path> does not exist." and, on a line of its own, what to do: restore it, or
// start afresh from a copy of the installed empty one.
QString missingDatabaseText(const QString& databasePath);

// "Unable to open database <folder>cv.mdb." CR LF "Error <number> : <description>"; a connection
// text's password hidden.
QString openFailureText(const QString& databasePath, const DbError& error);

enum class OpenOutcome
{
    Opened,
    Failed,
    ProgramMustEnd
};

// The scan run's opening of cv.mdb, read-write. A failed opening shows the two-line status
// text and nothing else. When no connection object can be made at all, the warning
// "Error <number> : <description>" is shown and the caller ends the program: on this
// platform there is no access component to register again.
OpenOutcome OpenAuditDatabase(AuditDatabase& database, UserInterfacePort& ui,
                              const QString& databasePath = auditDatabasePath());

} // namespace corvane
