#include "cli/QueryCommand.h"

#include "cli/TerminalUserInterface.h"
#include "core/db/AuditDatabase.h"
#include "core/db/CsvWriter.h"
#include "core/db/DatabaseOpening.h"
#include "core/db/QueryCursor.h"
#include "core/scan/StartUpDatabase.h"

namespace corvane::cli {

int runQueryCommand(const QString& statement, QTextStream& out, QTextStream& err)
{
    const QString name = auditDatabaseName();
    if (isMissingDatabaseFile(name)) {
        err << terminalText(missingDatabaseText(name)) << '\n';
        return 1;
    }
    AuditDatabase database;
    if (const DbError error = connectAuditDatabase(database, name, AuditDatabase::Access::ReadOnly);
        error.isError()) {
        err << terminalText(openFailureText(name, error)) << '\n';
        return 1;
    }
    QueryCursor cursor(database);
    if (const DbError error = cursor.open(statement); error.isError()) {
        err << error.text() << '\n';
        return 1;
    }
    CsvWriter csv(out);
    csv.writeFieldNames(cursor.fieldNames());
    while (cursor.next())
        csv.writeRow(cursor.values());
    out.flush();
    if (cursor.error().isError()) {
        err << cursor.error().text() << '\n';
        return 1;
    }
    return 0;
}

} // namespace corvane::cli
