#pragma once

#include "core/db/DbError.h"

#include <QString>

struct sqlite3;

namespace corvane {

// Turns an SQLite result code and message into the number and description callers report,
// in the words administrators know: a locked, damaged or foreign file names the file (path).
DbError sqliteError(int resultCode, const QString& message, const QString& path);

// The error of the last failed call on a connection.
DbError lastSqliteError(sqlite3* db, int resultCode, const QString& path);

// A cv.mdb of another database version than the program reads (version 0: no cv.mdb at all),
// with what the user can do about it.
DbError databaseVersionError(int fileVersion, int programVersion, const QString& path);

// The one description of a change refused on a read-only opening.
DbError readOnlyError();

// A cv.mdb that a writer cannot write: the file itself (its mode, a read-only mount) or, with
// SQLITE_READONLY_DIRECTORY, its folder, where SQLite makes its journal.
DbError readOnlyFileError(const QString& path, int extendedCode);

// Cursor errors, in the numbers of the data-access layer the administrators know.
DbError closedError();
DbError noCurrentRowError();
DbError notAllowedInContextError();
DbError itemNotFoundError(const QString& name);

} // namespace corvane
