#include "cli/CopyToCommand.h"

#include "cli/TerminalUserInterface.h"
#include "core/db/AuditDatabase.h"
#include "core/db/DatabaseChoice.h"
#include "core/db/DatabaseOpening.h"
#include "core/db/postgresql/CentralSessions.h"
#include "core/db/postgresql/HistoryCopy.h"
#include "core/db/postgresql/PgConnection.h"

#include <QSysInfo>

namespace corvane::cli {

using namespace Qt::StringLiterals;

namespace {

int failed(QTextStream& err, const QString& problem)
{
    err << "cv: " << terminalText(problem).simplified() << '\n';
    return 1;
}

// A role that may only read says so in the words of a refused change; the line names the database.
QString sessionFailure(const DbError& error, const DatabaseName& target)
{
    if (error.number == DbErrorNumber::PermissionDenied)
        return u"The station's rows cannot be written into the database '"_s + target.shown() +
               u"' by this role: "_s + error.description;
    return error.description;
}

void printCounts(const QList<CopiedRows>& counts, QTextStream& out)
{
    qint64 total = 0;
    out << "Rows copied:\n";
    for (const CopiedRows& table : counts) {
        out << QString(table.table + u':').leftJustified(15) << table.rows << '\n';
        total += table.rows;
    }
    out << u"Total:"_s.leftJustified(15) << total << '\n';
}

} // namespace

int runCopyToCommand(const QStringList& options, QTextStream& out, QTextStream& err)
{
    const DatabaseName target = parseDatabaseName(options.value(0), {});
    if (options.size() != 1 || !target.isPostgreSql()) {
        err << "cv: --copy-to takes one central database: a postgresql:// URI or a libpq key=value text\n"
               "Try \"cv --help\" for the options.\n";
        return 2;
    }
    const QString sourcePath = auditDatabasePath();
    if (!FileExists(sourcePath))
        return failed(err, missingDatabaseText(sourcePath));
    AuditDatabase source;
    if (const DbError error = source.open(sourcePath, AuditDatabase::Access::ReadOnly); error.isError())
        return failed(err, openFailureText(sourcePath, error));
    const QString station = stationName();
    PgConnection session;
    if (const DbError error = openStationSession(session, target.text, station, QSysInfo::machineHostName());
        error.isError())
        return failed(err, sessionFailure(error, target));
    CopyProgress progress;
    progress.report = [&err](const QString& table, qint64 rows) {
        err << "Copying " << table << ": " << rows << " rows so far\n";
        err.flush();
    };
    const DbResult<QList<CopiedRows>> copied = copyHistory(source, session, station, sourcePath, progress);
    if (!copied.ok())
        return failed(err,
                      u"Nothing was copied into '"_s + target.shown() + u"': "_s + copied.error.description);
    printCounts(copied.value, out);
    return 0;
}

} // namespace corvane::cli
