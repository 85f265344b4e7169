#include "core/db/SqliteErrors.h"

#include <QFileInfo>

#include <sqlite3.h>

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

// The data-access layer's error n is 0x800A0000 + n.
constexpr long cursorError(long n)
{
    return -2146828288L + n;
}

QString nameAfterColon(const QString& message)
{
    return message.mid(message.indexOf(u':') + 1).trimmed();
}

DbError fileError(int primaryCode, const QString& path)
{
    const QString quotedPath = u"'"_s + path + u"'"_s;
    switch (primaryCode) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return {DbErrorNumber::Unspecified, u"Could not use "_s + quotedPath + u"; file already in use."_s};
    case SQLITE_NOTADB:
        return {DbErrorNumber::Unspecified, u"Unrecognized database format "_s + quotedPath + u'.'};
    case SQLITE_CORRUPT:
        return {DbErrorNumber::Unspecified,
                u"The database file "_s + quotedPath + u" is damaged and cannot be read."_s};
    case SQLITE_CANTOPEN:
        if (!QFileInfo::exists(path))
            return {DbErrorNumber::Unspecified, u"Could not find file "_s + quotedPath + u'.'};
        return {DbErrorNumber::Unspecified,
                u"Could not use "_s + quotedPath + u"; the file cannot be opened."_s};
    case SQLITE_IOERR:
        return {DbErrorNumber::Unspecified, u"Disk or network error."_s};
    case SQLITE_FULL:
        return {DbErrorNumber::Unspecified, u"Disk full."_s};
    default:
        return {};
    }
}

DbError statementError(const QString& message)
{
    if (message.startsWith(u"no such table"))
        return {DbErrorNumber::TableNotFound,
                u"The database engine cannot find the input table or query '"_s + nameAfterColon(message) +
                    u"'. Make sure it exists and that its name is spelled correctly."_s};
    if (message.startsWith(u"no such column"))
        return {DbErrorNumber::UnknownName,
                u"No value given for one or more required parameters: unknown name '"_s +
                    nameAfterColon(message) + u"'."_s};
    if (message.startsWith(u"no such function"))
        return {DbErrorNumber::SyntaxError,
                u"Undefined function '"_s + nameAfterColon(message) + u"' in expression."_s};
    if (message.contains(u"syntax error") || message.startsWith(u"incomplete input") ||
        message.startsWith(u"unrecognized token"))
        return {DbErrorNumber::SyntaxError, u"Syntax error in statement ("_s + message + u")."_s};
    return {DbErrorNumber::Unspecified, message.isEmpty() ? u"Unspecified error."_s : message};
}

} // namespace

DbError databaseVersionError(int fileVersion, int programVersion, const QString& path)
{
    if (fileVersion <= 0)
        return sqliteError(SQLITE_NOTADB, {}, path);
    const QString written = fileVersion > programVersion ? u"a newer"_s : u"an older"_s;
    return {DbErrorNumber::Unspecified,
            u"The database file '"_s + path + u"' was written by "_s + written +
                u" version of Corvane Net (database version "_s + QString::number(fileVersion) +
                u"; this version reads version "_s + QString::number(programVersion) +
                u"). Its rows are left as they are: run the version of Corvane Net that wrote it, or rename "
                u"the file to keep it and put an empty cv.mdb of this version in its place."_s};
}

DbError readOnlyError()
{
    return {DbErrorNumber::PermissionDenied, u"Cannot update. Database or object is read-only."_s};
}

DbError readOnlyFileError(const QString& path, int extendedCode)
{
    const QString why = extendedCode == SQLITE_READONLY_DIRECTORY
                            ? u"the folder of '"_s + path + u"', where the journal is made, may not be written"_s
                            : u"'"_s + path + u"' may not be written"_s;
    // The words of a refused change, and why, in place of their full stop.
    return {DbErrorNumber::PermissionDenied, readOnlyError().description.chopped(1) + u": "_s + why + u'.'};
}

DbError closedError()
{
    return {cursorError(3704), u"Operation is not allowed when the object is closed."_s};
}

DbError noCurrentRowError()
{
    return {cursorError(3021), u"Either BOF or EOF is True, or the current record has been deleted. "
                               u"Requested operation requires a current record."_s};
}

DbError notAllowedInContextError()
{
    return {cursorError(3219), u"Operation is not allowed in this context."_s};
}

DbError itemNotFoundError(const QString& name)
{
    return {cursorError(3265),
            u"Item '"_s + name +
                u"' cannot be found in the collection corresponding to the requested name or ordinal."_s};
}

DbError sqliteError(int resultCode, const QString& message, const QString& path)
{
    const int primaryCode = resultCode & 0xff;
    switch (primaryCode) {
    case SQLITE_READONLY:
    case SQLITE_AUTH:
    case SQLITE_PERM:
        return readOnlyError();
    case SQLITE_MISMATCH:
        return {DbErrorNumber::TypeMismatch, u"Data type mismatch in criteria expression."_s};
    case SQLITE_ERROR:
        return statementError(message);
    default:
        break;
    }
    if (const DbError error = fileError(primaryCode, path); error.isError())
        return error;
    return {DbErrorNumber::Unspecified, message};
}

DbError lastSqliteError(sqlite3* db, int resultCode, const QString& path)
{
    return sqliteError(resultCode, QString::fromUtf8(sqlite3_errmsg(db)), path);
}

} // namespace corvane
